#include "lib/param_store.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kDir = QStringLiteral("C:\\NAVLOR");
const QString kFile = QStringLiteral("C:\\NAVLOR\\VD_BKPA_00.PAR");

const QString kReadWarning = QStringLiteral("(GBF_READ) - AVISO - Erro na leitura do arquivo: ") +
                             kFile + QStringLiteral(" Tecle Enter para tentar novamente");
const QString kReadError =
    QStringLiteral("(GBF_READ) - ERRO na tentativa de LER o Arquivo: ") + kFile;
const QString kWriteWarning =
    QString::fromUtf8("(GBF_WRITE) - AVISO - Erro na gravação do arquivo: ") + kFile +
    QStringLiteral(" Tecle Enter para tentar novamente");
const QString kWriteError =
    QStringLiteral("(GBF_WRITE) - ERRO na tentativa de GRAVAR o Arquivo: ") + kFile;

// Reads and writes that fail a given number of times before reaching the real backend.
class FlakyFiles : public test::ForwardingPlatform
{
public:
    int readFailures = 0;
    int writeFailures = 0;
    int reads = 0;
    int writes = 0;

    std::optional<QByteArray> readFile(const QString& path) override
    {
        ++reads;
        if (readFailures > 0) {
            --readFailures;
            return std::nullopt;
        }
        return ForwardingPlatform::readFile(path);
    }
    bool writeFile(const QString& path, const QByteArray& data) override
    {
        ++writes;
        if (writeFailures > 0) {
            --writeFailures;
            return false;
        }
        return ForwardingPlatform::writeFile(path, data);
    }
};

class ParamStore : public ::testing::Test
{
protected:
    void SetUp() override { prefix.mkdir(kDir); }
    // The file as read; one that could not be read fails the test.
    static ParamFile read(const QString& name)
    {
        std::optional<ParamFile> file = readParamFile(name);
        EXPECT_TRUE(file.has_value()) << name.toStdString();
        return file.value_or(ParamFile());
    }
    void fillAllSlots()
    {
        for (int n = 1; n <= ParamSlots::size(); ++n)
            table[n] = QStringLiteral("old");
    }
    bool allSlotsEmpty() const
    {
        for (int n = 1; n <= ParamSlots::size(); ++n) {
            if (!table[n].isEmpty())
                return false;
        }
        return true;
    }

    test::TempPrefix prefix;
    test::ScopedDialogs shown;
    ParamFile table;
};

TEST_F(ParamStore, MissingOrBlankNamesReadAsAnEmptyFileSilently)
{
    for (const QString& name :
         {QStringLiteral("C:\\NAVLOR\\NONE.PAR"), QString(), QStringLiteral("  /  /  "),
          QStringLiteral("\\*.*"), QStringLiteral("C:\\NAVLOR")}) {
        fillAllSlots();
        table = read(name);
        EXPECT_TRUE(allSlotsEmpty()) << name.toStdString();
    }
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, WriteFillsGapsWithPlaceholderAndReadsBackEmpty)
{
    table[1] = "A";
    table[3] = "C";
    table[7] = "#";
    EXPECT_TRUE(writeParamFile(kFile, table));
    EXPECT_EQ(prefix.read(kFile), QByteArray("A\r\n#\r\nC\r\n"));
    EXPECT_EQ(table[2], "#"); // the gap stays filled in memory
    EXPECT_EQ(table[7], "");

    table = read(kFile);
    EXPECT_EQ(table[1], "A");
    EXPECT_EQ(table[2], "");
    EXPECT_EQ(table[3], "C");
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, WriteBytesAreAnsiWithCrLfAndBlanksKept)
{
    table[1] = QString::fromUtf8("  Diretório de Cópia ");
    table[2] = " #";
    table[4] = QString::fromUtf8("€ – “x”");
    EXPECT_TRUE(writeParamFile(kFile, table));
    EXPECT_EQ(prefix.read(kFile),
              QByteArray("  Diret\xF3rio de C\xF3pia \r\n #\r\n#\r\n\x80 \x96 \x93x\x94\r\n"));

    table = read(kFile);
    EXPECT_EQ(table[1], QString::fromUtf8("  Diretório de Cópia "));
    EXPECT_EQ(table[2], " #");
    EXPECT_EQ(table[4], QString::fromUtf8("€ – “x”"));
}

TEST_F(ParamStore, EmptyTableWritesAnEmptyFile)
{
    prefix.write(kFile, "old contents\r\n");
    EXPECT_TRUE(writeParamFile(kFile, table));
    EXPECT_TRUE(QFile::exists(prefix.host(kFile)));
    EXPECT_EQ(prefix.read(kFile), QByteArray());
}

