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
    void SetUp() override
    {
        prefix.mkdir(kDir);
        GB_LINHAS.clear();
    }
    void fillAllSlots()
    {
        for (int n = 1; n <= ParamSlots::size(); ++n)
            GB_LINHAS[n] = QStringLiteral("old");
    }
    bool allSlotsEmpty() const
    {
        for (int n = 1; n <= ParamSlots::size(); ++n) {
            if (!GB_LINHAS[n].isEmpty())
                return false;
        }
        return true;
    }

    test::TempPrefix prefix;
    test::ScopedDialogs shown;
};

TEST_F(ParamStore, MissingOrBlankNamesEmptyTheTableSilently)
{
    for (const QString& name :
         {QStringLiteral("C:\\NAVLOR\\NONE.PAR"), QString(), QStringLiteral("  /  /  "),
          QStringLiteral("\\*.*"), QStringLiteral("C:\\NAVLOR")}) {
        fillAllSlots();
        GBF_READ(name);
        EXPECT_TRUE(allSlotsEmpty()) << name.toStdString();
    }
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, WriteFillsGapsWithPlaceholderAndReadsBackEmpty)
{
    GB_LINHAS[1] = "A";
    GB_LINHAS[3] = "C";
    GB_LINHAS[7] = "#";
    EXPECT_TRUE(GBF_WRITE(kFile));
    EXPECT_EQ(prefix.read(kFile), QByteArray("A\r\n#\r\nC\r\n"));
    EXPECT_EQ(GB_LINHAS[2], "#"); // the gap stays filled in memory
    EXPECT_EQ(GB_LINHAS[7], "");

    GBF_READ(kFile);
    EXPECT_EQ(GB_LINHAS[1], "A");
    EXPECT_EQ(GB_LINHAS[2], "");
    EXPECT_EQ(GB_LINHAS[3], "C");
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, WriteBytesAreAnsiWithCrLfAndBlanksKept)
{
    GB_LINHAS[1] = QString::fromUtf8("  Diretório de Cópia ");
    GB_LINHAS[2] = " #";
    GB_LINHAS[4] = QString::fromUtf8("€ – “x”");
    EXPECT_TRUE(GBF_WRITE(kFile));
    EXPECT_EQ(prefix.read(kFile),
              QByteArray("  Diret\xF3rio de C\xF3pia \r\n #\r\n#\r\n\x80 \x96 \x93x\x94\r\n"));

    GB_LINHAS.clear();
    GBF_READ(kFile);
    EXPECT_EQ(GB_LINHAS[1], QString::fromUtf8("  Diretório de Cópia "));
    EXPECT_EQ(GB_LINHAS[2], " #");
    EXPECT_EQ(GB_LINHAS[4], QString::fromUtf8("€ – “x”"));
}

TEST_F(ParamStore, EmptyTableWritesAnEmptyFile)
{
    prefix.write(kFile, "old contents\r\n");
    EXPECT_TRUE(GBF_WRITE(kFile));
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
    GBF_READ(kFile);
    EXPECT_EQ(GB_LINHAS[1], "L1");
    EXPECT_EQ(GB_LINHAS[189], "L189");
    EXPECT_EQ(GB_LINHAS[190], "");

    prefix.write(kFile, "only\r\n");
    fillAllSlots();
    GBF_READ(kFile);
    EXPECT_EQ(GB_LINHAS[1], "only");
    EXPECT_EQ(GB_LINHAS[2], "");
}

