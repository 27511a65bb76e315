#include "GuiTestUtil.h"
#include <gtest/gtest.h>
#include <random>
using namespace quenvel; using namespace quenvel::guitest;
static std::string P(const std::string &s){std::string o;for(unsigned char c:s){if(c=='\r')o+="\\r";else if(c=='\n')o+="\\n";else if(c<32){char b[8];snprintf(b,8,"\\x%02x",c);o+=b;}else o+=c;}return o;}
TEST(Probe, Cut) {
    std::mt19937 rng(1);
    const char *texts[] = {"PRINT \x02x\x02 y", "ab\x02" "cd\x02" "ef", "a \x02PRINT\x02", "\x02PRINT", "x\x02", "REM \x02a", "\"s\x02t\" q", "PRINT\x02\r\nREM x\x02"};
    int shown = 0;
    for (int iter = 0; iter < 20000 && shown < 8; ++iter) {
        std::string t = texts[rng() % std::size(texts)];
        TCodeMemo m; std::unique_ptr<TKeywordList> table; RegisterOplSpans(m); ApplyOplDialect(m, odSiena, table);
        test::LoadString(m, t);
        int len = m.TextLength();
        int a = rng() % (len + 1), b = rng() % (len + 1);
        if (a > b) std::swap(a, b);
        if ((a > 0 && m.CharAt(a - 1) == 13) || (b > 0 && m.CharAt(b - 1) == 13)) continue;
        bool neg = rng() % 2;
        m.SetSelStart(neg ? b : a); m.SetSelLength(neg ? a - b : b - a);
        std::string sel = m.SelText();
        m.SetSelText("");
        if (m.SelStart() > m.TextLength() || !m.CheckInvariants().empty()) {
            printf("text '%s' sel [%d,%d) neg %d -> text '%s' caret %d len %d inv '%s'\n", P(t).c_str(), a, b, neg, P(m.Text()).c_str(), m.SelStart(), m.TextLength(), m.CheckInvariants().c_str());
            ++shown;
        }
    }
}
