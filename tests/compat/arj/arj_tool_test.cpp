// navlor-arj run as a program, as a batch line starts it, over the real arj.

#include "lib/ansi_text.h"
#include "lib/platform/platform.h"
#include "tests/support/temp_prefix.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace navlor::test {
namespace {

using Tree = QMap<QString, QByteArray>;

class ArjProgram : public ::testing::Test
{
protected:
    struct Result
    {
        int code = -1;
        QByteArray output;
    };

    ArjProgram()
    {
        prefix.addDrive('D');
        prefix.addDrive('E');
    }

    // Runs navlor-arj in the prefix with `arguments` as the C runtime hands them over.
    Result arj(const QStringList& arguments, const QString& windowsDirectory = "C:\\")
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NAVLOR_PREFIX", prefix.root());
        env.insert("ARJ_SW", "-q9"); // arj refuses it: it must not reach arj
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(prefix.host(windowsDirectory));
        process.start(NAVLOR_ARJ_BINARY, arguments);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "navlor-arj did not finish";
            return {};
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), process.readAllStandardOutput()};
    }

    bool exists(const QString& windowsPath) const
    {
        return QFile::exists(prefix.host(windowsPath));
    }

    // Every file below a directory, hidden ones too, by relative host path.
    Tree tree(const QString& windowsDirectory) const
    {
        Tree files;
        const QString root = prefix.host(windowsDirectory);
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            files.insert(path.mid(root.size() + 1), file.readAll());
        }
        return files;
    }

    static QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& c : bytes)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        return bytes;
    }

    TempPrefix prefix;
};

TEST_F(ArjProgram, BackupLineStoresTheSelectedTreeAndXRestoresItByteForByte)
{
    Tree stored{
        {"VALDOROW/DADOS/Empresa1/CLIENTES.DB", "clientes\r\n"},
        {"VALDOROW/DADOS/Empresa1/Vendas.Db", randomBytes(70000)},
        {"VALDOROW/DADOS/Empresa1/Fotos/logo.mb", randomBytes(3000)},
        {"VALDOROW/DADOS/Empresa2/deep/er/NOTAS.fdb", QByteArray(50000, 'n')},
        {"VALDOROW/DADOS/prog.exe", "MZ"},
    };
    Tree leftOut{
        {"VALDOROW/DADOS/setup_.exe", "MZ"},           // -X*_.EXE
        {"VALDOROW/DADOS/Empresa1/TEMP01.DB", "tmp"},  // -XTEMP*.DB
        {"VALDOROW/DADOS/LEIAME", "no mask takes it"}, // no mask
        {"VALDOROW/DADOS/.oculto.db", "hidden"},       // hidden files stay out
        {"VALDOROW/OUTRO.DB", "outside the source"},
    };
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        prefix.write("C:\\" + it.key(), it.value());
    for (auto it = leftOut.cbegin(); it != leftOut.cend(); ++it)
        prefix.write("C:\\" + it.key(), it.value());
    prefix.mkdir("D:\\BKP");

    // The backup run's line as its batch file runs it, through an ARJ.EXE that is a link to
    // the stand-in; the option is glued to the archive inside one quoted argument.
    const QString exe = prefix.host("C:\\VALDOROW\\EXE\\ARJ.EXE");
    QDir().mkpath(QFileInfo(exe).path());
    ASSERT_TRUE(QFile::link(NAVLOR_ARJ_BINARY, exe));
    const int added = platform().runAndWait(
        "C:\\VALDOROW\\EXE\\ARJ.EXE A \"-HF2D:\\BKP\\DIARIO.ARJ\" \"C:\\VALDOROW\\DADOS\"  "
        "*.db *.MB *.Fdb *.EXE -U -R   -X*_.EXE -XTEMP*.DB",
        SW_HIDE, "C:\\");
    EXPECT_EQ(added, 0);
    ASSERT_TRUE(exists("D:\\BKP\\DIARIO.ARJ"));

    const Result restored = arj({"X", "D:\\BKP\\DIARIO.ARJ", "E:\\", "*.*", "-Y"});
    EXPECT_EQ(restored.code, 0) << restored.output.toStdString();
    EXPECT_EQ(tree("E:\\"), stored);
}

