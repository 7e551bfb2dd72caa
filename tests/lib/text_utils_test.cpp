#include "lib/text_utils.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(TrocaTexto, ReplacesFirstOrAllWithoutRescanning)
{
    EXPECT_EQ(TROCA_TEXTO("a-b-c", "-", "+", 1), "a+b-c");
    EXPECT_EQ(TROCA_TEXTO("a-b-c", "-", "+", 0), "a+b+c");
    EXPECT_EQ(TROCA_TEXTO("a-b-c", "-", "", 2), "abc");
    // Four backslashes become two: replaced text is never searched again.
    EXPECT_EQ(TROCA_TEXTO("\\\\\\\\", "\\\\", "\\", 0), "\\\\");
    EXPECT_EQ(TROCA_TEXTO("C:\\\\DADOS\\\\A.PAR", "\\\\", "\\", 0), "C:\\DADOS\\A.PAR");
    EXPECT_EQ(TROCA_TEXTO("abc", "", "x", 0), "abc");
    EXPECT_EQ(TROCA_TEXTO("", "a", "x", 0), "");
    EXPECT_EQ(TROCA_TEXTO("abc", "x", "y", 0), "abc");
    EXPECT_EQ(TROCA_TEXTO("aaa", "a", "aa", 0), "aaaaaa");
}

TEST(TrocaTexto, CutsTheTextAfterAnOccurrenceAt2550Characters)
{
    QString source = QString(9, u'p') + u'#';
    for (int i = 0; source.size() < 6000; ++i)
        source += QChar(u'a' + i % 26);
    const QString result = TROCA_TEXTO(source, "#", "<R>", 0);
    EXPECT_EQ(result, QString(9, u'p') + "<R>" + source.mid(10, 2550));
    EXPECT_EQ(result.size(), 9 + 3 + 2550);
    // Also with only the first occurrence replaced.
    EXPECT_EQ(TROCA_TEXTO(source, "#", "", 1).size(), 9 + 2550);
}

TEST(CompletaBrancos, PadsAndCutsToTheWidth)
{
    EXPECT_EQ(COMPLETA_BRANCOS("SN", 20), "SN" + QString(18, u' '));
    EXPECT_EQ(COMPLETA_BRANCOS(QString(25, u'S'), 20), QString(20, u'S'));
    EXPECT_EQ(COMPLETA_BRANCOS(" SN ", 0), " SN ");
    EXPECT_EQ(COMPLETA_BRANCOS(7, 3), "7  ");
    EXPECT_EQ(COMPLETA_BRANCOS("SN", -1), "");
    EXPECT_EQ(BRANCOS(3), "   ");
    EXPECT_EQ(BRANCOS(-2), "");
}

TEST(CompletaZeros, TrimsPadsAndKeepsTheLastCharacters)
{
    EXPECT_EQ(COMPLETA_ZEROS(7, 2), "07");
    EXPECT_EQ(COMPLETA_ZEROS(" 5 ", 2), "05");
    EXPECT_EQ(COMPLETA_ZEROS("\t5\r\n", 2), "05");
    EXPECT_EQ(COMPLETA_ZEROS(123, 2), "23");
    EXPECT_EQ(COMPLETA_ZEROS(50, 2), "50");
    EXPECT_EQ(COMPLETA_ZEROS(" 42 ", 0), "42");
    EXPECT_EQ(COMPLETA_ZEROS("", 2), "00");
    EXPECT_EQ(ZEROS(4), "0000");
    EXPECT_EQ(ZEROS(0), "");
}

TEST(ValorInteiro, KeepsDigitsAndMinusUpToNineCharacters)
{
    EXPECT_EQ(VALOR_INTEIRO("R$ 1.234,56"), 123456);
    EXPECT_EQ(VALOR_INTEIRO("abc"), 0);
    EXPECT_EQ(VALOR_INTEIRO(""), 0);
    EXPECT_EQ(VALOR_INTEIRO("1234567890123"), 123456789);
    EXPECT_EQ(VALOR_INTEIRO(" - 7 "), -7);
    EXPECT_EQ(VALOR_INTEIRO("-999999999999"), -99999999);
    EXPECT_EQ(VALOR_INTEIRO("999999999999"), 999999999);
}

