#include "lib/ansi_text.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(AnsiText, DecodesTheWholeCodePage)
{
    EXPECT_EQ(fromAnsi("Diret\xF3rio \xC7\xE3o"), QString::fromUtf8("Diretório Ção"));
    EXPECT_EQ(fromAnsi("\x80\x8A\x91\x92\x96\x99\x9F"), QString::fromUtf8("€Š‘’–™Ÿ"));
    // Bytes the code page leaves undefined survive as their control characters.
    EXPECT_EQ(fromAnsi("\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    EXPECT_EQ(fromAnsi(QByteArray("a\0b", 3)).size(), 3);
}

TEST(AnsiText, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromAnsi(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(toAnsi(text), all);
}

TEST(AnsiText, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toAnsi(QString::fromUtf8("gravação €")), QByteArray("grava\xE7\xE3o \x80"));
    EXPECT_EQ(toAnsi(QString::fromUtf8("Ωx")), QByteArray("?x"));
    // A character outside the basic plane is one '?', not two.
    EXPECT_EQ(toAnsi(QString::fromUtf8("a😀b")), QByteArray("a?b"));
    // The C1 characters that 0x80-0x9F stand for in Latin-1 are not in this code page.
    EXPECT_EQ(toAnsi(QString(QChar(0x0080))), QByteArray("?"));
}

} // namespace
} // namespace navlor
