// navlor-arj run as a program, as a batch line starts it, over the real arj.

#include "compat/arj/archive_index.h"
#include "compat/arj/host_arj.h"
#include "lib/ansi_text.h"
#include "lib/platform/command_line.h"
#include "lib/platform/platform.h"
#include "tests/support/temp_prefix.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace navlor::test {
namespace {

using Tree = QMap<QString, QByteArray>;

// CRC-32 of an ARJ header (the polynomial zip uses).
quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Renames entries of an ARJ archive where they are stored: each local header ("\x60\xEA",
// size, basic header, CRC-32 of it) gets the new name of the same length, the offset of its
// last component and a CRC that fits. The number of entries renamed, -1 on a broken archive.
int renameStored(QByteArray& archive, const QMap<QByteArray, QByteArray>& names)
{
    int renamed = 0;
    bool mainHeader = true;
    qsizetype at = 0;
    while (at + 4 <= archive.size()) {
        const auto word = [&](qsizetype i) {
            return qFromLittleEndian<quint16>(archive.data() + i);
        };
        if (word(at) != 0xEA60)
            return -1;
        const qsizetype size = word(at + 2);
        if (size == 0)
            return renamed;
        const qsizetype header = at + 4;
        at = header + size + 4;
        while (const qsizetype extended = word(at))
            at += 2 + extended + 4;
        at += 2;
        if (std::exchange(mainHeader, false))
            continue;
        const qsizetype nameAt = header + static_cast<quint8>(archive.at(header));
        const QByteArray name = archive.mid(nameAt, archive.indexOf('\0', nameAt) - nameAt);
        if (names.contains(name)) {
            const QByteArray crafted = names.value(name);
            if (crafted.size() != name.size())
                return -1;
            archive.replace(nameAt, name.size(), crafted);
            const qsizetype last = std::max(crafted.lastIndexOf('/'), crafted.lastIndexOf('\\'));
            qToLittleEndian<quint16>(last + 1, archive.data() + header + 24);
            qToLittleEndian<quint32>(crc32(archive.mid(header, size)),
                                     archive.data() + header + size);
            ++renamed;
        }
        at += qFromLittleEndian<quint32>(archive.data() + header + 12); // the packed data
    }
    return -1;
}

// What a directory holds, links and hidden entries too.
QStringList entriesIn(const QString& hostDirectory)
{
    return QDir(hostDirectory)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

// The program `parent` runs (from its main thread) and its arguments; 0 while there is none.
pid_t childOf(qint64 parent, QByteArrayList& arguments)
{
    QFile children(QString("/proc/%1/task/%1/children").arg(parent));
    const pid_t child = children.open(QIODevice::ReadOnly)
                            ? children.readAll().trimmed().split(' ').first().toInt()
                            : 0;
    if (child == 0)
        return 0;
    // One read: a second one at an offset could come after an exec and splice two command
    // lines together.
    const int fd = ::open(QString("/proc/%1/cmdline").arg(child).toLocal8Bit().constData(),
                          O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    QByteArray text(1 << 16, '\0');
    const ssize_t got = ::read(fd, text.data(), text.size());
    ::close(fd);
    if (got <= 0)
        return 0;
    text.truncate(got);
    arguments = text.split('\0');
    return child;
}

class ArjProgram : public ::testing::Test
{
protected:
    struct Result
    {
        int code = -1;
        QByteArray output;
        QByteArray errors; // standard error
    };

    ArjProgram()
    {
        prefix.addDrive('D');
        prefix.addDrive('E');
    }

    // Starts navlor-arj in the prefix with `arguments` as the C runtime hands them over.
    void start(QProcess& process, const QStringList& arguments,
               const QString& windowsDirectory = "C:\\")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NAVLOR_PREFIX", prefix.root());
        env.insert("ARJ_SW", "-q9"); // arj refuses it: it must not reach arj
        // Below the wait here, so a run that hangs still leaves no arj behind.
        env.insert("NAVLOR_ARJ_TIMEOUT_SECONDS", "30");
        for (auto it = extraEnv.cbegin(); it != extraEnv.cend(); ++it)
            env.insert(it.key(), it.value());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(prefix.host(windowsDirectory));
        process.start(NAVLOR_ARJ_BINARY, arguments);
        process.closeWriteChannel();
    }

    // Runs navlor-arj to its end.
    Result arj(const QStringList& arguments, const QString& windowsDirectory = "C:\\")
    {
        QProcess process;
        start(process, arguments, windowsDirectory);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "navlor-arj did not finish";
            return {};
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // A program named arj that runs `body`, to stand in for Debian's.
    QString hostArj(const QByteArray& body)
    {
        const QString path = scripts.filePath("arj");
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n" + body + '\n');
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
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

    // An archive made by arj of files named as long as `entries`' names, then renamed to
    // them inside the archive. Names that are not renamed are stored as they are.
    void craftArchive(const QString& windowsPath,
                      const QList<QPair<QByteArray, QByteArray>>& entries)
    {
        QTemporaryDir scratch;
        QStringList sources;
        QMap<QByteArray, QByteArray> renames;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QByteArray& name = entries.at(i).first;
            QByteArray source = name;
            if (name.contains('/') || name.contains('\\') || name.contains(':') ||
                name.startsWith('.') || name.contains('\n')) {
                source = QByteArray(1, char('a' + i)) + QByteArray(name.size() - 1, 'q');
                renames.insert(source, name);
            }
            QFile file(scratch.filePath(QString::fromLatin1(source)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(entries.at(i).second);
            sources << QString::fromLatin1(source);
        }
        const QString archive = prefix.host(windowsPath);
        QDir().mkpath(QFileInfo(archive).path());
        QProcess arjA;
        arjA.setWorkingDirectory(scratch.path());
        arjA.start(arj::hostArjProgram(), QStringList{"a", archive, "-i"} + sources);
        ASSERT_TRUE(arjA.waitForFinished(60000));
        ASSERT_EQ(arjA.exitCode(), 0) << arjA.readAllStandardOutput().toStdString();
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        ASSERT_EQ(renameStored(bytes, renames), renames.size());
        file.seek(0);
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Every entry of the prefix but those in `skipped`, links not followed: what it is and
    // holds.
    std::set<std::string> everythingBut(const QString& skipped) const
    {
        std::set<std::string> entries;
        const QString root = QFileInfo(prefix.root()).canonicalFilePath();
        const QString skip = QFileInfo(skipped).canonicalFilePath();
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path == skip || path.startsWith(skip + '/'))
                continue;
            const QFileInfo info = it.fileInfo();
            QString what = " dir";
            if (info.isSymLink()) {
                what = " link to " + info.symLinkTarget();
            } else if (!info.isDir()) {
                QFile file(path);
                what = file.open(QIODevice::ReadOnly)
                           ? " file " + QString::number(qHash(file.readAll()))
                           : " unreadable";
            }
            entries.insert((path.mid(root.size() + 1) + what).toStdString());
        }
        return entries;
    }

    TempPrefix prefix;
    QTemporaryDir scripts;
    QMap<QString, QString> extraEnv;
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
        ShowMode::Hide, "C:\\");
    EXPECT_EQ(added, 0);
    ASSERT_TRUE(exists("D:\\BKP\\DIARIO.ARJ"));

    const Result restored = arj({"X", "D:\\BKP\\DIARIO.ARJ", "E:\\", "*.*", "-Y"});
    EXPECT_EQ(restored.code, 0) << restored.output.toStdString();
    EXPECT_EQ(tree("E:\\"), stored);
}

// arj is given a zone named once when the caller has none, and the caller's own otherwise.
TEST_F(ArjProgram, ArjGetsAFixedZoneOnlyWhenNoneIsSet)
{
    const QString seen = scripts.filePath("tz.txt");
    extraEnv.insert("NAVLOR_HOST_ARJ", hostArj("echo \"[$TZ]\" >> " + QFile::encodeName(seen)));
    const QByteArray saved = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    prefix.write("C:\\DADOS\\A.DB", "a");
    qunsetenv("TZ");
    (void)arj({"A", "C:\\B.ARJ", "C:\\DADOS\\*.*"});
    qputenv("TZ", "America/Sao_Paulo");
    (void)arj({"A", "C:\\B.ARJ", "C:\\DADOS\\*.*"});
    if (hadZone)
        qputenv("TZ", saved);
    else
        qunsetenv("TZ");
    QFile file(seen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[:/etc/localtime]\n[America/Sao_Paulo]\n");
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

TEST_F(ArjProgram, AddStoresTheSameEntriesInTheSameOrderWithOrWithoutTheDirectoryCache)
{
    Tree stored;
    for (int i = 0; i < 300; ++i)
        stored.insert(QString("DADOS/EMP%1/T%2.DB").arg(i % 3).arg(i), QByteArray::number(i));
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        prefix.write("C:\\" + it.key(), it.value());
    prefix.write("C:\\DADOS\\EMP0\\.oculto.db", "hidden");
    prefix.write("C:\\DADOS\\EMP1\\LEIAME", "no mask takes it");
    ASSERT_GE(arj::directoryCache(), 0);

    const Result cached = arj({"A", "D:\\COM.ARJ", "C:\\DADOS", "*.DB", "-R"});
    EXPECT_EQ(cached.code, 0) << cached.output.toStdString();
    EXPECT_EQ(cached.errors, QByteArray()) << "the cache was not loaded into arj";
    extraEnv.insert("NAVLOR_ARJ_DIRECTORY_CACHE", "0");
    const Result plain = arj({"A", "D:\\SEM.ARJ", "C:\\DADOS", "*.DB", "-R"});
    EXPECT_EQ(plain.code, 0) << plain.output.toStdString();

    const auto entries = [&](const QString& archive) {
        static const QRegularExpression entry("^\\d{3,}\\) .*$",
                                              QRegularExpression::MultilineOption);
        QStringList names;
        auto it = entry.globalMatch(fromAnsi(arj({"V", archive}).output));
        while (it.hasNext())
            names << it.next().captured(0);
        return names;
    };
    const QStringList withCache = entries("D:\\COM.ARJ");
    EXPECT_EQ(withCache.size(), 300);
    EXPECT_EQ(withCache, entries("D:\\SEM.ARJ"));
    ASSERT_EQ(arj({"X", "D:\\COM.ARJ", "E:\\", "-Y"}).code, 0);
    EXPECT_EQ(tree("E:\\"), stored);
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

TEST_F(ArjProgram, OneEntryWhoseNameArjWouldMisreadIsStillExtractedAlone)
{
    // Each mask selects one entry; arj would take these names as a switch, a list, a
    // response file or a pattern if they stood on its line as they are.
    const struct
    {
        const char* mask;
        const char* name;
    } cases[] = {{"?A.DB", "-A.DB"},   {"?C.DB", "!C.DB"},   {"?D.DB", "@D.DB"},
                 {"?B?.DB", "[B].DB"}, {"E F.DB", "E F.DB"}, {"G.DB", "G.DB"}};
    for (const auto& c : cases)
        prefix.write(QString("C:\\SRC\\") + c.name, c.name);
    prefix.write("C:\\SRC\\SUB\\G.DB", "not the one at the root");
    ASSERT_EQ(arj({"A", "D:\\N.ARJ", "C:\\SRC", "*.*", "-R"}).code, 0);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        QDir(prefix.host("E:\\DESTINO")).removeRecursively();
        const Result result =
            arj({"E", "-Y", "D:\\N.ARJ", "-HTE:\\DESTINO", QString("SRC\\") + c.mask});
        EXPECT_EQ(result.code, 0) << result.output.toStdString();
        EXPECT_EQ(tree("E:\\DESTINO"), (Tree{{c.name, c.name}}));
    }
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

// arj's output gets a buffer back (arj_preload.c): listings and tests longer than the buffer,
// and adds whose lines are rewritten as they come, print the same bytes as without it.
TEST_F(ArjProgram, EveryCommandPrintsTheSameWithOrWithoutArjsOutputBuffer)
{
    for (int i = 0; i < 700; ++i)
        prefix.write(QString("C:\\DADOS\\EMP%1\\T%2.DB").arg(i % 7).arg(i), "x");
    prefix.write(QString::fromUtf8("C:\\DADOS\\A\u00e7\u00e3o com nome longo.DB"), "a");
    ASSERT_EQ(arj({"A", "D:\\B.ARJ", "C:\\DADOS", "*.*", "-R"}).code, 0);
    const QStringList lines[] = {{"V", "D:\\B.ARJ"},
                                 {"L", "D:\\B.ARJ"},
                                 {"T", "D:\\B.ARJ"},
                                 {"V", "D:\\B.ARJ", "T1?.DB"},
                                 {"A", "D:\\NOVO.ARJ", "C:\\DADOS", "*.*", "-R"}};
    for (const QStringList& line : lines) {
        SCOPED_TRACE(line.join(' ').toStdString());
        QFile::remove(prefix.host("D:\\NOVO.ARJ"));
        extraEnv.remove("NAVLOR_ARJ_OUTPUT_BUFFER");
        const Result buffered = arj(line);
        QFile::remove(prefix.host("D:\\NOVO.ARJ"));
        extraEnv.insert("NAVLOR_ARJ_OUTPUT_BUFFER", "0");
        const Result plain = arj(line);
        EXPECT_EQ(buffered.code, 0) << buffered.output.toStdString();
        EXPECT_GT(buffered.output.count('\n'), 5);
        EXPECT_EQ(buffered.output, plain.output);
        EXPECT_EQ(buffered.errors, plain.errors);
    }
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

TEST_F(ArjProgram, ANameChangedOnlyInCaseReplacesItsEntryAndTheOutputSpeaksWindows)
{
    // The file as the host holds it after each step, with its age; each line leaves one
    // entry, stored in the first spelling, holding `stored`.
    const struct
    {
        const char* path;
        QByteArray bytes;
        int secondsAhead;
        QStringList line;
        QByteArray stored;
    } steps[] = {
        {"CASE/TAB.DB", "v1", 0, {"A", "D:\\C.ARJ", "C:\\CASE", "*.*"}, "v1"},
        {"CASE/tab.db", "v2", 60, {"A", "D:\\C.ARJ", "C:\\CASE", "*.*", "-U"}, "v2"},
        // Not newer: -U leaves the entry alone.
        {"Case/tab.db", "v3", -60, {"A", "D:\\C.ARJ", "C:\\Case", "*.*", "-U"}, "v2"},
        {"Case/tab.db", "v4", 0, {"A", "D:\\C.ARJ", "C:\\CASE", "*.*"}, "v4"},
        {"case/Tab.DB", "v5", 0, {"M", "D:\\C.ARJ", "C:\\CASE\\*.*"}, "v5"},
    };
    const QString driveC = prefix.host("C:\\");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.path);
        for (const char* spelling : {"/CASE", "/Case", "/case"})
            QDir(driveC + spelling).removeRecursively();
        prefix.write(QString("C:\\") + step.path, step.bytes);
        QFile file(driveC + '/' + step.path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(step.secondsAhead),
                                     QFileDevice::FileModificationTime));
        file.close();
        const Result added = arj(step.line);
        EXPECT_EQ(added.code, 0) << added.output.toStdString();
        EXPECT_FALSE(added.output.contains(prefix.root().toUtf8())) << added.output.toStdString();
        EXPECT_TRUE(added.output.contains(": D:\\C.ARJ\n")) << added.output.toStdString();
        EXPECT_EQ(exists(QString("C:\\") + step.path), step.line.first() == "A");

        const QString listing = fromAnsi(arj({"V", "D:\\C.ARJ"}).output);
        EXPECT_EQ(listing.count(QRegularExpression("\\r\\n\\d{3,}\\) ")), 1);
        EXPECT_TRUE(listing.contains("\r\n001) CASE\\TAB.DB\r\n"));
        QDir(prefix.host("E:\\CASE")).removeRecursively();
        const Result restored = arj({"X", "D:\\C.ARJ", "E:\\", "-Y"});
        EXPECT_EQ(tree("E:\\"), (Tree{{"CASE/TAB.DB", step.stored}}));
        EXPECT_TRUE(restored.output.contains("CASE\\TAB.DB") &&
                    restored.output.contains(" E:\\CASE\\TAB.DB ") &&
                    !restored.output.contains(prefix.root().toUtf8()))
            << restored.output.toStdString();
    }
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
    for (int i = 0; i < 6; ++i)
        prefix.write(QString("C:\\DADOS\\S%1\\A%1.DB").arg(i), randomBytes(20000 + 1000 * i));
    prefix.write("C:\\DADOS\\B.DB", QByteArray(30000, 'b'));
    ASSERT_EQ(arj({"A", "D:\\T.ARJ", "C:\\DADOS", "*.*", "-R"}).code, 0);
    // Split between two arj runs at once (counted by the arj they start) or tested by one, T
    // says the same and ends the same.
    const QString runs = scripts.filePath("runs.txt");
    extraEnv.insert("NAVLOR_HOST_ARJ",
                    hostArj("echo \"$1 $4\" >> " + QFile::encodeName(runs) + "\nexec arj \"$@\""));
    const auto test = [&](const QString& archive, int splitRuns) {
        QFile::remove(runs);
        extraEnv.insert("NAVLOR_ARJ_SPLIT_TEST_BYTES", "0");
        const Result split = arj({"T", archive});
        QFile log(runs);
        EXPECT_EQ(log.open(QIODevice::ReadOnly) ? log.readAll().count("t -p") : 0, splitRuns);
        extraEnv.insert("NAVLOR_ARJ_SPLIT_TEST_BYTES", "999999999999");
        const Result whole = arj({"T", archive});
        EXPECT_EQ(split.output, whole.output);
        EXPECT_EQ(split.code, whole.code);
        return whole;
    };
    const Result passed = test("D:\\T.ARJ", 2);
    EXPECT_EQ(passed.code, 0);
    EXPECT_EQ(passed.output.count("Testing "), 7) << passed.output.toStdString();

    // Damage in the first entries and in the last: the whole archive is tested again by one run.
    for (const double at : {0.2, 0.9}) {
        QFile archive(prefix.host("D:\\T.ARJ"));
        ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
        QByteArray bytes = archive.readAll();
        const auto where = static_cast<qsizetype>(bytes.size() * at);
        bytes[where] = static_cast<char>(bytes[where] ^ 0x5A);
        archive.seek(0);
        archive.write(bytes);
        archive.close();
        EXPECT_NE(test("D:\\T.ARJ", 2).code, 0);
    }
    prefix.write("D:\\JUNK.ARJ", "half a copy of something else");
    EXPECT_NE(test("D:\\JUNK.ARJ", 0).code, 0);
    EXPECT_NE(test("D:\\NADA.ARJ", 0).code, 0);
}

// Names as a foreign archive may store them; each would reach past C:\VALDOROW\DESTINO, to
// files that are there under another case.
const QList<QPair<QByteArray, QByteArray>> kCrafted{
    {"A\\..\\..\\X.DB", "x1"},
    {"../..\\X.DB", "x2"},
    {"..\\X.DB", "x3"},
    {"\\X.DB", "x4"},
    {"C:\\X.DB", "x5"},
    {"SUB\\..\\..\\NAV_LOR", "x6"},
    {"OK.DB", "ordinary"},
    // A line break ends the name in the listing, so the rest is never seen.
    {"SUB\n/../../NL.DB", "x7"},
};

TEST_F(ArjProgram, CraftedNamesNeverTouchAnythingOutsideTheTarget)
{
    // Read from the headers, and from arj's listing when a line break leaves the headers to it.
    QList<QPair<QByteArray, QByteArray>> withoutLineBreak = kCrafted;
    withoutLineBreak.removeIf([](const auto& entry) { return entry.first.contains('\n'); });
    craftArchive("D:\\BKP\\C.ARJ", kCrafted);
    craftArchive("D:\\BKP\\H.ARJ", withoutLineBreak);
    ASSERT_FALSE(arj::readArchiveIndex(prefix.host("D:\\BKP\\C.ARJ")).has_value());
    ASSERT_TRUE(arj::readArchiveIndex(prefix.host("D:\\BKP\\H.ARJ")).has_value());
    prefix.write("C:\\VALDOROW\\nav_lor", "the console's parameters");
    prefix.write("C:\\VALDOROW\\x.db", "x");
    prefix.write("C:\\x.db", "x");
    prefix.mkdir("C:\\VALDOROW\\DESTINO");

    for (const QString archive : {"D:\\BKP\\C.ARJ", "D:\\BKP\\H.ARJ"}) {
        SCOPED_TRACE(archive.toStdString());
        // Listing and test read every entry and end.
        const Result listing = arj({"V", archive});
        EXPECT_EQ(listing.code, 0);
        EXPECT_TRUE(fromAnsi(listing.output).contains(") ..\\..\\X.DB\r\n"));
        EXPECT_TRUE(fromAnsi(arj({"L", archive, "*.DB"}).output).contains("OK.DB"));
        EXPECT_TRUE(fromAnsi(arj({"T", archive}).output).contains("OK.DB"));

        const QString target = prefix.host("C:\\VALDOROW\\DESTINO");
        const std::set<std::string> before = everythingBut(target);
        const struct
        {
            QStringList arguments;
            QString directory; // current directory: the target when no other is given
            bool dbOnly;       // "*.DB" selects the names ending so
            QString entry;     // one entry named, as the extract window names it
        } runs[] = {
            {{"X", "-Y", archive, "-HTC:\\VALDOROW\\DESTINO"}, "C:\\", false, {}},
            {{"E", "-Y", archive, "-HTC:\\VALDOROW\\DESTINO"}, "C:\\", false, {}},
            {{"X", archive, "C:\\VALDOROW\\DESTINO\\", "*.*", "-Y"}, "C:\\", false, {}},
            {{"E", archive, "C:\\VALDOROW\\DESTINO\\", "*.*", "-Y"}, "C:\\", false, {}},
            {{"X", archive, "-Y"}, "C:\\VALDOROW\\DESTINO", false, {}},
            {{"E", archive, "*.DB", "-Y"}, "C:\\VALDOROW\\DESTINO", true, {}},
            {{"E", "-Y", archive, "-HTC:\\VALDOROW\\DESTINO"}, "C:\\", false, "OK.DB"},
            {{"E", "-Y", archive, "-HTC:\\VALDOROW\\DESTINO"}, "C:\\", false, "..\\X.DB"},
        };
        for (const auto& run : runs) {
            const QStringList arguments =
                run.entry.isEmpty() ? run.arguments : run.arguments + QStringList{run.entry};
            SCOPED_TRACE(arguments.join(' ').toStdString());
            QDir(target).removeRecursively();
            QDir().mkpath(target);
            const Result result = arj(arguments, run.directory);
            if (!run.entry.isEmpty()) {
                // The unsafe entry named alone is skipped and nothing is extracted.
                const bool unsafe = run.entry != "OK.DB";
                EXPECT_EQ(result.code, unsafe ? 1 : 0) << result.output.toStdString();
                EXPECT_EQ(tree("C:\\VALDOROW\\DESTINO"),
                          (unsafe ? Tree{} : Tree{{"OK.DB", "ordinary"}}));
                EXPECT_EQ(result.output.contains("Skipping unsafe name: ..\\X.DB"), unsafe);
                EXPECT_EQ(everythingBut(target), before);
                continue;
            }
            EXPECT_EQ(result.code, 1) << result.output.toStdString();
            EXPECT_EQ(tree("C:\\VALDOROW\\DESTINO"), (Tree{{"OK.DB", "ordinary"}}));
            EXPECT_EQ(everythingBut(target), before);
            for (const auto& [name, bytes] : kCrafted) {
                if (name == "OK.DB" || name.contains('\n') || (run.dbOnly && !name.endsWith(".DB")))
                    continue;
                EXPECT_TRUE(result.output.contains("Skipping unsafe name: " + name)) << name.data();
            }
        }
    }
}

TEST_F(ArjProgram, LinksInTheTargetLeadNowhereOutsideIt)
{
    prefix.write("C:\\SRC\\LINK\\NAV_LOR", "new parameters");
    prefix.write("C:\\SRC\\FORA.DB", "over the link");
    prefix.write("C:\\SRC\\OK.DB", "through a link");
    prefix.write("C:\\SRC\\BOM.DB", "ordinary");
    ASSERT_EQ(arj({"A", "D:\\L.ARJ", "C:\\SRC", "*.*", "-R"}).code, 0);
    prefix.write("C:\\VALDOROW\\nav_lor", "the console's parameters");
    prefix.write("C:\\VALDOROW\\ok.db", "outside");
    const QString valdorow = prefix.host("C:\\VALDOROW");
    const QString target = prefix.host("C:\\DESTINO");
    QDir().mkpath(target + "/SRC");
    ASSERT_TRUE(QFile::link(valdorow, target + "/SRC/link"));
    ASSERT_TRUE(QFile::link(valdorow + "/x.db", target + "/SRC/fora.db"));
    ASSERT_TRUE(QFile::link(valdorow + "/ok.db", target + "/SRC/OK.DB"));

    const std::set<std::string> before = everythingBut(target);
    const Result result = arj({"X", "D:\\L.ARJ", "C:\\DESTINO\\", "-Y"});
    EXPECT_EQ(result.code, 1) << result.output.toStdString();
    EXPECT_EQ(everythingBut(target), before);
    EXPECT_EQ(prefix.read("C:\\DESTINO\\SRC\\BOM.DB"), "ordinary");
    for (const char* name : {"SRC/LINK/NAV_LOR", "SRC/FORA.DB", "SRC/OK.DB"})
        EXPECT_TRUE(result.output.contains(QByteArray("Skipping unsafe name: ") + name)) << name;
}

// A link planted in the target, at an entry's name or on its way: that write fails and the
// rest is restored. Through navlor-arj, and by arj alone with what navlor-arj preloads, as
// when the link comes after navlor-arj has looked.
TEST_F(ArjProgram, LinksPlantedInTheTargetAreNeverWrittenThrough)
{
    prefix.write("C:\\SRC\\A.DB", "a new");
    prefix.write("C:\\SRC\\SUB\\B.DB", "b new");
    prefix.write("C:\\SRC\\OK.DB", "ordinary");
    ASSERT_EQ(arj({"A", "D:\\G.ARJ", "C:\\SRC", "*.*", "-R"}).code, 0);
    prefix.write("C:\\VALDOROW\\victim.db", "victim");
    prefix.mkdir("C:\\FORA");
    const QString target = prefix.host("C:\\DESTINO");
    const struct
    {
        const char* link; // in the target
        QString to;
    } plants[] = {
        {"SRC/A.DB", prefix.host("C:\\VALDOROW\\victim.db")}, // a file elsewhere
        {"SRC/SUB", prefix.host("C:\\FORA")},                 // a directory elsewhere
        {"SRC/A.DB", "INSIDE.DB"},                            // another file of the target
    };
    for (const auto& plant : plants) {
        for (const bool alone : {false, true}) {
            SCOPED_TRACE(std::string(plant.link) + (alone ? " arj alone" : " navlor-arj"));
            QDir(target).removeRecursively();
            QDir().mkpath(target + "/SRC");
            prefix.write("C:\\DESTINO\\SRC\\INSIDE.DB", "inside");
            ASSERT_TRUE(QFile::link(plant.to, target + '/' + plant.link));
            const std::set<std::string> before = everythingBut(target);
            arj::HostRun arjAlone{
                {"x", prefix.host("D:\\G.ARJ"), "-i", "-y", "-ht" + target}, {}, true};
            arjAlone.writeRoot = target;
            const int code = alone ? arj::runHostArj(arjAlone).exitCode
                                   : arj({"X", "D:\\G.ARJ", "C:\\DESTINO\\", "-Y"}).code;
            EXPECT_NE(code, 0);
            EXPECT_EQ(everythingBut(target), before);
            EXPECT_TRUE(QFileInfo(target + '/' + plant.link).isSymLink());
            EXPECT_EQ(prefix.read("C:\\DESTINO\\SRC\\INSIDE.DB"), "inside");
            EXPECT_EQ(prefix.read("C:\\DESTINO\\SRC\\OK.DB"), "ordinary");
        }
    }
}

TEST_F(ArjProgram, NamesStartingWithADotAreRestoredAndTheRunEnds)
{
    // arj here spins forever on an "x" of such a name.
    craftArchive("D:\\P.ARJ", {{".X.DB", "x"}, {".D/Y.DB", "y"}, {"Z.DB", "z"}});
    const Result result = arj({"X", "D:\\P.ARJ", "E:\\", "-Y"});
    EXPECT_EQ(result.code, 0) << result.output.toStdString();
    EXPECT_EQ(tree("E:\\"), (Tree{{".X.DB", "x"}, {".D/Y.DB", "y"}, {"Z.DB", "z"}}));
}

TEST_F(ArjProgram, ArjThatDoesNotFinishIsEndedAtTheBound)
{
    extraEnv.insert("NAVLOR_HOST_ARJ", hostArj("exec sleep 120"));
    extraEnv.insert("NAVLOR_ARJ_TIMEOUT_SECONDS", "1");
    prefix.write("D:\\S.ARJ", "an archive arj never gets through");
    prefix.mkdir("E:\\DESTINO");

    for (const QStringList& line :
         {QStringList{"V", "D:\\S.ARJ"}, QStringList{"L", "D:\\S.ARJ"},
          QStringList{"T", "D:\\S.ARJ"}, QStringList{"X", "D:\\S.ARJ", "E:\\DESTINO\\", "-Y"},
          QStringList{"E", "-Y", "D:\\S.ARJ", "-HTE:\\DESTINO"}}) {
        const Result result = arj(line);
        EXPECT_NE(result.code, 0) << line.join(' ').toStdString();
        EXPECT_TRUE(result.output.contains("Timeout: arj did not finish in 1 s"))
            << result.output.toStdString();
    }
}

TEST_F(ArjProgram, TheRawWindowsLineIsSplitByArjsOwnRules)
{
    prefix.write("C:\\MEUS DADOS\\MEU ARQ.DB", "meu");
    ASSERT_EQ(arj({"A", "C:\\B.ARJ", "C:\\MEUS DADOS\\MEU ARQ.DB"}).code, 0);
    ASSERT_TRUE(QFile::remove(prefix.host("C:\\MEUS DADOS\\MEU ARQ.DB")));

    // The C runtime's argv runs "-HTC:\" into the entry's name; the raw line does not.
    const QString raw = R"(ARJ E "C:\B.ARJ" "-HTC:\" "MEUS DADOS\MEU ARQ.DB")";
    extraEnv.insert("NAVLOR_COMMAND_LINE", raw);
    const Result result = arj(splitCommandLine(raw).mid(1), "C:\\MEUS DADOS");
    EXPECT_EQ(result.code, 0) << result.output.toStdString();
    EXPECT_EQ(prefix.read("C:\\MEU ARQ.DB"), "meu");
}

TEST_F(ArjProgram, HelpPrintsTheUsageAndTouchesNothing)
{
    for (const char* ask : {"--help", "-h", "/?"}) {
        const Result help = arj({ask});
        EXPECT_EQ(help.code, 0) << ask;
        EXPECT_TRUE(help.output.contains("  T   testa o arquivo")) << ask;
    }
    EXPECT_FALSE(exists("C:\\--HELP.ARJ"));
}

// In a destination every user can write, a link may wait at the archive's name: nothing is
// written through it, wherever it leads.
TEST_F(ArjProgram, AddAndMoveRefuseALinkAtTheArchivesName)
{
    prefix.write("C:\\DADOS\\A.DB", "a");
    prefix.write("C:\\OUTRO\\SEGREDO.DB", "another user's entry");
    ASSERT_EQ(arj({"A", "C:\\VITIMA.ARJ", "C:\\OUTRO", "*.*"}).code, 0);
    prefix.write("C:\\VITIMA.TXT", "no archive");
    prefix.mkdir("D:\\BKP");
    const QString link = prefix.host("D:\\BKP\\B.ARJ");
    for (const char* victim : {"C:\\VITIMA.ARJ", "C:\\VITIMA.TXT", "C:\\NOVO.ARJ"}) {
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(prefix.host(victim), link));
        const std::set<std::string> before = everythingBut(prefix.host("E:\\"));
        for (const char* command : {"A", "M"}) {
            SCOPED_TRACE(std::string(command) + " over a link to " + victim);
            const Result added = arj({command, "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.*"});
            EXPECT_EQ(added.code, 2);
            EXPECT_TRUE(added.errors.contains("symbolic link")) << added.errors.toStdString();
            EXPECT_EQ(everythingBut(prefix.host("E:\\")), before);
        }
    }
}

// arj's temporary archive and the list of names stay in a private directory that goes with
// the run; a hard link the backup keeps to the old archive still holds the old one.
TEST_F(ArjProgram, AddsAndMovesLeaveOnlyTheArchiveBesideIt)
{
    prefix.write("C:\\DADOS\\A.DB", "a");
    prefix.mkdir("D:\\BKP");
    const QString bkp = prefix.host("D:\\BKP");
    ASSERT_EQ(arj({"A", "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.*"}).code, 0);
    EXPECT_EQ(entriesIn(bkp), QStringList{"B.ARJ"});
    prefix.write("C:\\DADOS\\B.DB", "b");
    prefix.write("C:\\NOVOS\\C.DB", "c");
    for (const QStringList& line : {QStringList{"A", "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.*", "-U"},
                                    QStringList{"M", "D:\\BKP\\B.ARJ", "C:\\NOVOS\\*.*"}}) {
        SCOPED_TRACE(line.join(' ').toStdString());
        QFile::remove(bkp + "/ANTES.ARJ");
        ASSERT_TRUE(::link(QFile::encodeName(bkp + "/B.ARJ").constData(),
                           QFile::encodeName(bkp + "/ANTES.ARJ").constData()) == 0);
        const QByteArray before = prefix.read("D:\\BKP\\B.ARJ");
        const Result added = arj(line);
        EXPECT_EQ(added.code, 0) << added.output.toStdString();
        EXPECT_TRUE(added.output.contains("Updating archive  : D:\\BKP\\B.ARJ\n"))
            << added.output.toStdString();
        EXPECT_EQ(entriesIn(bkp), (QStringList{"ANTES.ARJ", "B.ARJ"}));
        EXPECT_EQ(prefix.read("D:\\BKP\\ANTES.ARJ"), before);
    }
    EXPECT_FALSE(exists("C:\\NOVOS\\C.DB"));
    const QString listing = fromAnsi(arj({"V", "D:\\BKP\\B.ARJ"}).output);
    EXPECT_EQ(listing.count(QRegularExpression("\\r\\n\\d{3,}\\) ")), 3);
    for (const char* stored : {") DADOS\\A.DB\r\n", ") DADOS\\B.DB\r\n", ") NOVOS\\C.DB\r\n"})
        EXPECT_TRUE(listing.contains(stored)) << stored;
}

// A stopped backup ends navlor-arj with a signal while arj is busy: arj goes with it, soon
// enough even when it holds out against SIGTERM, and nothing of the run stays behind.
TEST_F(ArjProgram, ASignalEndsArjAndLeavesTheOldArchiveAndNothingElse)
{
    // Text, which arj takes about a second to pack where it stores random bytes at once.
    QByteArray bytes(12 << 20, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                          bytes.size() / 4);
    prefix.write("C:\\GRANDE\\G.DB", bytes.toBase64());
    prefix.write("C:\\DADOS\\A.DB", "a");
    prefix.mkdir("D:\\BKP");
    ASSERT_EQ(arj({"A", "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.*"}).code, 0);
    const QByteArray archive = prefix.read("D:\\BKP\\B.ARJ");
    const QString bkp = prefix.host("D:\\BKP");

    const struct
    {
        int signal;
        bool stubborn;
    } runs[] = {{SIGTERM, false}, {SIGINT, false}, {SIGHUP, false}, {SIGTERM, true}};
    for (const auto& run : runs) {
        SCOPED_TRACE(std::to_string(run.signal) + (run.stubborn ? " stubborn" : ""));
        if (run.stubborn)
            extraEnv.insert("NAVLOR_HOST_ARJ",
                            hostArj("trap '' TERM\nwhile :; do sleep 0.1; done"));
        QProcess process;
        start(process, {"A", "D:\\BKP\\B.ARJ", "C:\\GRANDE", "*.*"});
        ASSERT_TRUE(process.waitForStarted());
        // arj under way, on the archive and the list in the private directory beside it.
        QByteArrayList arguments;
        pid_t arjPid = 0;
        const auto underWay = [&] {
            arjPid = childOf(process.processId(), arguments);
            return arguments.size() > 5 && arguments.at(arguments.size() - 2).startsWith('!');
        };
        QElapsedTimer waited;
        waited.start();
        bool found = false;
        while (!(found = underWay()) && waited.elapsed() < 10000) {
        }
        ASSERT_TRUE(found);
        const QString written = QFile::decodeName(arguments.at(arguments.size() - 5));
        const QString list = QFile::decodeName(arguments.at(arguments.size() - 2).mid(1));
        EXPECT_TRUE(written.startsWith(bkp + "/ARJTEMP-")) << written.toStdString();
        EXPECT_TRUE(list.startsWith(bkp + "/ARJTEMP-")) << list.toStdString();

        ASSERT_EQ(::kill(pid_t(process.processId()), run.signal), 0);
        ASSERT_TRUE(process.waitForFinished(3000));
        EXPECT_EQ(process.exitCode(), 128 + run.signal);
        EXPECT_NE(::kill(arjPid, 0), 0) << "arj outlived navlor-arj";
        EXPECT_FALSE(QFile::exists(list));
        EXPECT_EQ(entriesIn(bkp), QStringList{"B.ARJ"});
        EXPECT_EQ(prefix.read("D:\\BKP\\B.ARJ"), archive);
    }
}

// Another user keeps planting links where arj would put its temporary archive, to a file and
// to a name arj would create; neither is ever reached.
TEST_F(ArjProgram, LinksPlantedForArjsTemporaryArchiveAreNeverFollowed)
{
    prefix.write("C:\\VITIMA.DB", "nobody writes this");
    prefix.mkdir("D:\\BKP");
    const QByteArray shared = QFile::encodeName(prefix.host("D:\\BKP"));
    const QByteArray links[][2] = {
        {shared + "/ARJTEMP.$00", QFile::encodeName(prefix.host("C:\\VITIMA.DB"))},
        {shared + "/ARJTEMP.$01", QFile::encodeName(prefix.host("C:\\NOVO.DB"))}};
    std::atomic<bool> stop{false};
    std::atomic<bool> planted{true};
    std::thread planter([&] {
        // arj removes a name before it creates it: the link comes back at once.
        while (!stop) {
            for (const auto& [link, target] : links) {
                if (::symlink(target.constData(), link.constData()) != 0 && errno != EEXIST)
                    planted = false;
            }
        }
    });
    constexpr int kRuns = 5;
    for (int i = 0; i < kRuns; ++i) {
        prefix.write(QString("C:\\DADOS\\F%1.DB").arg(i), randomBytes(20000));
        const Result added = arj({"A", "D:\\BKP\\B.ARJ", "C:\\DADOS", "*.*", "-U"});
        EXPECT_EQ(added.code, 0) << added.output.toStdString();
    }
    stop = true;
    planter.join();
    EXPECT_TRUE(planted);
    EXPECT_EQ(prefix.read("C:\\VITIMA.DB"), "nobody writes this");
    EXPECT_FALSE(exists("C:\\NOVO.DB"));
    const QString listing = fromAnsi(arj({"V", "D:\\BKP\\B.ARJ"}).output);
    EXPECT_EQ(listing.count(QRegularExpression("\\r\\n\\d{3,}\\) ")), kRuns);
}

} // namespace
} // namespace navlor::test
