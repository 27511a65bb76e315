// The paragraph store: records, style bits and the byte format of paragraph text.
#pragma once

#include "Errors.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace quenvel {

using TColor = int32_t;

constexpr TColor clSystemWindow = static_cast<TColor>(0x80000005u);
constexpr TColor clTeal = 0x808000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clBlack = 0;

// Style bits.
enum : uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
    fsHighlight = 16,
    fsAltFont = 32,
    fsParseMark = 64,
    fsDynamic = 128,
};

// Style codes as they stand in the text.
enum : uint8_t {
    scItalic = 1,
    scBold = 2,
    scHighlight = 3,
    scAltFont = 4,
    scMark = 5, // lead byte of a style mark
    scUnderline = 21,
};

// A style mark is its lead byte and, in three bytes of seven bits each (low bits first, the
// top bit always set), the number its style has in the table of the styles marks carry (see
// MarkStyleNumber): a highlighted run costs two marks of 4 bytes, marks of one style are the
// same bytes, and no byte after the lead is ever taken for a code, a line end or a mark.
constexpr int32_t kMarkSize = 4;
constexpr int32_t kMaxParagraphBytes = 2147483547;
constexpr int32_t kUnresolved = 2147483647;

inline bool IsStyleCode(uint8_t b)
{
    return b == 1 || b == 2 || b == 3 || b == 4 || b == 21;
}

// The style bit a style code toggles (0 for other bytes).
inline uint8_t StyleCodeBit(uint8_t b)
{
    switch (b) {
    case scBold: return fsBold;
    case scItalic: return fsItalic;
    case scUnderline: return fsUnderline;
    case scHighlight: return fsHighlight;
    case scAltFont: return fsAltFont;
    default: return 0;
    }
}

#pragma pack(push, 1)
struct TDynStyle {
    uint8_t StyleBits;
    TColor Backgnd;
    TColor Foregnd;
    int16_t Context;
    int16_t Cursor;
    uint8_t StartLen;
    uint8_t StopLen;

    bool IsDynamic() const { return (StyleBits & fsDynamic) != 0; }
    bool IsParseMade() const { return (StyleBits & (fsDynamic | fsParseMark)) == (fsDynamic | fsParseMark); }
    bool IsRegion() const { return IsParseMade() && (StartLen != 0 || StopLen != 0); }
    bool IsKeywordRun() const { return IsParseMade() && StartLen == 0 && StopLen == 0; }
    bool operator==(const TDynStyle &o) const { return std::memcmp(this, &o, sizeof(TDynStyle)) == 0; }
};
#pragma pack(pop)
static_assert(sizeof(TDynStyle) == 15, "TDynStyle is packed: marks' styles are compared byte for byte");

struct TLineRec {
    int32_t StartByte;
    int32_t EndByte;
    int32_t Width;       // layout: pixel width of the text
    int32_t SpaceCount;  // layout: stretchable spaces
    int32_t JustifyFrom; // layout: byte offset from which spaces stretch
    uint16_t Style;
    TDynStyle DynStyle;
};

// A paragraph's display lines. Most paragraphs have one, kept inside the object; the
// objects come from a pool, as a document holds one per paragraph.
class TLL
{
public:
    TLL() = default;
    // One line record to begin with.
    explicit TLL(const TLineRec &first) : count_(1), one_(first) {}
    ~TLL();
    TLL(const TLL &) = delete;
    TLL &operator=(const TLL &) = delete;
    static void *operator new(size_t size);
    static void operator delete(void *p, size_t size) noexcept;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    // No bounds check: for loops that already know the index is valid.
    TLineRec &At(int32_t i) const { return data_[i]; }
    TLineRec &operator[](int32_t i) const
    {
        if (i < 0 || i >= count_)
            throw EListError();
        return data_[i];
    }
    // Room for exactly n records (at least one; records beyond n are dropped).
    void SetCapacity(int32_t n);
    // Grows the room exactly when needed; new records are left as they were.
    void SetCount(int32_t n);
    int32_t Add(const TLineRec *r);

private:
    TLineRec *data_ = &one_; // one_ while the room is one record
    int32_t count_ = 0;
    int32_t capacity_ = 1;
    TLineRec one_{};
};

