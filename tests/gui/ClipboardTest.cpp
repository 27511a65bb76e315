#include "GuiTestUtil.h"
#include "platform/QtClipboard.h"

#include <QClipboard>
#include <gtest/gtest.h>

using namespace quenvel;

TEST(QtClipboard, BytesRoundTripThroughUnicode)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (TCodePage cp : {cpWindows1252, cpIbm850})
        EXPECT_EQ(QStringToBytes(BytesToQString(all, cp), cp), all);
    EXPECT_EQ(BytesToQString("\x80\x9c", cpWindows1252), QString::fromUtf8("€œ"));
    EXPECT_EQ(BytesToQString("\x9c", cpIbm850), QString::fromUtf8("£"));
}

// A pasted character the code page lacks takes its closest form or is reported, never "?"; so does a search.
TEST(QtClipboard, UnrepresentableCharactersFindTheirClosestFormOrAreReported)
{
    std::u32string missing;
    EXPECT_EQ(QStringToBytes(QString::fromUtf8("ā ﬁ x²"), cpWindows1252, &missing), std::string("a fi x\xb2"));
    EXPECT_TRUE(missing.empty());
    EXPECT_EQ(QStringToBytes(QString::fromUtf8("a日b€"), cpIbm850, &missing), "ab");
    EXPECT_EQ(missing, U"日€");
    EXPECT_EQ(ExactBytes(QString::fromUtf8("é?"), cpWindows1252), std::optional<std::string>("\xe9?"));
    EXPECT_EQ(ExactBytes(QString::fromUtf8("ā"), cpWindows1252), std::nullopt);
    EXPECT_EQ(MissingCharacterText(U'€', cpIbm850).toStdString(),
              "The character \u201c€\u201d does not exist in the Series 3 character set");
}

TEST(QtClipboard, SystemClipboardCarriesTheBytes)
{
    TQtClipboard cb;
    std::string big(100000, 'x');
    big[5] = '\xe9';
    cb.SetText(big);
    ASSERT_TRUE(cb.HasText());
    EXPECT_EQ(cb.GetText(), big);
}

// Pasting breaks lines where loading the same bytes does, so a save and reopen keeps what was pasted.
TEST(QtClipboard, PasteBreaksLinesAsLoadingDoes)
{
    for (const std::string clip : {"one\ntwo\nthree\n", "mac\rlines\r", "dos\r\nlines", "lf cr\n\rpair",
                                   "empty\n\nlines\r\r", "mixed\r\n\n\r\rend"}) {
        guitest::TViewRig rig;
        rig.Load("PRINT 1");
        QApplication::clipboard()->setText(QString::fromLatin1(clip.data(), static_cast<int>(clip.size())));
        rig.Key(Qt::Key_End, Qt::ControlModifier);
        rig.Key(Qt::Key_V, Qt::ControlModifier);
        TCodeMemo loaded;
        test::LoadString(loaded, "PRINT 1" + clip);
        EXPECT_EQ(rig.Memo().Text(), loaded.Text()) << clip;
        // what a save writes reads back as the same text
        TCodeMemo reread;
        test::LoadString(reread, test::SaveString(rig.Memo()));
        EXPECT_EQ(reread.Text(), rig.Memo().Text()) << clip;
        EXPECT_EQ(rig.Memo().CheckInvariants(), "");
    }
}
