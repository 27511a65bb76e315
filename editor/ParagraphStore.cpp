#include "ParagraphStore.h"

#include "CodeNavigator.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

namespace {

// The block of an empty paragraph.
constexpr int32_t kEmptyParagraphCapacity = 16;
// Below this many records the array doubles while a file loads, above it grows by half.
constexpr int32_t kDoublingLimit = 1024;
// Bounds of the blocks that hold a loaded file's text.
constexpr int64_t kMinLoadBlock = 64 * 1024;
constexpr int64_t kMaxLoadBlock = 256 * 1024 * 1024;

// Takes the style marks out of a paragraph's text; the block keeps its size.
void RemoveMarks(TParagraphRec &par)
{
    if (par.MarkCount == 0)
        return;
    uint8_t *t = par.Text;
    const int32_t size = par.ByteSize();
    int32_t w = 0;
    for (int32_t o = 0; o < size;) {
        const void *m = std::memchr(t + o, scMark, static_cast<size_t>(size - o));
        const int32_t runEnd = m ? static_cast<int32_t>(static_cast<const uint8_t *>(m) - t) : size;
        if (w != o)
            std::memmove(t + w, t + o, static_cast<size_t>(runEnd - o));
        w += runEnd - o;
        o = m ? runEnd + kMarkSize : size;
    }
    par.MarkCount = 0;
}

} // namespace

TParagraphStore::TParagraphStore()
{
    TParagraphRec par{};
    par.Text = AllocText(kEmptyParagraphCapacity);
    par.Capacity = kEmptyParagraphCapacity;
    par.LineRecs = new TLL(TLineRec{});
    pars_.Add(par);
    lineCount_ = 1;
}

TParagraphStore::~TParagraphStore()
{
    for (int32_t i = 0; i < pars_.Count(); ++i)
        FreeParagraph(pars_.At(i));
    for (TCodeNavigator *n : navigators_)
        n->Detach();
}

void TParagraphStore::FreeParagraph(TParagraphRec &p)
{
    ReleaseText(p);
    delete p.LineRecs;
    p.LineRecs = nullptr;
}

void TParagraphStore::Clear()
{
    for (int32_t i = 0; i < pars_.Count(); ++i)
        FreeParagraph(pars_.At(i));
    pars_.Clear();
    loadBlocks_.clear();
    loadAt_ = nullptr;
    loadRoom_ = 0;
    input_ = nullptr;
    inputSize_ = 0;
    textLength_ = 0;
    lineCount_ = 0;
    loaded_ = 0;
    for (TCodeNavigator *n : navigators_)
        n->Invalidate();
}

void TParagraphStore::AppendLoaded(const uint8_t *bytes, int32_t length, uint16_t style, bool regionsPending)
{
    if (loaded_ + length > INT32_MAX - 2)
        throw EQuenvelError("The text is too long to be edited");
    TParagraphRec par{};
    par.Text = LoadedCopy(bytes, length);
    par.Length = length;
    par.RawFirstLine = pars_.Count();
    par.RawStart = static_cast<int32_t>(loaded_);
    par.LoadStyle = static_cast<uint8_t>(style); // its line record is made when first needed
    par.RegionsPending = regionsPending ? 1 : 0;
    // amortised growth; trimmed to the exact count at the end
    const int32_t cap = pars_.Capacity();
    if (pars_.Count() == cap)
        pars_.SetCapacity(cap < kDoublingLimit ? cap * 2 + 4 : cap + cap / 2);
    pars_.Add(par);
    loaded_ += length + 2;
}

void TParagraphStore::BeginLoad(int64_t expected, std::shared_ptr<uint8_t[]> input, size_t inputSize)
{
    loadExpected_ = std::max<int64_t>(expected, 0);
    if (input) {
        input_ = input.get();
        inputSize_ = inputSize;
        loadBlocks_.push_back(TLoadBlock{std::move(input), inputSize});
        loadExpected_ = 0; // what must be copied is the odd paragraph
    }
}

