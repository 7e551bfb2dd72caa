// The list file of an "A": a whole directory as one mask, and arj storing exactly the same
// entries, in the same order and with the same output, as from a line for every name; where
// the directory's order is another, arj runs with the directory cache that gives the list's.

#include "compat/arj/add_masks.h"

#include "compat/arj/arj_names.h"
#include "compat/arj/host_arj.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor::arj {
namespace {

struct MaskArjRun
{
    int code = -1;
    QByteArray output;
    QByteArray listing; // "arj v", without the times two runs cannot share
};

// What the selection takes of a directory: its regular files and links to them, dot files
// and those `leftOut` aside, in the directory's order.
QList<QByteArray> maskSelected(const QByteArray& root, const QByteArray& directory,
                               const QList<QByteArray>& leftOut)
{
    QList<QByteArray> stored;
    DIR* d = ::opendir((root + '/' + directory).constData());
    if (!d)
        return stored;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        struct stat st;
        if (name.startsWith('.') || leftOut.contains(name) ||
            ::stat((root + '/' + directory + '/' + name).constData(), &st) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        stored << directory + '/' + name;
    }
    ::closedir(d);
    return stored;
}

// arj's "a" from `root` on a list file of `lines`, and its listing; the archive is removed.
// With `orders`, through the directory cache as navlor-arj runs it.
MaskArjRun maskArjAdd(const QTemporaryDir& scratch, const QList<QByteArray>& lines,
                      const QString& orders = {})
{
    const QString list = scratch.filePath("list.txt");
    const QString archive = scratch.filePath("A.ARJ");
    QFile::remove(list);
    EXPECT_TRUE(writeAddList(list, lines));
    const auto arj = [&](const QStringList& arguments, int& code) {
        QProcess process;
        process.setWorkingDirectory(scratch.filePath("root"));
        process.start(hostArjProgram(), arguments);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        code = process.exitCode();
        return process.readAllStandardOutput();
    };
    MaskArjRun run;
    if (orders.isEmpty()) {
        run.output = arj({"a", archive, "-i", "-y", '!' + list}, run.code);
    } else {
        const MaskOrderScope scope(orders);
        const HostResult cached = runHostArj({{"a", archive, "-i", "-y", '!' + list},
                                              scratch.filePath("root"),
                                              true,
                                              60,
                                              directoryCache()});
        run.code = cached.exitCode;
        run.output = cached.output;
    }
    int listed = -1;
    for (const QByteArray& line : arj({"v", archive}, listed).split('\n')) {
        if (!line.startsWith("Archive created") && !line.contains(" DTA "))
            run.listing += line + '\n';
    }
    QFile::remove(archive);
    return run;
}

TEST(ArjAddMasks, AWholeDirectoryIsOneMaskOnlyWhereArjStoresTheSameEntries)
{
    QList<QByteArray> dozens;
    for (int i = 0; i < 40; ++i)
        dozens << "F" + QByteArray::number(i * 17 % 40) + ".DB";
    enum class Extra
    {
        None,
        LinkToFile,
        Pipe,
        Reversed,
        Sorted, // as the selection sorts, files made in another order
    };
    const struct
    {
        const char* what;
        QByteArray directory;
        QList<QByteArray> files;
        QList<QByteArray> leftOut; // by the masks or "-X"
        Extra extra;
        int masks; // besides the one of its subdirectory
        bool cache = true;
    } cases[] = {
        {"every file, names a list line escapes",
         "DADOS",
         {"A.DB", "with space", " lead", "trail ", "br[ack]et", "\xc3\xbcn.txt", "LEIAME", "x."},
         {},
         Extra::None,
         1},
        {"in a directory with blanks", "MEUS DADOS/EMP 1", {"A.DB", "b.db"}, {}, Extra::None, 1},
        {"a hidden file", "DADOS", {"A.DB", "B.DB", ".oculto"}, {}, Extra::None, 0},
        {"a file left out", "DADOS", {"A.DB", "B.DB", "C.TMP"}, {"C.TMP"}, Extra::None, 0},
        {"a link to a file", "DADOS", {"A.DB"}, {}, Extra::LinkToFile, 0},
        {"a pipe", "DADOS", {"A.DB", "B.DB"}, {}, Extra::Pipe, 0},
        {"a name arj trims from a line", "DADOS", {"A.DB", "tab\t"}, {}, Extra::None, 0},
        {"not in the directory's order", "DADOS", {"A.DB", "B.DB", "C.DB"}, {}, Extra::Reversed, 1},
        {"nor an arj without the cache",
         "DADOS",
         {"A.DB", "B.DB", "C.DB"},
         {},
         Extra::Reversed,
         0,
         false},
        {"dozens, sorted", "DADOS", dozens, {}, Extra::Sorted, 1},
        {"dozens and one left out", "DADOS", dozens, {"F17.DB"}, Extra::Sorted, 0},
        {"a directory arj reads as a pattern", "DADOS[1]", {"A.DB", "B.DB"}, {}, Extra::None, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir scratch;
        const QByteArray root = QFile::encodeName(scratch.filePath("root"));
        const QByteArray directory = root + '/' + c.directory;
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(directory + "/SUB")));
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(directory + "/.oculta")));
        for (const QByteArray& name :
             c.files + QList<QByteArray>{"SUB/X.DB", "SUB/Y.DB", ".oculta/Z.DB"}) {
            QFile file(QFile::decodeName(directory + '/' + name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(name + "\r\n");
        }
        if (c.extra == Extra::LinkToFile) {
            ASSERT_EQ(::symlink("A.DB", (directory + "/LINK.DB").constData()), 0);
        }
        if (c.extra == Extra::Pipe) {
            ASSERT_EQ(::mkfifo((directory + "/PIPE").constData(), 0600), 0);
        }
        // The walk's order: the files of a directory, then its subdirectories'.
        QList<QByteArray> stored = maskSelected(root, c.directory, c.leftOut);
        if (c.extra == Extra::Reversed)
            std::reverse(stored.begin(), stored.end());
        if (c.extra == Extra::Sorted)
            std::sort(stored.begin(), stored.end());
        stored += maskSelected(root, c.directory + "/SUB", {});

        const QString orders = c.cache ? newMaskOrderDirectory(scratch.path()) : QString();
        ASSERT_EQ(orders.isEmpty(), !c.cache);
        const QList<QByteArray> lines = addListLines(QFile::decodeName(root), stored, orders);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const QByteArray& line) { return line.endsWith("/*"); }),
                  c.masks + 1);
        QList<QByteArray> names;
        for (const QByteArray& name : stored)
            names << listFileLine(name);
        const MaskArjRun masked = maskArjAdd(scratch, lines, orders);
        const MaskArjRun listed = maskArjAdd(scratch, names);
        EXPECT_EQ(masked.code, listed.code);
        EXPECT_EQ(masked.output.toStdString(), listed.output.toStdString());
        EXPECT_EQ(masked.listing.toStdString(), listed.listing.toStdString());
        EXPECT_TRUE(masked.listing.contains(c.directory + "/SUB/X.DB\n")) << masked.listing.data();
    }
}

} // namespace
} // namespace navlor::arj