TEST(ValorInteiro, MisplacedMinusGivesNothing)
{
    // What is judged is the text after the cut to nine characters.
    for (const char* text : {"12-3", " - ", "--5", "1234-5678901"})
        EXPECT_EQ(VALOR_INTEIRO(QString::fromLatin1(text)), std::nullopt) << text;
    EXPECT_EQ(VALOR_INTEIRO("123456789-1"), 123456789);
}

TEST(EmBranco, OnlySeparatorsZerosAndControlsAreBlank)
{
    for (const char* blank :
         {"", "  /  /  ", "00/00/0000", "00/00/00", "0", "0,00", "#", "/ \\ ;", "-_;:.", "\t\r\n"})
        EXPECT_TRUE(EM_BRANCO(QString::fromLatin1(blank))) << blank;
    for (const char* notBlank : {"1", "A", "01/01/01", "\\*.*", "C:\\X"})
        EXPECT_FALSE(EM_BRANCO(QString::fromLatin1(notBlank))) << notBlank;
}

TEST(LimpaPontuacao, LeavesDialableDigits)
{
    EXPECT_EQ(LIMPA_PONTUACAO(" (011) 5555-1234 "), "(011) 55551234");
    EXPECT_EQ(LIMPA_PONTUACAO("0xx11,5555.1234"), "0xx1155551234");
    EXPECT_EQ(LIMPA_PONTUACAO("\"a'b!c?d>e<f*g/h\\i:j#k_l\""), "abcdefghijkl");
}

TEST(SeparaCampo, SplitsIntoFields)
{
    const struct
    {
        const char* text;
        QStringList fields;
    } cases[] = {
        {"X#Y", {"X", "Y"}},
        {"A#B##D", {"A", "B", "", "D"}},
        {"#L", {"", "L"}},
        {"a#", {"a", ""}},
        {" a # b ", {" a ", " b "}}, // blanks belong to the fields
        {"   ", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitFields(c.text, "#"), c.fields) << c.text;

    // Field N alone; past the last field, and field 0, are empty.
    EXPECT_EQ(SEPARA_CAMPO("a#b#c", 2, "#"), "b");
    EXPECT_EQ(SEPARA_CAMPO(" a # b ", 1, "#"), " a ");
    EXPECT_EQ(SEPARA_CAMPO("a#b", 5, "#"), "");
    EXPECT_EQ(SEPARA_CAMPO("a#b", 0, "#"), "");
    EXPECT_EQ(SEPARA_CAMPO("   ", 2, "#"), "");
}

TEST(SeparaCampo, KeepsAtMost190FieldsAndSeparatesOnlyAtOneCharacter)
{
    QStringList parts;
    for (int i = 1; i <= 200; ++i)
        parts << QString::number(i);
    const QStringList fields = splitFields(parts.join(u'#'), "#");
    EXPECT_EQ(fields.size(), 190);
    EXPECT_EQ(fields.last(), "190");
    EXPECT_EQ(SEPARA_CAMPO(parts.join(u'#'), 191, "#"), "");
    EXPECT_EQ(SEPARA_CAMPO("a##b", 1, "##"), "a##b");
    EXPECT_EQ(SEPARA_CAMPO("a#b", 1, ""), "a#b");
}

TEST(CaseEach, OneCharacterForOneSoPathsStayFiles)
{
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("c:\\straße\\navlor.exe"), QStringLiteral("C:\\STRAßE\\NAVLOR.EXE")},
        {QStringLiteral("ação ﬁ"), QStringLiteral("AÇÃO ﬁ")},
        {QString(), QString()},
    };
    for (const auto& [text, upper] : cases) {
        EXPECT_EQ(upperEach(text), upper) << text.toStdString();
        EXPECT_EQ(upperEach(text).size(), text.size());
    }
    EXPECT_EQ(lowerEach(QStringLiteral("C:\\DADOS\\AÇÃO")), QStringLiteral("c:\\dados\\ação"));
}

} // namespace
} // namespace navlor