uint8_t *TParagraphStore::LoadedCopy(const uint8_t *bytes, int32_t length)
{
    const auto n = static_cast<size_t>(length);
    const uintptr_t at = reinterpret_cast<uintptr_t>(bytes) - reinterpret_cast<uintptr_t>(input_);
    if (input_ && at <= inputSize_ && n <= inputSize_ - at)
        return input_ + at; // as it stands in the loader's block
    if (input_ && n == 0)
        return input_;
    if (!loadAt_ || n > loadRoom_) {
        // a block for what the file still holds, within bounds; untouched room costs no memory
        const size_t want = static_cast<size_t>(std::clamp<int64_t>(loadExpected_, kMinLoadBlock, kMaxLoadBlock));
        const size_t size = std::max(want, n + 1);
        loadBlocks_.push_back(TLoadBlock{MakeLargeBlock(size), size});
        loadAt_ = loadBlocks_.back().bytes.get();
        loadRoom_ = size;
    }
    uint8_t *t = loadAt_;
    if (n)
        std::memcpy(t, bytes, n);
    loadAt_ += n;
    loadRoom_ -= n;
    loadExpected_ -= length + 2;
    return t;
}

bool TParagraphStore::IsLoadedText(const TParagraphRec &par) const
{
    const auto t = reinterpret_cast<uintptr_t>(par.Text);
    for (const TLoadBlock &b : loadBlocks_) {
        const auto from = reinterpret_cast<uintptr_t>(b.bytes.get());
        if (t >= from && t + static_cast<uintptr_t>(par.Length) <= from + b.size)
            return true;
    }
    return false;
}

void TParagraphStore::EndLoad()
{
    pars_.SetCapacity(pars_.Count());
    textLength_ = static_cast<int32_t>(loaded_ - 2);
    lineCount_ = pars_.Count();
    loaded_ = 0;
}

TParagraphStore::TSplice TParagraphStore::Splice(int32_t firstPar, int32_t lastPar, int32_t s, int32_t e,
                                                 std::vector<TParagraphRec> &made)
{
    int64_t oldLength = 0, newLength = 0;
    int32_t oldLines = 0, newLines = 0;
    for (int32_t p = firstPar; p <= lastPar; ++p) {
        oldLines += Par(p).LineCount();
        oldLength += Par(p).Length + 2;
    }
    const int32_t k = static_cast<int32_t>(made.size());
    const int32_t start = Start(firstPar);
    const int32_t firstLine = FirstLine(firstPar);
    for (int32_t p = firstPar; p <= lastPar; ++p)
        FreeParagraph(Par(p));
    pars_.MoveTail(lastPar + 1, firstPar + k);
    for (int32_t i = 0; i < k; ++i) {
        const int32_t p = firstPar + i;
        pars_.At(p) = made[static_cast<size_t>(i)];
        pars_.SetStart(p, static_cast<int32_t>(start + newLength));
        pars_.SetFirstLine(p, firstLine + newLines);
        newLength += made[static_cast<size_t>(i)].Length + 2;
        newLines += made[static_cast<size_t>(i)].LineCount();
    }
    const TSplice done{static_cast<int32_t>(newLength - oldLength), k - (lastPar - firstPar + 1)};
    pars_.Shift(firstPar + k, done.lengthDelta, newLines - oldLines);
    textLength_ += done.lengthDelta;
    lineCount_ += newLines - oldLines;
    for (TCodeNavigator *n : navigators_)
        n->FollowSplice(s, e, done.lengthDelta, firstPar, lastPar, done.parDelta);
    return done;
}

void TParagraphStore::StripMarks(int32_t p0, int32_t p1)
{
    for (int32_t p = p0; p <= p1; ++p) {
        TParagraphRec &par = Par(p);
        par.Formatted = 0;
        if (!par.LineRecs)
            continue; // as loaded: one line, no marks
        RemoveMarks(par);
        TLL &lines = par.Lines();
        // one line per paragraph until it is laid out again
        if (lines.Count() > 1) {
            const int32_t extra = lines.Count() - 1;
            lineCount_ -= extra;
            ShiftFirstLines(p + 1, -extra);
        }
        const uint16_t style = lines.At(0).Style;
        const TDynStyle keep = lines.At(0).DynStyle;
        lines.SetCount(1);
        TLineRec &l = lines.At(0);
        l.StartByte = 0;
        l.EndByte = par.Length;
        l.Style = style;
        if (p != p0 || !keep.IsDynamic())
            l.DynStyle = NoDynStyle();
    }
}

