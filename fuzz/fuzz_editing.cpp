// Random replacements, undo (one-level and the history), clipboard commands and dialect
// switches: the text always equals a byte model, the store stays consistent, and
// highlighting equals a fresh load.
#include "FuzzUtil.h"
#include "tests/ByteModel.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace quenvel;
using namespace quenvel::fuzz;
using quenvel::test::ModelReplace;

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


} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    TDocument doc;
    int dialect = in.ConsumeIntegralInRange(0, 3);
    doc.SetDialect(static_cast<TDialect>(dialect), false);
    TCodeMemo &m = doc.Memo();
    m.SetUndoMode(in.ConsumeBool() ? TUndoMode::Multi : TUndoMode::Toggle);
    TModelClipboard clip;
    m.Clipboard = &clip;
    std::string start = in.ConsumeRandomLengthString(200);
    start = start.substr(0, start.find('\0'));
    LoadString(m, start);
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
                // paste breaks lines at CR LF, LF CR, CR and LF, as loading does
                std::string text;
                for (size_t i = 0; i < clip.text.size(); ++i) {
                    const char c = clip.text[i];
                    if (c == '\0')
                        continue;
                    if (c == '\r' || c == '\n') {
                        text.push_back('\r');
                        if (i + 1 < clip.text.size() && (clip.text[i + 1] == '\r' || clip.text[i + 1] == '\n') &&
                            clip.text[i + 1] != c)
                            ++i;
                        continue;
                    }
                    text.push_back(c);
                }
                m.PasteFromClipboard();
                model = ModelReplace(model, s, e, text);
            }
            break;
        case 5: {
            // undo, then taking it back (one-level: undo again; history: redo) gives back
            // the text before
            const std::string before = m.Text();
            const bool undone = m.CanUndo();
            m.Undo();
            CheckStore(m, "after undo");
            if (in.ConsumeBool()) {
                if (m.UndoMode() == TUndoMode::Toggle)
                    m.Undo();
                else if (undone) // else a redo would make an older undone step again
                    m.Redo();
                Check(m.Text() == before, "taking back the undo did not restore the text");
            }
            model = m.Text();
            break;
        }
        default:
            dialect = in.ConsumeIntegralInRange(0, 3);
            doc.SetDialect(static_cast<TDialect>(dialect));
            break;
        }
        Check(m.Text() == model, "text differs from the model at step " + std::to_string(step));
        CheckStore(m, "after an edit");
    }
    TDocument fresh;
    fresh.SetDialect(static_cast<TDialect>(dialect), false);
    LoadString(fresh.Memo(), ForFreshLoad(model));
    Check(Highlighting(m) == Highlighting(fresh.Memo()), "highlighting differs from a fresh load");
    return 0;
}
