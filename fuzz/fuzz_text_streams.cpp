// The plain-text loader and both writers: what is saved is what the bytes say, a second
// round trip changes nothing, the store stays consistent, and the RTF is well formed.
#include "FuzzUtil.h"

using namespace quenvel;
using namespace quenvel::fuzz;

namespace {

// The plain text a load and a save of the bytes must give.
std::string ExpectedSave(const std::string &in)
{
    std::vector<std::string> pars(1);
    uint8_t pending = 0;
    for (unsigned char b : in) {
        if (b == 0)
            break;
        if (b == 13 || b == 10) {
            if (pending && pending != b) {
                pending = 0;
            } else {
                pars.emplace_back();
                pending = b;
            }
            continue;
        }
        pending = 0;
        pars.back().push_back(static_cast<char>(b == 5 ? 167 : b));
    }
    std::string out;
    for (size_t i = 0; i < pars.size(); ++i) {
        // style codes that cancel each other inside one run of codes are left out
        std::string &t = pars[i];
        size_t k = 0;
        while (k < t.size()) {
            const uint8_t c = static_cast<uint8_t>(t[k]);
            if (IsStyleCode(c)) {
                size_t j = k + 1;
                while (j < t.size() && IsStyleCode(static_cast<uint8_t>(t[j])) && t[j] != t[k])
                    ++j;
                if (j < t.size() && t[j] == t[k]) {
                    t.erase(j, 1);
                    t.erase(k, 1);
                    continue;
                }
            }
            ++k;
        }
        if (i)
            out += "\r\n";
        out += t;
    }
    return out;
}

// Braces balance, the document ends with "\par }" (and nothing after it), and every
// paragraph opens with "\par ".
void CheckRtf(const std::string &rtf, int32_t paragraphs)
{
    const std::string tail = "\\par }";
    Check(rtf.size() >= tail.size() && rtf.compare(rtf.size() - tail.size(), tail.size(), tail) == 0,
          "RTF does not end with \\par }");
    int depth = 0;
    int32_t pars = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '\\' && i + 1 < rtf.size()) {
            const char n = rtf[i + 1];
            if (n == '\\' || n == '{' || n == '}') {
                ++i;
                continue;
            }
            if (rtf.compare(i, 5, "\\par ") == 0)
                ++pars;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            Check(--depth >= 0, "RTF closes a group it did not open");
        }
    }
    Check(depth == 0, "RTF leaves a group open");
    Check(pars == paragraphs + 1, "RTF paragraph count");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string in(reinterpret_cast<const char *>(data), size);
    TDocument doc;
    TCodeMemo &m = doc.Memo();
    LoadString(m, in);
    CheckStore(m, "after load");
    const std::string saved = SaveString(m);
    Check(saved == ExpectedSave(in), "plain text written differs from the bytes read");
    Check(saved.find('\0') == std::string::npos && saved.find('\5') == std::string::npos,
          "plain text written holds a NUL or a 5");

    // the second load reads through a stream in pieces, as a file is read
    TCodeMemo again;
    TMemoryStream pieces;
    pieces.Write(saved.data(), static_cast<int64_t>(saved.size()));
    pieces.SetPosition(0);
    again.LoadFromStream(pieces);
    CheckStore(again, "after reload");
    Check(SaveString(again) == saved, "second round trip changed the text");

    TMemoryStream rtf;
    m.SaveToRTFStream(rtf);
    CheckRtf(rtf.AsString(), m.ParagraphCount());
    return 0;
}