void TParagraphStore::StripAll(bool regionsPending)
{
    const int32_t P = pars_.Count();
    for (int32_t p = 0; p < P; ++p) {
        TParagraphRec &par = Par(p);
        RemoveMarks(par);
        // one plain line over the text, made when first needed
        par.LoadStyle = static_cast<uint8_t>(par.StartStyle());
        delete par.LineRecs;
        par.LineRecs = nullptr;
        pars_.SetFirstLine(p, p);
        par.Formatted = 0;
        par.Parsed = 0;
        par.RegionsPending = regionsPending ? 1 : 0;
    }
    lineCount_ = P;
}

void TParagraphStore::MarkMoved(const TCodeNavigator &by, int32_t par, int32_t byteOffset, int32_t delta)
{
    for (TCodeNavigator *n : navigators_)
        if (n != &by)
            n->FollowMark(par, byteOffset, delta);
}

void TParagraphStore::Unregister(TCodeNavigator *n)
{
    auto it = std::find(navigators_.begin(), navigators_.end(), n);
    if (it != navigators_.end())
        navigators_.erase(it);
}

void TParagraphStore::PlaceAll(int32_t pos)
{
    for (TCodeNavigator *n : navigators_)
        n->MoveTo(pos);
}

void TParagraphStore::DropOffsetsIn(int32_t first, int32_t last)
{
    for (TCodeNavigator *n : navigators_)
        if (n->ParResolved() && n->ResolvedParNb() >= first && n->ResolvedParNb() <= last)
            n->DropOffsets();
}

void TParagraphStore::DropOffsetsAfter(int32_t pos, int32_t first, int32_t last)
{
    for (TCodeNavigator *n : navigators_)
        if (n->ParResolved() && n->ResolvedParNb() >= first && n->ResolvedParNb() <= last && n->Pos() > pos)
            n->DropOffsets();
}

void TParagraphStore::DropLinesIn(int32_t first, int32_t last)
{
    for (TCodeNavigator *n : navigators_)
        if (n->ParResolved() && n->ResolvedParNb() >= first && n->ResolvedParNb() <= last)
            n->DropLine();
}

void TParagraphStore::CopyText(TCodeNavigator &nav, uint8_t *buf, int32_t n) const
{
    if (n > textLength_ - nav.Pos())
        n = std::max(0, textLength_ - nav.Pos());
    int32_t i = nav.ParNb();
    int32_t parOffset = nav.ParOffset();
    int32_t o = nav.TextOffset();
    uint8_t *out = buf;
    while (n > 0) {
        const TParagraphRec &par = pars_.At(i);
        if (parOffset < par.Length) {
            int32_t want = std::min(n, par.Length - parOffset);
            if (par.MarkCount == 0) {
                std::memcpy(out, par.Text + o, static_cast<size_t>(want));
                out += want;
            } else {
                for (int32_t k = 0; k < want;) {
                    uint8_t b = par.Text[o];
                    if (b == scMark) {
                        o += kMarkSize;
                        continue;
                    }
                    *out++ = b;
                    ++o;
                    ++k;
                }
            }
            n -= want;
            parOffset += want;
            continue;
        }
        if (parOffset == par.Length) {
            *out++ = 13;
            --n;
            ++parOffset;
            if (n == 0)
                break;
        }
        *out++ = 10;
        --n;
        ++i;
        parOffset = 0;
        o = 0;
    }
    *out = 0;
}

