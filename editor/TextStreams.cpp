// Loading and saving plain text, and the RTF writer.
#include "CodeMemo.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace quenvel {

namespace {

constexpr int32_t kChunk = 65500;

// Bytes the loader must look at one by one.
struct TLoadClasses {
    bool special[256];
    constexpr TLoadClasses() : special{}
    {
        for (int b : {0, 1, 2, 3, 4, 5, 10, 13, 21})
            special[b] = true;
    }
};
constexpr TLoadClasses kLoad;

// Collects one paragraph's bytes, then gives them an exact block. Bytes that stand in one
// piece in the input are only pointed at, not copied, while the input stays in place.
class TParagraphBuilder
{
public:
    ~TParagraphBuilder() { std::free(buf_); }
    void Append(const uint8_t *p, size_t n)
    {
        if (size_ == 0) {
            lent_ = p;
            size_ = n;
            return;
        }
        if (lent_ && p == lent_ + size_) {
            size_ += n;
            return;
        }
        Own();
        Reserve(size_ + n);
        std::memcpy(buf_ + size_, p, n);
        size_ += n;
    }
    // The byte at p, or `b` in its place.
    void Put(const uint8_t *p, uint8_t b)
    {
        if (*p == b) {
            Append(p, 1);
            return;
        }
        Own();
        Reserve(size_ + 1);
        buf_[size_++] = b;
    }
    // Copies bytes only pointed at into the builder's own block (before the input moves).
    void Own()
    {
        if (!lent_)
            return;
        const uint8_t *p = lent_;
        lent_ = nullptr;
        Reserve(size_);
        std::memcpy(buf_, p, size_);
    }
    size_t Size() const { return size_; }
    const uint8_t *Data() const { return lent_ ? lent_ : buf_; }
    void Reset()
    {
        size_ = 0;
        lent_ = nullptr;
    }

private:
    void Reserve(size_t n)
    {
        if (n <= cap_)
            return;
        size_t c = std::max<size_t>(n, cap_ * 2);
        c = std::max<size_t>(c, 256);
        void *q = std::realloc(buf_, c);
        if (!q)
            throw EOutOfMemory();
        buf_ = static_cast<uint8_t *>(q);
        cap_ = c;
    }
    const uint8_t *lent_ = nullptr;
    uint8_t *buf_ = nullptr;
    size_t size_ = 0;
    size_t cap_ = 0;
};

} // namespace

void TCodeMemo::StartLoading(TStream &stream, const TProtMemStream *inMemory, std::shared_ptr<uint8_t[]> input)
{
    if (!inMemory || inMemory->Data() != input.get())
        input.reset(); // the store keeps only the block the stream reads
    modified_ = true;
    ClearStore();
    store_.BeginLoad(stream.Size() - stream.Position(), std::move(input), static_cast<size_t>(stream.Size()));
    lastProgress_ = TickCount();
}

void TCodeMemo::LoadFromStream(TStream &stream, std::shared_ptr<uint8_t[]> input)
{
    // bytes already in memory are read where they stand, in one piece
    auto *inMemory = dynamic_cast<TProtMemStream *>(&stream);
    const int64_t startPos = stream.Position();
    StartLoading(stream, inMemory, std::move(input));

    TParagraphBuilder cur;
    uint16_t style = 0;
    uint16_t parStartStyle = 0;
    uint8_t pendingPair = 0; // the break byte that ended the last paragraph, while it may still pair
    int64_t nulAt = -1;
    int64_t consumed = 0;
    // Regions that never leave their paragraph are found when a paragraph is first needed.
    const bool lazyRegions = StartStopActive && RegionsStayInParagraph();

    auto endParagraph = [&]() {
        store_.AppendLoaded(cur.Data(), static_cast<int32_t>(cur.Size()), parStartStyle, lazyRegions);
        cur.Reset();
        parStartStyle = style;
        ReportProgress();
    };

    std::vector<uint8_t> chunk(inMemory ? 0 : kChunk);
    bool done = false;
    try {
        while (!done) {
            const uint8_t *p = chunk.data();
            int64_t got;
            if (inMemory) {
                p = inMemory->Data() + stream.Position();
                got = stream.Size() - stream.Position();
                stream.Seek(got, TStream::soCurrent);
            } else {
                got = stream.Read(chunk.data(), kChunk);
            }
            if (got <= 0)
                break;
            int64_t i = 0;
            while (i < got) {
                // a run of ordinary bytes
                int64_t j = i;
                while (j < got && !kLoad.special[p[j]])
                    ++j;
                if (j > i) {
                    pendingPair = 0;
                    int64_t run = j - i;
                    while (run > 0) {
                        int64_t room = kMaxParagraphBytes - static_cast<int64_t>(cur.Size());
                        if (room == 0) {
                            endParagraph();
                            continue;
                        }
                        int64_t take = std::min(run, room);
                        cur.Append(p + i, static_cast<size_t>(take));
                        i += take;
                        run -= take;
                    }
                    if (i >= got)
                        break;
                }
                const uint8_t b = p[i];
                if (b == 0) {
                    nulAt = consumed + i;
                    done = true;
                    break;
                }
                if (b == 13 || b == 10) {
                    if (pendingPair && pendingPair != b) {
                        pendingPair = 0; // the second byte of a pair
                    } else {
                        endParagraph();
                        pendingPair = b;
                    }
                    ++i;
                    continue;
                }
                pendingPair = 0;
                if (cur.Size() >= static_cast<size_t>(kMaxParagraphBytes))
                    endParagraph();
                if (b == scMark) {
                    cur.Put(p + i, 167);
                } else {
                    style ^= StyleCodeBit(b);
                    cur.Put(p + i, b);
                }
                ++i;
            }
            consumed += got;
            if (!inMemory)
                cur.Own(); // the chunk is read over next
        }
    } catch (...) {
        // keep what was read, in a consistent store; closing the paragraph being read may
        // be what failed, and then its bytes are dropped (the store needs one paragraph)
        try {
            endParagraph();
        } catch (...) {
            cur.Reset();
            if (ParagraphCount() == 0)
                endParagraph();
        }
        store_.EndLoad();
        store_.PlaceAll(0);
        selLength_ = 0;
        caretNav_ = selStartNav_;
        throw;
    }
    endParagraph();
    store_.EndLoad();
    selLength_ = 0;
    if (nulAt >= 0)
        stream.SetPosition(startPos + nulAt);

    WholeTextReplaced(lazyRegions);
    LoadFinished();
    Change();
}