TEST_F(ArjProgram, MoveDeletesTheStoredSourcesAndXPutsThemBack)
{
    const Tree sources{{"SRC/LEIAME", "no dot in the name"},
                       {"SRC/sub/A.DB", randomBytes(5000)},
                       {"SRC/sub/deeper/B.mb", "b"}};
    for (auto it = sources.cbegin(); it != sources.cend(); ++it)
        prefix.write("C:\\" + it.key(), it.value());
    prefix.write("C:\\SRC\\.oculto", "hidden");
    prefix.write("C:\\SRC\\ABERTO.DB", "held open by a database client");
    prefix.mkdir("C:\\X");

    QFile held(prefix.host("C:\\SRC\\ABERTO.DB"));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    const Result moved = arj({"M", "C:\\X\\A.ARJ", "C:\\SRC\\*.*", "-R"});
    // The open file is stored but, as on Windows, not deleted: a warning.
    EXPECT_EQ(moved.code, 1) << moved.output.toStdString();
    held.close();
    ASSERT_TRUE(exists("C:\\X\\A.ARJ"));
    EXPECT_EQ(tree("C:\\SRC"),
              (Tree{{".oculto", "hidden"}, {"ABERTO.DB", "held open by a database client"}}));

    const Result restored = arj({"X", "C:\\X\\A.ARJ", "C:\\", "*.*", "-Y"});
    EXPECT_EQ(restored.code, 0) << restored.output.toStdString();
    Tree expected;
    for (auto it = sources.cbegin(); it != sources.cend(); ++it)
        expected.insert(it.key().mid(4), it.value());
    expected.insert(".oculto", "hidden");
    expected.insert("ABERTO.DB", "held open by a database client");
    EXPECT_EQ(tree("C:\\SRC"), expected);
}

TEST_F(ArjProgram, AnArchiveInsideItsSourceIsNeitherStoredNorMoved)
{
    prefix.write("C:\\DADOS\\A.DB", "a");
    ASSERT_EQ(arj({"A", "C:\\DADOS\\BKP.ARJ", "C:\\DADOS", "*.*", "-R"}).code, 0);
    prefix.write("C:\\DADOS\\B.DB", "b");
    const Result moved = arj({"M", "c:\\dados\\bkp.arj", "C:\\DADOS\\*.*", "-R"});
    EXPECT_EQ(moved.code, 0) << moved.output.toStdString();
    ASSERT_TRUE(exists("C:\\DADOS\\BKP.ARJ"));
    EXPECT_FALSE(exists("C:\\DADOS\\A.DB"));
    const QString listing = fromAnsi(arj({"V", "C:\\DADOS\\BKP.ARJ"}).output);
    EXPECT_TRUE(listing.contains("\r\n001) DADOS\\A.DB\r\n"));
    EXPECT_TRUE(listing.contains("\r\n002) DADOS\\B.DB\r\n"));
    EXPECT_FALSE(listing.contains(") DADOS\\BKP.ARJ"));
}

TEST_F(ArjProgram, ExtractsOneEntryNamedInUpperCaseIntoTheTargetOfHT)
{
    prefix.write("C:\\DADOS\\Empresa1\\Clientes.db", "empresa 1");
    prefix.write("C:\\DADOS\\Empresa2\\Clientes.db", "empresa 2");
    prefix.write("C:\\Clientes.db", "na raiz");
    prefix.mkdir("D:\\BKP");
    ASSERT_EQ(arj({"A", "D:\\BKP\\B.ARJ", "C:\\", "Clientes.db", "-R"}).code, 0);

    // The extract window's line: names from the listing, upper-cased, with "\".
    const Result one =
        arj({"E", "-Y", "D:\\BKP\\B.ARJ", "-HTC:\\DESTINO", "DADOS\\EMPRESA1\\CLIENTES.DB"});
    EXPECT_EQ(one.code, 0) << one.output.toStdString();
    EXPECT_EQ(tree("C:\\DESTINO"), (Tree{{"Clientes.db", "empresa 1"}}));

    // A name without a directory is the entry at the root, not every entry of that name.
    const Result root = arj({"E", "-Y", "D:\\BKP\\B.ARJ", "-HTC:\\RAIZ", "CLIENTES.DB"});
    EXPECT_EQ(root.code, 0) << root.output.toStdString();
    EXPECT_EQ(tree("C:\\RAIZ"), (Tree{{"Clientes.db", "na raiz"}}));
}

