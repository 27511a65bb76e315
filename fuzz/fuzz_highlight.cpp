// Highlighting of any bytes under each dialect: highlighting kept up to date in place
// (a dialect switch, text typed at the end) equals what a fresh load of the same text shows.
#include "FuzzUtil.h"

using namespace quenvel;
using namespace quenvel::fuzz;

namespace {

std::vector<THighlightRun> Fresh(TDialect dialect, const std::string &text)
{
    TDocument d;
    d.SetDialect(dialect, false);
    LoadString(d.Memo(), ForFreshLoad(text));
    return Highlighting(d.Memo());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const auto first = static_cast<TDialect>(data[0] & 3), second = static_cast<TDialect>((data[0] >> 2) & 3);
    std::string bytes(reinterpret_cast<const char *>(data + 2), size - 2);
    bytes = bytes.substr(0, bytes.find('\0')); // the loader stops at a NUL
    const size_t split = bytes.size() * data[1] / 255;

    // the text loaded under one dialect, then switched to another in place
    TDocument doc;
    doc.SetDialect(first, false);
    TCodeMemo &m = doc.Memo();
    LoadString(m, bytes);
    Highlighting(m);
    doc.SetDialect(second);
    CheckStore(m, "after a dialect switch");
    const std::string text = m.Text();
    Check(Highlighting(m) == Fresh(second, text), "highlighting after a dialect switch differs from a fresh load");

    // the first part loaded, the rest typed at its end
    TDocument typed;
    typed.SetDialect(second, false);
    TCodeMemo &t = typed.Memo();
    LoadString(t, bytes.substr(0, split));
    Highlighting(t);
    t.SetSelStart(t.TextLength());
    t.SetSelTextBuf(bytes.substr(split).c_str());
    CheckStore(t, "after typing");
    Check(Highlighting(t) == Fresh(second, t.Text()), "highlighting after typing differs from a fresh load");
    return 0;
}