namespace {

// Collects output in a large block and hands it to the stream when full; a piece larger
// than the block goes straight through.
class TBlockWriter
{
public:
    // A block no larger than the whole output needs; it is not cleared first.
    TBlockWriter(TStream &s, int64_t total)
        : stream_(s), block_(static_cast<size_t>(std::clamp<int64_t>(total, 1, kMaxBlock))),
          buf_(std::make_unique_for_overwrite<uint8_t[]>(block_))
    {
    }
    void Put(const uint8_t *p, size_t n)
    {
        if (n > block_ - used_) {
            Flush();
            if (n > block_) {
                stream_.Write(p, static_cast<int64_t>(n));
                return;
            }
        }
        std::memcpy(buf_.get() + used_, p, n);
        used_ += n;
    }
    void Flush()
    {
        if (used_)
            stream_.Write(buf_.get(), static_cast<int64_t>(used_));
        used_ = 0;
    }
    // Room for n more bytes in the block (nullptr when n is larger than a block); what
    // is written there counts once Commit says so.
    uint8_t *Room(size_t n)
    {
        if (n > block_ - used_) {
            Flush();
            if (n > block_)
                return nullptr;
        }
        return buf_.get() + used_;
    }
    void Commit(size_t n) { used_ += n; }

private:
    static constexpr int64_t kMaxBlock = 1 << 20;
    TStream &stream_;
    size_t block_;
    std::unique_ptr<uint8_t[]> buf_;
    size_t used_ = 0;
};

// Whether the bytes hold a style code; written without an early exit, so that it is
// checked many bytes at a time.
bool HasStyleCode(const uint8_t *p, int32_t n)
{
    uint8_t any = 0;
    for (int32_t o = 0; o < n; ++o)
        any |= static_cast<uint8_t>((static_cast<uint8_t>(p[o] - 1) < 4) | (p[o] == 21));
    return any != 0;
}

} // namespace

void TCodeMemo::SaveToStream(TStream &stream)
{
    lastProgress_ = TickCount();
    TBlockWriter out(stream, static_cast<int64_t>(TextLength()) + 2);
    std::vector<uint8_t> tmp;
    static const uint8_t crlf[2] = {13, 10};
    // The characters between the marks, and whether a style code is among them. The runs
    // between marks are short: a byte at a time beats a search per run.
    auto strip = [](const TParagraphRec &par, uint8_t *w) {
        const uint8_t *src = par.Text, *stop = par.Text + par.ByteSize();
        bool codes = false;
        while (src < stop) {
            const uint8_t b = *src;
            if (b == scMark) {
                src += kMarkSize;
            } else {
                codes |= StyleCodeBit(b) != 0;
                *w++ = b;
                ++src;
            }
        }
        return codes;
    };
    const int32_t P = store_.Paragraphs().Count();
    for (int32_t i = 0; i < P; ++i) {
        const TParagraphRec &par = store_.Paragraphs().At(i);
        const size_t n = static_cast<size_t>(par.Length);
        // straight into the output block, the line end too
        uint8_t *w = out.Room(n + 2);
        const uint8_t *text = w;
        bool codes;
        if (w && par.MarkCount == 0) {
            std::memcpy(w, par.Text, n);
            codes = HasStyleCode(w, par.Length);
        } else if (w) {
            codes = strip(par, w);
        } else {
            tmp.resize(n);
            codes = strip(par, tmp.data());
            text = tmp.data();
        }
        if (PackCodes && codes) {
            // a code and the same code again with only other codes between cancel out
            if (text != tmp.data())
                tmp.assign(text, text + n);
            size_t k = 0;
            while (k < tmp.size()) {
                const uint8_t c = tmp[k];
                if (IsStyleCode(c)) {
                    size_t j = k + 1;
                    while (j < tmp.size() && IsStyleCode(tmp[j]) && tmp[j] != c)
                        ++j;
                    if (j < tmp.size() && tmp[j] == c) {
                        tmp.erase(tmp.begin() + static_cast<std::ptrdiff_t>(j));
                        tmp.erase(tmp.begin() + static_cast<std::ptrdiff_t>(k));
                        continue;
                    }
                }
                ++k;
            }
            out.Put(tmp.data(), tmp.size());
        } else if (w) {
            out.Commit(n);
        } else {
            out.Put(text, n);
        }
        if (i < P - 1)
            out.Put(crlf, 2);
        ReportProgress();
    }
    out.Flush();
}

