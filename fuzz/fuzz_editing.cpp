// Random replacements, undo, clipboard commands and dialect switches: the text always
// equals a byte model, the store stays consistent, and highlighting equals a fresh load.
#include "FuzzUtil.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace quenvel;
using namespace quenvel::fuzz;

namespace {

class TModelClipboard : public TClipboard
{
public:
    std::string text;
    bool has = false;
    bool HasText() override { return has; }
    std::string GetText() override { return text; }
    void SetText(const std::string &bytes) override
    {
        text = bytes;
        has = true;
    }
};

int CodeIndex(uint8_t b)
{
    switch (b) {
    case 21: return 0;
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    default: return -1;
    }
}

// The text after replacing [s, e) of the model by typed bytes: CR (with a LF after it)
// is a break, 5 becomes 165, and style codes are added after the text so that the styles
// after it stay as they were.
std::string ModelReplace(const std::string &model, int32_t s, int32_t e, const std::string &text)
{
    std::string ins;
    int added[5] = {}, removed[5] = {};
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == 13) {
            ins += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == 10)
                ++i;
            continue;
        }
        if (b == 5)
            b = 165;
        if (CodeIndex(b) >= 0)
            added[CodeIndex(b)] ^= 1;
        ins.push_back(static_cast<char>(b));
    }
    for (int32_t i = s; i < e; ++i) {
        const int ci = CodeIndex(static_cast<uint8_t>(model[static_cast<size_t>(i)]));
        if (ci >= 0)
            removed[ci] ^= 1;
    }
    const char order[5] = {21, 1, 2, 3, 4};
    for (int k = 0; k < 5; ++k)
        if (added[k] != removed[k])
            ins.push_back(order[k]);
    return model.substr(0, static_cast<size_t>(s)) + ins + model.substr(static_cast<size_t>(e));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    TDocument doc;
    int dialect = in.ConsumeIntegralInRange(0, 3);
    doc.SetDialect(dialect, false);
    TCodeMemo &m = doc.Memo();
    TModelClipboard clip;
    m.Clipboard = &clip;
    std::string start = in.ConsumeRandomLengthString(200);
    start = start.substr(0, start.find('\0'));
    LoadBytes(m, start);
    std::string model = m.Text();

    for (int step = 0; step < 40 && in.remaining_bytes() > 0; ++step) {
        const int32_t T = static_cast<int32_t>(model.size());
        int32_t s = in.ConsumeIntegralInRange<int32_t>(0, T);
        int32_t e = in.ConsumeIntegralInRange<int32_t>(0, T);
        if (e < s)
            std::swap(s, e);
        // a break's two positions go together
        for (int32_t *p : {&s, &e})
            if (*p > 0 && *p < T && model[static_cast<size_t>(*p)] == '\n' && model[static_cast<size_t>(*p - 1)] == '\r')
                --*p;
        m.SetSelLength(0);
        m.SetSelStart(s);
        m.SetSelLength(e - s);
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0:
        case 1: {
            const std::string text = in.ConsumeRandomLengthString(16);
            m.SetSelTextBuf(text.c_str());
            model = ModelReplace(model, s, e, text);
            break;
        }
        case 2:
            m.CopyToClipboard();
            if (e > s)
                Check(clip.text == model.substr(static_cast<size_t>(s), static_cast<size_t>(e - s)),
                      "copy did not give the selection");
            break;
        case 3:
            m.CutToClipboard();
            if (e > s) {
                Check(clip.text == model.substr(static_cast<size_t>(s), static_cast<size_t>(e - s)),
                      "cut did not give the selection");
                model = ModelReplace(model, s, e, "");
            }
            break;
        case 4:
            if (clip.has) {
                std::string text = clip.text;
                text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
                m.PasteFromClipboard();
                model = ModelReplace(model, s, e, text);
            }
            break;
        case 5: {
            // undo, then undo of the undo, gives back the text before
            const std::string before = m.Text();
            m.Undo();
            CheckStore(m, "after undo");
            if (in.ConsumeBool()) {
                m.Undo();
                Check(m.Text() == before, "undo of undo did not restore the text");
            }
            model = m.Text();
            break;
        }
        default:
            dialect = in.ConsumeIntegralInRange(0, 3);
            doc.SetDialect(dialect);
            break;
        }
        Check(m.Text() == model, "text differs from the model at step " + std::to_string(step));
        CheckStore(m, "after an edit");
    }
    TDocument fresh;
    fresh.SetDialect(dialect, false);
    LoadBytes(fresh.Memo(), ForFreshLoad(model));
    Check(Highlighting(m) == Highlighting(fresh.Memo()), "highlighting differs from a fresh load");
    return 0;
}
