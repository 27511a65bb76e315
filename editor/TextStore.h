// The paragraph store: records, style bits and the byte format of paragraph text.
#pragma once

#include "DynArray.h"

#include <cstdint>
#include <cstring>

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

constexpr int32_t kMarkSize = 16;
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
static_assert(sizeof(TDynStyle) == 15, "TDynStyle is the 15-byte payload of a style mark");

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
class TLL : public TTypedArray<TLineRec>
{
public:
    TLL() { UseInline(one_, 1); }
    static void *operator new(size_t size);
    static void operator delete(void *p, size_t size) noexcept;

private:
    alignas(16) uint8_t one_[48];
};
static_assert(sizeof(TLineRec) <= 48, "one line record fits inside a TLL");

struct TParagraphRec {
    uint8_t *Text;
    int32_t Length;
    int32_t Capacity;
    int32_t FirstLine;
    int32_t Start;
    TLL *Lines;
    int32_t MarkCount;
    uint8_t Formatted;
    uint8_t Parsed;
    uint8_t RegionsPending; // the start/stop pass has not looked at this paragraph yet

    int32_t ByteSize() const { return Length + kMarkSize * MarkCount; }
};

class TPLL : public TTypedArray<TParagraphRec>
{
};

// Buffer size rules.
int32_t LoadBufferSize(int64_t n);
int32_t ReplaceBufferSize(int64_t n);
int32_t MarkBufferSize(int64_t n);

// Heap blocks of paragraph text.
uint8_t *AllocText(int32_t capacity);
uint8_t *ReallocText(uint8_t *p, int32_t capacity);
void FreeText(uint8_t *p);

// Reads the payload of the mark whose lead byte is at p.
inline TDynStyle ReadMark(const uint8_t *p)
{
    TDynStyle s;
    std::memcpy(&s, p + 1, sizeof(TDynStyle));
    return s;
}

inline void WriteMark(uint8_t *p, const TDynStyle &s)
{
    p[0] = scMark;
    std::memcpy(p + 1, &s, sizeof(TDynStyle));
}

inline TDynStyle NoDynStyle()
{
    TDynStyle s;
    std::memset(&s, 0, sizeof s);
    return s;
}

} // namespace quenvel