TEST_F(ArjProgram, RestoreFindsExistingDirectoriesAndFilesWithoutRegardToCase)
{
    prefix.write("C:\\DADOS\\Empresa1\\CLIENTES.DB", "novo");
    prefix.write("C:\\DADOS\\Empresa1\\NOVO.DB", "so no arquivo");
    prefix.mkdir("D:\\BKP");
    ASSERT_EQ(arj({"A", "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.DB", "-R"}).code, 0);

    // The same tree under other case on the target drive.
    prefix.write("E:\\dados\\empresa1\\clientes.db", "velho");
    ASSERT_TRUE(QFile::exists(prefix.root() + "/drive_e/dados/empresa1/clientes.db"));

    // "E ... -N": only files not there yet; clientes.db is there.
    const Result newOnly = arj({"E", "D:\\BKP\\B.ARJ", "E:\\DADOS\\EMPRESA1\\", "*.*", "-N"});
    EXPECT_LE(newOnly.code, 1) << newOnly.output.toStdString();
    EXPECT_EQ(tree("E:\\"), (Tree{{"dados/empresa1/clientes.db", "velho"},
                                  {"dados/empresa1/NOVO.DB", "so no arquivo"}}));

    // "X ... -Y" overwrites it in the directory that is there, not in a second "DADOS".
    const Result restored = arj({"X", "D:\\BKP\\B.ARJ", "E:\\", "*.*", "-Y"});
    EXPECT_EQ(restored.code, 0) << restored.output.toStdString();
    const Tree after = tree("E:\\");
    ASSERT_EQ(after.size(), 2) << after.keys().join(' ').toStdString();
    EXPECT_EQ(after.value("dados/empresa1/CLIENTES.DB"), "novo");
    EXPECT_EQ(after.value("dados/empresa1/NOVO.DB"), "so no arquivo");
}

TEST_F(ArjProgram, VerboseListingOfAThousandAndTwoHundredEntries)
{
    const QString dir = prefix.host("C:\\MUITOS");
    QDir().mkpath(dir);
    for (int i = 1; i <= 1200; ++i) {
        QFile file(dir + QString("/F%1.txt").arg(i, 4, 10, QChar('0')));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(i));
    }
    ASSERT_EQ(arj({"A", "C:\\M.ARJ", "C:\\MUITOS\\*.*"}).code, 0);

    const Result listing = arj({"V", "C:\\M.ARJ", "*.*"});
    EXPECT_EQ(listing.code, 0);
    const QStringList lines = fromAnsi(listing.output).split("\r\n");
    ASSERT_GT(lines.size(), 1210);
    EXPECT_TRUE(lines.first().contains("ARJ 3")) << lines.first().toStdString();

    static const QRegularExpression entry("^(\\d{3,})\\) (.+)$");
    QStringList names;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = entry.match(lines.at(i));
        if (!m.hasMatch())
            continue;
        EXPECT_GE(i, 9) << "entries start on the tenth line";
        EXPECT_EQ(m.captured(1).toInt(), names.size() + 1);
        names << m.captured(2);
    }
    ASSERT_EQ(names.size(), 1200);
    EXPECT_TRUE(lines.contains("1200) " + names.last()));
    names.sort();
    EXPECT_EQ(names.first(), "MUITOS\\F0001.txt");
    EXPECT_EQ(names.last(), "MUITOS\\F1200.txt");

    // With a mask: only the matching entries, numbered from one.
    const QString some = fromAnsi(arj({"V", "C:\\M.ARJ", "f000?.TXT"}).output);
    EXPECT_EQ(some.count(QRegularExpression("\\r\\n\\d{3,}\\) ")), 9);
    EXPECT_TRUE(some.contains("\r\n009) MUITOS\\F0009.txt"));
}