TEST_F(ParamStore, ReadReplacesEverySlotAndStopsAt189)
{
    QByteArray bytes;
    for (int i = 1; i <= 195; ++i)
        bytes += "L" + QByteArray::number(i) + "\n";
    prefix.write(kFile, bytes);
    fillAllSlots();
    table = read(kFile);
    EXPECT_EQ(table[1], "L1");
    EXPECT_EQ(table[189], "L189");
    EXPECT_EQ(table[190], "");

    prefix.write(kFile, "only\r\n");
    fillAllSlots();
    table = read(kFile);
    EXPECT_EQ(table[1], "only");
    EXPECT_EQ(table[2], "");
}

TEST_F(ParamStore, WriteNormalisesDoubledBackslashes)
{
    table[1] = "X";
    EXPECT_TRUE(writeParamFile("C:\\\\NAVLOR\\\\VD_BKPA_00.PAR", table));
    EXPECT_EQ(prefix.read(kFile), QByteArray("X\r\n"));
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, NetworkNameIsWrittenFromTheRootOfTheCurrentDrive)
{
    const QString hostCurrent = QDir::currentPath();
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\NAVLOR"));
    table[1] = "X";
    EXPECT_TRUE(writeParamFile("\\\\NAVLOR\\NET.PAR", table));
    QDir::setCurrent(hostCurrent);
    EXPECT_TRUE(shown->messages.isEmpty());
    EXPECT_EQ(prefix.read("C:\\NAVLOR\\NET.PAR"), QByteArray("X\r\n"));
}

TEST_F(ParamStore, WriteRefusesAMissingDirectoryOnce)
{
    test::ScopedPlatform<FlakyFiles> flaky;
    table[1] = "X";
    table[3] = "Z";
    prefix.write("C:\\NAVLOR\\ARQ", "a file, not a directory");
    EXPECT_FALSE(writeParamFile("NAV_LOR", table));
    EXPECT_FALSE(writeParamFile("C:\\NOWHERE\\\\NAV_LOR", table));
    EXPECT_FALSE(writeParamFile("C:\\NAVLOR\\ARQ\\NAV_LOR", table));
    const QString refused = QString::fromUtf8("Diretório invalido para gravar Parametros (");
    EXPECT_EQ(shown->messages, QStringList({refused + "NAV_LOR)", refused + "C:\\NOWHERE\\NAV_LOR)",
                                            refused + "C:\\NAVLOR\\ARQ\\NAV_LOR)"}));
    EXPECT_EQ(flaky->writes, 0);
    EXPECT_FALSE(QDir(prefix.host("C:\\")).exists("NOWHERE"));
    EXPECT_EQ(table[2], "#"); // normalised all the same
}

TEST_F(ParamStore, UnreadableFileIsTriedFiveTimesWarningBeforeTheLastTwo)
{
    prefix.write(kFile, "A\r\nB\r\n");
    test::ScopedPlatform<FlakyFiles> flaky;

    flaky->readFailures = 100;
    EXPECT_FALSE(readParamFile(kFile).has_value());
    EXPECT_EQ(flaky->reads, 5);
    EXPECT_EQ(shown->messages, QStringList({kReadWarning, kReadWarning, kReadError}));

    // The fifth attempt succeeds: two warnings and no error.
    shown->messages.clear();
    flaky->readFailures = 4;
    table = read(kFile);
    EXPECT_EQ(shown->messages, QStringList({kReadWarning, kReadWarning}));
    EXPECT_EQ(table[2], "B");
}

TEST_F(ParamStore, UnwritableFileIsTriedFiveTimesWithWarningsThenError)
{
    prefix.write(kFile, "keep\r\n");
    test::ScopedPlatform<FlakyFiles> flaky;
    flaky->writeFailures = 100;
    table[1] = "new";
    EXPECT_FALSE(writeParamFile(kFile, table));
    EXPECT_EQ(flaky->writes, 5);
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning, kWriteWarning, kWriteError}));
    EXPECT_EQ(prefix.read(kFile), QByteArray("keep\r\n"));

    shown->messages.clear();
    flaky->writeFailures = 3;
    EXPECT_TRUE(writeParamFile(kFile, table));
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning}));
    EXPECT_EQ(prefix.read(kFile), QByteArray("new\r\n"));
}

TEST_F(ParamStore, FailedRealWriteLeavesNoTemporaryFile)
{
    // A directory where the file should be: the backend cannot put the file in its place.
    prefix.mkdir(kFile);
    table[1] = "X";
    EXPECT_FALSE(writeParamFile(kFile, table));
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning, kWriteWarning, kWriteError}));
    const QStringList left =
        QDir(prefix.host(kDir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({"VD_BKPA_00.PAR"}));
}

} // namespace
} // namespace navlor