struct TParagraphRec {
    uint8_t *Text;
    int32_t Length;
    // The size of the paragraph's own text block; 0 while the text is the loaded file's,
    // which the store keeps in large blocks until the paragraph first changes or gets marks.
    int32_t Capacity;
    // Where the paragraph's first display line and first position stand, as stored: read
    // and written through TPLL::FirstLine / TPLL::Start, which add the pending shift.
    int32_t RawFirstLine;
    int32_t RawStart;
    // The display lines. None for a paragraph as loaded, and for one laid out on a single
    // line whose width nothing reads (see TCodeMemo::FormatParagraph): it has one line over
    // its text that starts with LoadStyle and no dynamic style, made when first asked for.
    mutable TLL *LineRecs;
    int32_t MarkCount;
    uint8_t Formatted;
    uint8_t Parsed;
    uint8_t RegionsPending; // the start/stop pass has not looked at this paragraph yet
    uint8_t LoadStyle;      // the style bits in force at the start, while LineRecs is null

    int32_t ByteSize() const { return Length + kMarkSize * MarkCount; }
    bool OwnsText() const { return Capacity > 0; }
    TLL &Lines() const
    {
        if (!LineRecs)
            LineRecs = new TLL(TLineRec{0, ByteSize(), 0, 0, ByteSize(), LoadStyle, TDynStyle{}});
        return *LineRecs;
    }
    int32_t LineCount() const { return LineRecs ? LineRecs->Count() : 1; }
    // The style and the dynamic style in force at the start of the text.
    uint16_t StartStyle() const { return LineRecs ? LineRecs->At(0).Style : LoadStyle; }
    TDynStyle StartDyn() const { return LineRecs ? LineRecs->At(0).DynStyle : TDynStyle{}; }
};

// The paragraph records, in blocks of at most blockRecords_ each: an edit moves the records
// of the one block it falls in (a full block splits in two), never the whole array, however
// long the document is. Readers find a record's block from the block they read last, or by
// bisection over the blocks' first indices.
// An edit that changes the text's length or line count shifts Start and FirstLine of every
// later paragraph. That shift is kept pending: records from stepFrom_ on lack stepStart_ and
// stepLine_, which the readers add. When the next edit is elsewhere the pending shift is
// moved there, at the cost of the records in between, so typing stays cheap however long the
// document is.
class TPLL
{
public:
    static constexpr int32_t kBlockRecords = 2048;
    TPLL() : TPLL(kBlockRecords) {}
    // Blocks of at most blockRecords records (at least 4).
    explicit TPLL(int32_t blockRecords);
    ~TPLL();
    TPLL(const TPLL &) = delete;
    TPLL &operator=(const TPLL &) = delete;

    int32_t Count() const { return count_; }
    // The room the array claims: it grows and shrinks as one array's would, which sets
    // when a very long text runs out of it; the blocks take only what their records need.
    int32_t Capacity() const { return capacity_; }

    // No bounds check: for loops that already know the index is valid.
    TParagraphRec &At(int32_t i) const
    {
        const TBlock *b = &blocks_[hint_];
        if (static_cast<uint32_t>(i - b->first) >= static_cast<uint32_t>(b->count))
            b = Locate(i);
        return b->data[i - b->first];
    }
    TParagraphRec &operator[](int32_t i) const
    {
        if (i < 0 || i >= count_)
            throw EListError();
        return At(i);
    }

    int32_t Start(int32_t i) const { return Shifted(At(i).RawStart, i, stepStart_); }
    int32_t FirstLine(int32_t i) const { return Shifted(At(i).RawFirstLine, i, stepLine_); }
    void SetStart(int32_t i, int32_t v) { At(i).RawStart = Unshifted(v, i, stepStart_); }
    void SetFirstLine(int32_t i, int32_t v) { At(i).RawFirstLine = Unshifted(v, i, stepLine_); }
    // Adds to Start and FirstLine of every paragraph from `from` on.
    void Shift(int32_t from, int32_t dStart, int32_t dLine);

    // Appends a record whose RawStart and RawFirstLine hold its real Start and FirstLine.
    void Add(const TParagraphRec &r)
    {
        TBlock &last = blocks_.back();
        if (count_ == capacity_ || last.count == last.capacity || stepStart_ != 0 || stepLine_ != 0) {
            AddSlowly(r);
            return;
        }
        last.data[last.count++] = r;
        ++count_;
        stepFrom_ = count_;
    }
    // Moves records [from, count) so that they start at index `to` (count adjusts); records
    // that open up in between are zeroed.
    void MoveTail(int32_t from, int32_t to);
    // Room for n records (at least the count); at the count, the last block gives back its spare room.
    void SetCapacity(int32_t n);
    // Drops every record (their owner frees what they point to first).
    void Clear();

private:
    struct TBlock {
        TParagraphRec *data;
        int32_t first; // index of its first record
        int32_t count;
        int32_t capacity;
        bool inSlab; // data is part of a slab, not a block of its own
    };
    // Large blocks the records of a loaded file are laid in, a full block after another.
    struct TSlab {
        uint8_t *data;
        size_t size;
    };