TEST_F(ArjProgram, UpdateReplacesAChangedFile)
{
    prefix.write("C:\\DADOS\\A.DB", "versao 1");
    prefix.write("C:\\DADOS\\B.DB", "sem mudanca");
    const QStringList line{"A", "D:\\U.ARJ", "C:\\DADOS", "*.DB", "-U"};
    ASSERT_EQ(arj(line).code, 0);

    prefix.write("C:\\DADOS\\A.DB", "versao 2, maior");
    QFile changed(prefix.host("C:\\DADOS\\A.DB"));
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                    QFileDevice::FileModificationTime));
    changed.close();
    ASSERT_EQ(arj(line).code, 0);

    ASSERT_EQ(arj({"X", "D:\\U.ARJ", "E:\\", "-Y"}).code, 0);
    EXPECT_EQ(tree("E:\\"),
              (Tree{{"DADOS/A.DB", "versao 2, maior"}, {"DADOS/B.DB", "sem mudanca"}}));
    const QString listing = fromAnsi(arj({"V", "D:\\U.ARJ"}).output);
    EXPECT_EQ(listing.count(QRegularExpression("\\r\\n\\d{3,}\\) ")), 2);
}

TEST_F(ArjProgram, FailuresGiveACodeAndNoArchive)
{
    prefix.write("C:\\A.DB", "in the current directory");
    prefix.write("C:\\DADOS\\B.DB", "b");

    const Result missingArchive = arj({"X", "C:\\NADA.ARJ", "C:\\", "*.*", "-Y"});
    EXPECT_NE(missingArchive.code, 0);
    const Result missingListing = arj({"V", "C:\\NADA.ARJ", "*.*"});
    EXPECT_NE(missingListing.code, 0);
    EXPECT_TRUE(missingListing.output.startsWith("ARJ 3"));

    // A missing source directory: its masks are not taken from the current directory.
    const Result missingSource = arj({"A", "D:\\F.ARJ", "C:\\NADA", "*.DB", "-U"});
    EXPECT_NE(missingSource.code, 0);
    EXPECT_FALSE(exists("D:\\F.ARJ"));

    const Result badSwitch = arj({"A", "-Q9", "D:\\F.ARJ", "C:\\DADOS\\*.*"});
    EXPECT_EQ(badSwitch.code, 7);
    EXPECT_FALSE(exists("D:\\F.ARJ"));

    // A destination drive that does not exist.
    EXPECT_NE(arj({"A", "Q:\\F.ARJ", "C:\\DADOS\\*.*"}).code, 0);
}

TEST_F(ArjProgram, TestReadsEveryEntryBackAndFailsOnDamageOrJunk)
{
    prefix.write("C:\\DADOS\\A.DB", randomBytes(40000));
    prefix.write("C:\\DADOS\\B.DB", QByteArray(30000, 'b'));
    ASSERT_EQ(arj({"A", "D:\\T.ARJ", "C:\\DADOS", "*.*"}).code, 0);
    EXPECT_EQ(arj({"T", "D:\\T.ARJ"}).code, 0);

    QFile archive(prefix.host("D:\\T.ARJ"));
    ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
    QByteArray bytes = archive.readAll();
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5A);
    archive.seek(0);
    archive.write(bytes);
    archive.close();
    EXPECT_NE(arj({"T", "D:\\T.ARJ"}).code, 0);

    prefix.write("D:\\JUNK.ARJ", "half a copy of something else");
    EXPECT_NE(arj({"T", "D:\\JUNK.ARJ"}).code, 0);
    EXPECT_NE(arj({"T", "D:\\NADA.ARJ"}).code, 0);
}

} // namespace
} // namespace navlor::test
