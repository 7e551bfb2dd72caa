#include "lib/platform/atomic_file.h"
#include "lib/platform/open_files.h"

#include "tests/platform/platform_fixture.h"
#include "tests/support/forwarding_platform.h"

#include <QProcess>

#include <ctime>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navlor::test {
namespace {

using Files = PlatformTest;

QStringList names(const QList<DirEntry>& entries)
{
    QStringList list;
    for (const DirEntry& e : entries)
        list << e.name;
    return list;
}

const DirEntry* entry(const QList<DirEntry>& entries, const QString& name)
{
    for (const DirEntry& e : entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

TEST_F(Files, FindFilesListsInStableOrderWithAttributes)
{
    touch("C:\\D\\b.txt", "bb");
    touch("C:\\D\\A.TXT", "a");
    touch("C:\\D\\c.TXT");
    touch("C:\\D\\.oculto");
    touch("C:\\D\\RO.TXT");
    touch("C:\\D\\SEMPONTO");
    prefix.mkdir("C:\\D\\Sub");
    const QString d = prefix.host("C:\\D");
    ASSERT_EQ(::chmod(QFile::encodeName(d + "/RO.TXT").constData(), 0444), 0);
    ASSERT_TRUE(QFile::link(d + "/Sub", d + "/Link"));

    const QList<DirEntry> all = platform().findFiles("c:\\d\\*.*");
    EXPECT_EQ(names(all), (QStringList{".oculto", "A.TXT", "b.txt", "c.TXT", "Link", "RO.TXT",
                                       "SEMPONTO", "Sub"}));
    ASSERT_EQ(all.size(), 8);
    EXPECT_TRUE(entry(all, ".oculto")->hidden);
    EXPECT_FALSE(entry(all, "A.TXT")->hidden);
    EXPECT_EQ(entry(all, "b.txt")->size, 2);
    EXPECT_TRUE(entry(all, "RO.TXT")->readOnly);
    EXPECT_FALSE(entry(all, "b.txt")->readOnly);
    EXPECT_TRUE(entry(all, "Sub")->directory);
    EXPECT_FALSE(entry(all, "Sub")->system);
    EXPECT_FALSE(entry(all, "A.TXT")->directory);
    EXPECT_EQ(entry(all, "A.TXT")->modified, QFileInfo(d + "/A.TXT").lastModified());
    // a linked directory is a directory walkers can tell apart
    EXPECT_TRUE(entry(all, "Link")->directory);
    EXPECT_TRUE(entry(all, "Link")->system);

    EXPECT_EQ(names(platform().findFiles("C:\\D\\*.txt")),
              (QStringList{"A.TXT", "b.txt", "c.TXT", "RO.TXT"}));
    EXPECT_EQ(names(platform().findFiles("C:\\D\\semponto.*")), QStringList{"SEMPONTO"});
    EXPECT_EQ(names(platform().findFiles("C:\\D\\a.txt")), QStringList{"A.TXT"});
    EXPECT_TRUE(platform().findFiles("C:\\D\\").isEmpty());
    EXPECT_TRUE(platform().findFiles("C:\\NADA\\*.*").isEmpty());
}

TEST_F(Files, KindsAloneAgreeWithTheFullListing)
{
    touch("C:\\K\\A.TXT");
    touch("C:\\K\\.oculto");
    prefix.mkdir("C:\\K\\Sub");
    prefix.mkdir("C:\\K\\.OcultoDir");
    const QString k = prefix.host("C:\\K");
    ASSERT_TRUE(QFile::link(k + "/Sub", k + "/LinkDir"));
    ASSERT_TRUE(QFile::link(k + "/A.TXT", k + "/LinkFile.TXT"));
    ASSERT_TRUE(QFile::link(k + "/nada", k + "/Dangling.TXT"));
    ASSERT_TRUE(QFile::link("/dev/null", k + "/Device.TXT"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(k + "/Pipe.TXT").constData(), 0600), 0);

    for (const QString& pattern : QStringList{"C:\\K\\*.*", "c:\\k\\*.txt", "C:\\K\\l*"}) {
        const QList<DirEntry> full = platform().findFiles(pattern);
        const QList<DirEntry> kinds = platform().findFileKinds(pattern);
        ASSERT_EQ(names(kinds), names(full)) << pattern.toStdString();
        for (qsizetype i = 0; i < full.size(); ++i) {
            EXPECT_EQ(kinds[i].directory, full[i].directory) << full[i].name.toStdString();
            EXPECT_EQ(kinds[i].hidden, full[i].hidden) << full[i].name.toStdString();
            EXPECT_EQ(kinds[i].system, full[i].system) << full[i].name.toStdString();
        }
    }
    const QList<DirEntry> all = platform().findFiles("C:\\K\\*.*");
    // only ordinary files and directories are neither hidden nor system
    EXPECT_FALSE(entry(all, "LinkFile.TXT")->system);
    EXPECT_TRUE(entry(all, "LinkDir")->system);
    EXPECT_TRUE(entry(all, "Dangling.TXT")->system);
    EXPECT_TRUE(entry(all, "Device.TXT")->system);
    EXPECT_TRUE(entry(all, "Pipe.TXT")->system);
    EXPECT_TRUE(entry(all, ".OcultoDir")->hidden);
    EXPECT_EQ(all.size(), 9);
}

// A depth-first walk that, like every walker of the program, does not enter system
// directories.
void walk(const QString& dir, QStringList& files, int& visits)
{
    if (++visits > 100)
        return;
    for (const DirEntry& e : platform().findFiles(dir + "\\*.*")) {
        if (!e.directory)
            files << dir + "\\" + e.name;
        else if (!e.system && !e.hidden)
            walk(dir + "\\" + e.name, files, visits);
    }
}

TEST_F(Files, LinkBackUpTheTreeMakesNoLoop)
{
    touch("C:\\TREE\\A.LCK");
    touch("C:\\TREE\\SUB\\B.LCK");
    const QString sub = prefix.host("C:\\TREE\\SUB");
    ASSERT_TRUE(QFile::link(sub + "/..", sub + "/UP"));
    ASSERT_TRUE(QFile::link(sub, sub + "/SELF"));

    QStringList files;
    int visits = 0;
    walk("C:\\TREE", files, visits);
    EXPECT_EQ(visits, 2);
    EXPECT_EQ(files, (QStringList{"C:\\TREE\\A.LCK", "C:\\TREE\\SUB\\B.LCK"}));
}

TEST_F(Files, CopyNeverOverwritesAndKeepsTheTime)
{
    touch("C:\\A\\ORIG.DB", "original");
    touch("C:\\A\\OTHER.DB", "other");
    const QString orig = prefix.host("C:\\A\\ORIG.DB");
    const QDateTime old(QDate(2020, 1, 2), QTime(3, 4, 5));
    {
        QFile f(orig);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }

    EXPECT_TRUE(platform().copyFile("c:\\a\\orig.db", "C:\\A\\COPY.DB"));
    EXPECT_EQ(prefix.read("C:\\A\\COPY.DB"), "original");
    EXPECT_EQ(QFileInfo(prefix.host("C:\\A\\COPY.DB")).lastModified(), old);

    EXPECT_FALSE(platform().copyFile("C:\\A\\ORIG.DB", "C:\\A\\other.db"));
    EXPECT_EQ(prefix.read("C:\\A\\OTHER.DB"), "other");
    EXPECT_FALSE(platform().copyFile("C:\\A\\NADA.DB", "C:\\A\\NOVO.DB"));
    EXPECT_FALSE(platform().fileExists("C:\\A\\NOVO.DB"));
    EXPECT_FALSE(platform().copyFile("C:\\A\\ORIG.DB", "C:\\SEMDIR\\X.DB"));
}

TEST_F(Files, MoveNeverOverwritesButMayChangeCase)
{
    touch("C:\\M\\a.txt", "a");
    touch("C:\\M\\B.TXT", "b");
    EXPECT_FALSE(platform().moveFile("C:\\M\\A.TXT", "C:\\M\\b.txt"));
    EXPECT_EQ(prefix.read("C:\\M\\B.TXT"), "b");
    EXPECT_TRUE(platform().moveFile("C:\\M\\A.TXT", "C:\\M\\A.TXT"));
    EXPECT_EQ(names(platform().findFiles("C:\\M\\*.*")), (QStringList{"A.TXT", "B.TXT"}));
    EXPECT_TRUE(platform().moveFile("C:\\M\\A.TXT", "C:\\M\\C.TXT"));
    EXPECT_EQ(prefix.read("C:\\M\\C.TXT"), "a");
    EXPECT_FALSE(platform().fileExists("C:\\M\\A.TXT"));
}

TEST_F(Files, WriteReplacesWholeAndLeavesNoTemporaryFile)
{
    touch("C:\\W\\PARAM.PAR", "old contents");
    const QString file = prefix.host("C:\\W\\PARAM.PAR");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    EXPECT_TRUE(platform().writeFile("c:\\w\\param.par", "new"));
    EXPECT_EQ(platform().readFile("C:\\W\\PARAM.PAR").value_or("?"), "new");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the file keeps its permissions
    EXPECT_TRUE(platform().writeFile("C:\\W\\NOVO.TXT", ""));
    EXPECT_EQ(platform().readFile("C:\\W\\NOVO.TXT").value_or("?"), "");

    // failures: no directory, a file where the directory should be, a directory in the way
    EXPECT_FALSE(platform().writeFile("C:\\W\\NAO\\X.TXT", "x"));
    EXPECT_FALSE(platform().writeFile("C:\\W\\PARAM.PAR\\X.TXT", "x"));
    prefix.mkdir("C:\\W\\DIR");
    EXPECT_FALSE(platform().writeFile("C:\\W\\DIR", "x"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    EXPECT_FALSE(platform().writeFile("C:\\W\\PARAM.PAR", "x"));
    EXPECT_EQ(prefix.read("C:\\W\\PARAM.PAR"), "new");
    EXPECT_EQ(QDir(prefix.host("C:\\W"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"DIR", "NOVO.TXT", "PARAM.PAR"}));
}

TEST(AtomicFile, FailedRenameRemovesTheTemporaryFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir().mkpath(dir.path() + "/target/inner");
    // the data is written, then the rename over a non-empty directory fails
    EXPECT_FALSE(writeFileAtomically(dir.path() + "/target", "data"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"target"});
    EXPECT_TRUE(writeFileAtomically(dir.path() + "/file", "data"));
    QFile f(dir.path() + "/file");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "data");
}

TEST(AtomicFile, OnlyOldLeftoversOfInterruptedWritesAreRemoved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    enum Kind
    {
        File,
        Link,
        Directory
    };
    const struct
    {
        const char* name;
        Kind kind;
        int age; // seconds
        bool removed;
    } rows[] = {
        {".PARAM.PAR.navlor-1x2y3z", File, 3600, true},
        {".NAV_LOR.navlor-0", File, 120, true},
        {".a.b.navlor-zz.navlor-9", File, 120, true},
        {".NAVLOR.LOG.navlor-k9", File, 5, false}, // a write still going on
        {".LINK.navlor-abc", Link, 3600, false},
        {".DIR.navlor-abc", Directory, 3600, false},
        {"NAV_LOR", File, 3600, false},
        {".hidden", File, 3600, false},
        {"PARAM.PAR.navlor-abc", File, 3600, false},
        {".navlor-abc", File, 3600, false},
        {".PARAM.navlor-", File, 3600, false},
        {".PARAM.navlor-ABC", File, 3600, false},
        {".PARAM.navlor-abc.tmp", File, 3600, false},
    };
    QStringList kept;
    for (const auto& row : rows) {
        const QString path = dir.path() + '/' + row.name;
        if (row.kind == Directory)
            ASSERT_TRUE(QDir().mkdir(path));
        else if (row.kind == Link)
            ASSERT_TRUE(QFile::link("NAV_LOR", path));
        else
            ASSERT_TRUE(writeFileAtomically(path, "x"));
        const timespec times[2] = {{::time(nullptr) - row.age, 0}, {::time(nullptr) - row.age, 0}};
        ASSERT_EQ(
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW),
            0);
        if (!row.removed)
            kept << row.name;
    }
    EXPECT_EQ(removeInterruptedWrites(dir.path()), 3);
    QStringList left =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept);
    EXPECT_EQ(removeInterruptedWrites(dir.path(), 1), 1); // the fresh one is older than a second
    EXPECT_EQ(removeInterruptedWrites(dir.path() + "/missing"), 0);
}

// A writer killed in the middle of a write leaves the old file whole and a leftover that the
// next start removes.
TEST(AtomicFile, WriterKilledMidWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.path() + "/NAV_LOR";
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    const QByteArray big(64 << 20, 'n');
    const auto leftovers = [&] {
        return QDir(dir.path()).entryList({".NAV_LOR.navlor-*"}, QDir::Files | QDir::Hidden);
    };
    // The writer writes again and again; the kill lands in a write, bar the instant between
    // a rename and the next file, when it is tried once more.
    for (int attempt = 0; attempt < 3 && leftovers().isEmpty(); ++attempt) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (;;)
                (void)writeFileAtomically(target, big);
        }
        for (int i = 0; i < 500 && leftovers().isEmpty(); ++i)
            ::usleep(10000);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
    }
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray now = file.readAll();
    EXPECT_TRUE(now == "old" || now == big) << "a file of " << now.size() << " bytes";
    ASSERT_EQ(leftovers().size(), 1) << "killed while writing";
    const QString leftover = dir.path() + '/' + leftovers().first();
    const timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), old, 0), 0);
    EXPECT_EQ(removeInterruptedWrites(dir.path()), 1);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(Files, DeleteRefusesMissingReadOnlyAndDirectories)
{
    touch("C:\\X\\RO.TXT");
    touch("C:\\X\\OK.TXT");
    ASSERT_EQ(::chmod(QFile::encodeName(prefix.host("C:\\X\\RO.TXT")).constData(), 0444), 0);
    EXPECT_FALSE(platform().deleteFile("C:\\X\\NADA.TXT"));
    EXPECT_FALSE(platform().deleteFile("C:\\X\\RO.TXT"));
    EXPECT_TRUE(platform().fileExists("C:\\X\\RO.TXT"));
    EXPECT_FALSE(platform().deleteFile("C:\\X"));
    EXPECT_TRUE(platform().deleteFile("c:\\x\\ok.txt"));
    EXPECT_FALSE(platform().fileExists("C:\\X\\OK.TXT"));
}