    static int32_t Sum(int32_t a, int32_t b)
    {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    }
    static int32_t Difference(int32_t a, int32_t b)
    {
        return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    }
    int32_t Shifted(int32_t v, int32_t i, int32_t step) const { return i >= stepFrom_ ? Sum(v, step) : v; }
    int32_t Unshifted(int32_t v, int32_t i, int32_t step) const { return i >= stepFrom_ ? Difference(v, step) : v; }
    const TBlock *Locate(int32_t i) const;
    // The block holding record i, and i's place in it; i == count_ is the end of the last block.
    size_t BlockOf(int32_t i) const;
    void AddSlowly(const TParagraphRec &r);
    void MoveStep(int32_t to);
    void Insert(int32_t at, int32_t n);
    void Remove(int32_t at, int32_t n);
    void Renumber(size_t fromBlock);
    void Resize(TBlock &b, int32_t capacity);
    static void Release(TBlock &b);
    // A full-sized block at the end, its room taken from a slab.
    void AddSlabBlock();
    void FreeBlocks();

    std::vector<TBlock> blocks_; // never empty; only a lone block may hold no record
    std::vector<TSlab> slabs_;
    size_t slabUsed_ = 0;        // bytes of the last slab given to blocks
    mutable size_t hint_ = 0;    // the block read last
    int32_t blockRecords_;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    int32_t stepFrom_ = 0;
    int32_t stepStart_ = 0;
    int32_t stepLine_ = 0;
};

// Buffer size rules.
int32_t LoadBufferSize(int64_t n);
int32_t ReplaceBufferSize(int64_t n);
int32_t MarkBufferSize(int64_t n);

// Memory for large blocks filled once (a loaded file, its paragraph records), asked of the
// system in huge pages where it has them: touching hundreds of megabytes a small page at a
// time costs more than reading the file. Freed with the size it was asked for.
uint8_t *AllocLarge(size_t size);
void FreeLarge(uint8_t *p, size_t size) noexcept;
// A large block that frees itself with its last owner.
std::shared_ptr<uint8_t[]> MakeLargeBlock(size_t size);

// Heap blocks of paragraph text; each is given back with the capacity it was asked for.
uint8_t *AllocText(int32_t capacity);
uint8_t *ReallocText(uint8_t *p, int32_t oldCapacity, int32_t capacity);
void FreeText(uint8_t *p, int32_t capacity);
// Room for `capacity` bytes of the paragraph's text, its bytes kept: its own block grows,
// or text it shares with the loaded file is copied out.
void GrowText(TParagraphRec &par, int32_t capacity);
// Frees the paragraph's own text block (text it shares with the loaded file stays).
void ReleaseText(TParagraphRec &par);

// The styles marks carry, each kept once for the life of the process: a document has
// a few (one per keyword style and region, the ends of runs), so the table stays small.
// Numbers run up to 2^21 - 1; the table is filled in chunks that never move, so reading
// needs no lock.
namespace markstyles {
constexpr uint32_t kNumberBits = 21;
constexpr uint32_t kChunkBits = 16;
constexpr uint32_t kChunks = 1u << (kNumberBits - kChunkBits);
extern std::atomic<const TDynStyle *> chunks[kChunks];
} // namespace markstyles

// The number of style s in the table, which gains it the first time.
uint32_t MarkStyleNumber(const TDynStyle &s);

// The style with number n: all zero (no style) for a number the table never gave out.
inline TDynStyle MarkStyleAt(uint32_t n)
{
    const TDynStyle *chunk = markstyles::chunks[n >> markstyles::kChunkBits].load(std::memory_order_acquire);
    if (chunk)
        return chunk[n & ((1u << markstyles::kChunkBits) - 1)];
    TDynStyle none;
    std::memset(&none, 0, sizeof none);
    return none;
}

// Reads the style of the mark whose lead byte is at p.
inline TDynStyle ReadMark(const uint8_t *p)
{
    return MarkStyleAt(uint32_t(p[1] & 0x7F) | uint32_t(p[2] & 0x7F) << 7 | uint32_t(p[3] & 0x7F) << 14);
}

inline void WriteMark(uint8_t *p, const TDynStyle &s)
{
    const uint32_t n = MarkStyleNumber(s);
    p[0] = scMark;
    p[1] = static_cast<uint8_t>(0x80 | (n & 0x7F));
    p[2] = static_cast<uint8_t>(0x80 | ((n >> 7) & 0x7F));
    p[3] = static_cast<uint8_t>(0x80 | (n >> 14));
}

inline TDynStyle NoDynStyle()
{
    TDynStyle s;
    std::memset(&s, 0, sizeof s);
    return s;
}

} // namespace quenvel
