#include "platform/QtClipboard.h"

#include <QApplication>
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

TEST(QtClipboard, UnrepresentableCharactersFindTheirClosestForm)
{
    EXPECT_EQ(QStringToBytes(QString::fromUtf8("ā ﬁ x²"), cpWindows1252), std::string("a fi x\xb2"));
    EXPECT_EQ(QStringToBytes(QString::fromUtf8("日"), cpWindows1252), "?");
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