namespace {

std::string RtfColor(TColor c)
{
    TColor rgb = ColorToRGB(c);
    return "\\red" + std::to_string(rgb & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) + "\\blue" +
           std::to_string((rgb >> 16) & 0xFF) + ";";
}

} // namespace

void TCodeMemo::SaveToRTFStream(TStream &stream)
{
    lastProgress_ = TickCount();
    auto charFormat = [&](uint16_t s) {
        std::string f = "\\plain";
        if (s & fsAltFont)
            f += "\\f1\\fs" + std::to_string(2 * std::abs(altFont_.Size));
        else
            f += "\\f0\\fs" + std::to_string(2 * std::abs(font_.Size));
        if (s & fsBold)
            f += "\\b";
        if (s & fsItalic)
            f += "\\i";
        if (s & fsUnderline)
            f += "\\ul";
        f += (s & fsHighlight) ? "\\cf1\\cb3" : "\\cf0\\cb2";
        f += " ";
        return f;
    };
    std::string out = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil " + font_.Name + ";}" +
                      "{\\f1\\fnil " + altFont_.Name + ";}}\r\n";
    out += "{\\colortbl" + RtfColor(font_.Color) + RtfColor(highlightColor_) + RtfColor(color_) +
           RtfColor(highlightBackgnd_) + "}";
    if (justified_)
        out += "\\pard\\qj";
    else if (alignment_ == taRightJustify)
        out += "\\pard\\qr";
    else if (alignment_ == taCenter)
        out += "\\pard\\qc";
    else
        out += "\\pard\\ql";
    uint16_t style = font_.Style & 15;
    out += charFormat(style) + "\r\n";
    const int32_t P = store_.Paragraphs().Count();
    for (int32_t i = 0; i < P; ++i) {
        const TParagraphRec &par = store_.Paragraphs().At(i);
        out += "\\par ";
        const int32_t size = par.ByteSize();
        int32_t o = 0;
        while (o < size) {
            uint8_t b = par.Text[o];
            if (b == scMark) {
                o += kMarkSize;
                continue;
            }
            if (IsStyleCode(b)) {
                // a maximal run of codes (marks inside it are skipped)
                while (o < size) {
                    uint8_t c = par.Text[o];
                    if (c == scMark) {
                        o += kMarkSize;
                    } else if (IsStyleCode(c)) {
                        style ^= StyleCodeBit(c);
                        ++o;
                    } else {
                        break;
                    }
                }
                out += charFormat(style);
                continue;
            }
            if (b == '\\' || b == '{' || b == '}')
                out.push_back('\\');
            out.push_back(static_cast<char>(b));
            ++o;
        }
        if (out.size() > (1u << 16)) {
            stream.WriteString(out);
            out.clear();
        }
        ReportProgress();
    }
    out += "\\par }";
    stream.WriteString(out);
}

void TCodeMemo::SetTextBuf(const char *text)
{
    const size_t n = text ? std::strlen(text) : 0;
    if (n == 0 && TextLength() == 0)
        return;
    modified_ = true;
    TProtMemStream s;
    s.Attach(text ? text : "", static_cast<int64_t>(n));
    LoadFromStream(s);
    s.Detach();
}

void TCodeMemo::Clear()
{
    SetTextBuf("");
    ResetUndo();
}

void TCodeMemo::WholeTextReplaced(bool regionsLazy)
{
    // the parse event for all of it, the regions found now unless found when first needed,
    // and the caret at the start
    store_.PlaceAll(0);
    selStopNav_->SetPos(TextLength());
    if (OnParse)
        OnParse(this, 0, TextLength());
    if (StartStopActive && !regionsLazy)
        ParseStartStop(*selStartNav_, *selStopNav_);
    store_.PlaceAll(0);
    caretNav_ = selStartNav_;
}

} // namespace quenvel
