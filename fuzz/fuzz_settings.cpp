// The settings-file reader: any bytes give a profile whose text reads back the same, and
// settings within their ranges.
#include "FuzzUtil.h"

#include "app/document/Settings.h"

using namespace quenvel;
using namespace quenvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TProfile p;
    p.Parse(std::string(reinterpret_cast<const char *>(data), size));
    const std::string once = p.Text();
    TProfile q;
    q.Parse(once);
    Check(q.Text() == once, "the profile's text does not read back the same");

    const TSettings s = TSettings::Read(p, 1024, 768);
    Check(s.Tabs >= 1 && s.Tabs <= kMaxTabs, "tab size out of range");
    Check(s.FontSize != 0, "font size 0");
    Check(s.State >= 0 && s.State <= 2, "window state out of range");
    Check(s.FontSize >= -kMaxFontSize && s.FontSize <= kMaxFontSize, "font size out of range");

    // written back and read again, the settings are the same
    TProfile w = p;
    s.Write(w);
    TProfile r;
    r.Parse(w.Text());
    const TSettings t = TSettings::Read(r, 1024, 768);
    // a value is written on one line: a line break inside it becomes a blank
    auto oneLine = [](std::string v) {
        for (char &c : v)
            if (c == '\r' || c == '\n')
                c = ' ';
        const size_t a = v.find_first_not_of(" \t"), b = v.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : v.substr(a, b - a + 1);
    };
    Check(t.Tabs == s.Tabs && t.FontSize == s.FontSize && t.FontName == oneLine(s.FontName) &&
              t.Syntax == oneLine(s.Syntax) &&
              t.Background == s.Background && t.FontColor == s.FontColor && t.Width == s.Width &&
              t.Height == s.Height && t.Left == s.Left && t.Top == s.Top && t.State == s.State &&
              t.HelpPane == s.HelpPane && t.HintPane == s.HintPane && t.FontStyle == s.FontStyle,
          "settings written and read back differ");
    return 0;
}