TEST_F(Files, DeleteRefusesAFileHeldOpenByThisProcess)
{
    touch("C:\\PDOXUSRS.NET");
    {
        QFile held(prefix.host("C:\\PDOXUSRS.NET"));
        ASSERT_TRUE(held.open(QIODevice::ReadOnly));
        EXPECT_FALSE(platform().deleteFile("C:\\PDOXUSRS.NET"));
    }
    EXPECT_TRUE(platform().deleteFile("C:\\PDOXUSRS.NET"));
}

TEST_F(Files, DeleteRefusesAFileHeldOpenByAnotherProcess)
{
    touch("C:\\DADOS\\PDOXUSRS.LCK");
    const QString lock = prefix.host("C:\\DADOS\\PDOXUSRS.LCK");
    QProcess holder;
    holder.start(NAVLOR_PLATFORM_PROBE, {"hold", lock});
    ASSERT_TRUE(holder.waitForStarted());
    const qint64 pid = holder.processId();
    ASSERT_TRUE(waitUntil([&] { return processesHoldingFile(lock).contains(pid); }));

    EXPECT_FALSE(platform().deleteFile("C:\\DADOS\\PDOXUSRS.LCK"));
    EXPECT_TRUE(QFileInfo::exists(lock));

    holder.kill();
    ASSERT_TRUE(holder.waitForFinished());
    EXPECT_TRUE(platform().deleteFile("C:\\DADOS\\PDOXUSRS.LCK"));
    EXPECT_FALSE(QFileInfo::exists(lock));
}