std::string TParagraphStore::ParagraphText(int32_t i) const
{
    if (i < 0 || i >= pars_.Count())
        return std::string();
    const TParagraphRec &par = pars_.At(i);
    std::string s;
    s.resize(static_cast<size_t>(par.Length));
    if (par.MarkCount == 0) {
        std::memcpy(s.data(), par.Text, static_cast<size_t>(par.Length));
    } else {
        size_t k = 0;
        for (int32_t o = 0; o < par.ByteSize();) {
            if (par.Text[o] == scMark) {
                o += kMarkSize;
            } else {
                s[k++] = static_cast<char>(par.Text[o++]);
            }
        }
    }
    return s;
}

std::string TParagraphStore::CheckInvariants() const
{
    const int32_t P = pars_.Count();
    if (P < 1)
        return "no paragraph";
    int64_t start = 0, firstLine = 0;
    uint16_t style = 0;
    TDynStyle dyn = NoDynStyle();
    for (int32_t i = 0; i < P; ++i) {
        const TParagraphRec &par = pars_.At(i);
        std::string where = "paragraph " + std::to_string(i) + ": ";
        if (Start(i) != start)
            return where + "Start " + std::to_string(Start(i)) + " should be " + std::to_string(start);
        if (FirstLine(i) != firstLine)
            return where + "FirstLine " + std::to_string(FirstLine(i)) + " should be " +
                   std::to_string(firstLine);
        if (par.OwnsText() ? par.ByteSize() > par.Capacity : par.MarkCount != 0 || !IsLoadedText(par))
            return where + (par.OwnsText() ? "byte size beyond capacity" : "shared text that is not the file's");
        if (par.LineCount() < 1)
            return where + "no line record";
        // count marks and positions
        int32_t marks = 0, positions = 0;
        for (int32_t o = 0; o < par.ByteSize();) {
            if (par.Text[o] == scMark) {
                ++marks;
                o += kMarkSize;
                if (o > par.ByteSize())
                    return where + "mark runs past the end";
            } else {
                if (par.Text[o] == 0)
                    return where + "NUL byte in text";
                ++positions;
                ++o;
            }
        }
        if (marks != par.MarkCount)
            return where + "MarkCount " + std::to_string(par.MarkCount) + " but " + std::to_string(marks) +
                   " marks";
        if (positions != par.Length)
            return where + "Length mismatch";
        // line tiling, and styles at each line start
        const TLL &lines = par.Lines();
        int32_t expect = 0;
        int32_t o = 0;
        // running and dynamic style up to a byte offset
        auto walkTo = [&](int32_t limit) {
            while (o < limit) {
                if (par.Text[o] == scMark) {
                    dyn = ReadMark(par.Text + o);
                    o += kMarkSize;
                } else {
                    style ^= StyleCodeBit(par.Text[o]);
                    ++o;
                }
            }
        };
        for (int32_t k = 0; k < lines.Count(); ++k) {
            const TLineRec &l = lines.At(k);
            if (l.StartByte != expect)
                return where + "line " + std::to_string(k) + " starts at " + std::to_string(l.StartByte) +
                       " not " + std::to_string(expect);
            if (l.EndByte < l.StartByte)
                return where + "line " + std::to_string(k) + " ends before it starts";
            walkTo(l.StartByte);
            if (o != l.StartByte)
                return where + "line " + std::to_string(k) + " starts inside a style mark";
            if (l.Style != style)
                return where + "line " + std::to_string(k) + " Style " + std::to_string(l.Style) +
                       " should be " + std::to_string(style);
            // styles without the dynamic bit all draw the same
            if (!(l.DynStyle == dyn) && (l.DynStyle.IsDynamic() || dyn.IsDynamic()))
                return where + "line " + std::to_string(k) + " DynStyle differs from the style in force";
            expect = l.EndByte;
        }
        if (expect != par.ByteSize())
            return where + "last line ends at " + std::to_string(expect) + " not " +
                   std::to_string(par.ByteSize());
        walkTo(par.ByteSize());
        start += par.Length + 2;
        firstLine += lines.Count();
    }
    if (start - 2 != textLength_)
        return "TextLength " + std::to_string(textLength_) + " should be " + std::to_string(start - 2);
    if (firstLine != lineCount_)
        return "LineCount " + std::to_string(lineCount_) + " should be " + std::to_string(firstLine);
    return std::string();
}

} // namespace quenvel