TEST_F(ParamStore, WriteNormalisesDoubledBackslashes)
{
    GB_LINHAS[1] = "X";
    EXPECT_TRUE(GBF_WRITE("C:\\\\NAVLOR\\\\VD_BKPA_00.PAR"));
    EXPECT_EQ(prefix.read(kFile), QByteArray("X\r\n"));
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(ParamStore, NetworkNameIsWrittenFromTheRootOfTheCurrentDrive)
{
    const QString hostCurrent = QDir::currentPath();
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\NAVLOR"));
    GB_LINHAS[1] = "X";
    EXPECT_TRUE(GBF_WRITE("\\\\NAVLOR\\NET.PAR"));
    QDir::setCurrent(hostCurrent);
    EXPECT_TRUE(shown->messages.isEmpty());
    EXPECT_EQ(prefix.read("C:\\NAVLOR\\NET.PAR"), QByteArray("X\r\n"));
}

TEST_F(ParamStore, WriteRefusesAMissingDirectoryOnce)
{
    test::ScopedPlatform<FlakyFiles> flaky;
    GB_LINHAS[1] = "X";
    GB_LINHAS[3] = "Z";
    prefix.write("C:\\NAVLOR\\ARQ", "a file, not a directory");
    EXPECT_FALSE(GBF_WRITE("NAV_LOR"));
    EXPECT_FALSE(GBF_WRITE("C:\\NOWHERE\\\\NAV_LOR"));
    EXPECT_FALSE(GBF_WRITE("C:\\NAVLOR\\ARQ\\NAV_LOR"));
    const QString refused = QString::fromUtf8("Diretório invalido para gravar Parametros (");
    EXPECT_EQ(shown->messages, QStringList({refused + "NAV_LOR)", refused + "C:\\NOWHERE\\NAV_LOR)",
                                            refused + "C:\\NAVLOR\\ARQ\\NAV_LOR)"}));
    EXPECT_EQ(flaky->writes, 0);
    EXPECT_FALSE(QDir(prefix.host("C:\\")).exists("NOWHERE"));
    EXPECT_EQ(GB_LINHAS[2], "#"); // normalised all the same
}

TEST_F(ParamStore, UnreadableFileIsTriedFiveTimesWarningBeforeTheLastTwo)
{
    prefix.write(kFile, "A\r\nB\r\n");
    test::ScopedPlatform<FlakyFiles> flaky;

    flaky->readFailures = 100;
    fillAllSlots();
    GBF_READ(kFile);
    EXPECT_EQ(flaky->reads, 5);
    EXPECT_EQ(shown->messages, QStringList({kReadWarning, kReadWarning, kReadError}));
    EXPECT_TRUE(allSlotsEmpty());

    // The fifth attempt succeeds: two warnings and no error.
    shown->messages.clear();
    flaky->readFailures = 4;
    GBF_READ(kFile);
    EXPECT_EQ(shown->messages, QStringList({kReadWarning, kReadWarning}));
    EXPECT_EQ(GB_LINHAS[2], "B");
}

TEST_F(ParamStore, UnwritableFileIsTriedFiveTimesWithWarningsThenError)
{
    prefix.write(kFile, "keep\r\n");
    test::ScopedPlatform<FlakyFiles> flaky;
    flaky->writeFailures = 100;
    GB_LINHAS[1] = "new";
    EXPECT_FALSE(GBF_WRITE(kFile));
    EXPECT_EQ(flaky->writes, 5);
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning, kWriteWarning, kWriteError}));
    EXPECT_EQ(prefix.read(kFile), QByteArray("keep\r\n"));

    shown->messages.clear();
    flaky->writeFailures = 3;
    EXPECT_TRUE(GBF_WRITE(kFile));
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning}));
    EXPECT_EQ(prefix.read(kFile), QByteArray("new\r\n"));
}

TEST_F(ParamStore, FailedRealWriteLeavesNoTemporaryFile)
{
    // A directory where the file should be: the backend cannot put the file in its place.
    prefix.mkdir(kFile);
    GB_LINHAS[1] = "X";
    EXPECT_FALSE(GBF_WRITE(kFile));
    EXPECT_EQ(shown->messages, QStringList({kWriteWarning, kWriteWarning, kWriteError}));
    const QStringList left =
        QDir(prefix.host(kDir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({"VD_BKPA_00.PAR"}));
}

} // namespace
} // namespace navlor