TEST_F(Files, DirectoriesOneLevelAtATime)
{
    EXPECT_TRUE(platform().directoryExists("C:\\"));
    EXPECT_TRUE(platform().directoryExists("c:"));
    EXPECT_TRUE(platform().createDirectory("C:\\NOVO"));
    EXPECT_FALSE(platform().createDirectory("c:\\novo"));
    EXPECT_FALSE(platform().createDirectory("C:\\A\\B\\C"));
    EXPECT_TRUE(platform().directoryExists("C:\\NOVO\\"));
    EXPECT_FALSE(platform().fileExists("C:\\NOVO"));
    touch("C:\\NOVO\\F.TXT");
    EXPECT_FALSE(platform().removeDirectory("C:\\NOVO"));
    EXPECT_TRUE(platform().deleteFile("C:\\NOVO\\F.TXT"));
    EXPECT_TRUE(platform().removeDirectory("C:\\novo"));
    EXPECT_FALSE(platform().directoryExists("C:\\NOVO"));
    EXPECT_FALSE(platform().readFile("C:\\NOVO\\F.TXT").has_value());
    EXPECT_FALSE(platform().readFile("C:\\WINDOWS").has_value());
}

TEST_F(Files, LogicalDrivesAreTheDrivesThatLeadSomewhere)
{
    prefix.addDrive('d');
    const QString devices = prefix.root() + "/dosdevices/";
    ASSERT_TRUE(QFile::link(prefix.root() + "/nowhere", devices + "e:")); // dangling
    ASSERT_TRUE(QFile::link("/dev/null", devices + "d::"));               // a raw device
    const QStringList expected{"C:", "D:", "Z:"};
    EXPECT_EQ(platform().logicalDrives(), expected);

    // a platform without its own list answers by asking every drive root
    ScopedPlatform<ForwardingPlatform> forwarding;
    EXPECT_EQ(platform().logicalDrives(), expected);
}

} // namespace
} // namespace navlor::test
