// "Abrir" of the extract window on large archives, offscreen: the archive is chosen through the
// file dialog, listed by the archiver stand-in through the command interpreter, and its entries
// fill the list box. Then every entry is moved to the selection and back.
//
//   extract_window_bench [entries] [large entries]     (20000 and 100000 unless given)
//
// Targets: 20000 entries in at most 2 s, 100000 in at most 10 s, peak memory below 300 MB,
// 100000 entries moved in at most 2 s. The last line is "Abrir <entries> entries: <N> ms".

#include "archive/extract_window.h"
#include "bench/backup_bench_support.h"
#include "lib/dialogs.h"
#include "lib/platform/platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace navlor;

constexpr int kDirectories = 100;

[[noreturn]] void fail(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

// Answers the archive chooser with the archive under test; any message is a failure.
class BenchDialogs : public Dialogs
{
public:
    void message(const QString& text) override { fail(QStringLiteral("message: ") + text); }
    bool confirm(const QString&, const QString&) override { return false; }
    QStringList openFiles(const FileDialogRequest&) override { return {archive}; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    void setBusyCursor(bool) override {}

    QString archive;
};

QString hostArj()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("arj"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/arj") : found;
}

// `entries` one-byte files in kDirectories directories, stored by Debian's arj into the
// Windows path `archive`; the files go again once stored.
void makeArchive(const bench::BenchPrefix& prefix, int entries, const QString& archive)
{
    const QString work = prefix.scratch() + QStringLiteral("/data");
    for (int i = 0; i < entries; ++i) {
        const QString dir =
            work +
            QStringLiteral("/VALDOROW/DADOS/EMPRESA%1").arg(i % kDirectories, 3, 10, QChar(u'0'));
        if (i < kDirectories)
            QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/CLIENTES%1.DB").arg(i, 6, 10, QChar(u'0')));
        if (!file.open(QIODevice::WriteOnly) || file.write("x", 1) != 1)
            fail(QStringLiteral("cannot write ") + file.fileName());
    }
    QProcess arj;
    arj.setWorkingDirectory(work);
    arj.setStandardInputFile(QProcess::nullDevice());
    arj.setStandardOutputFile(QProcess::nullDevice());
    arj.start(hostArj(),
              {QStringLiteral("a"), prefix.host(archive), QStringLiteral("-r"),
               QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("VALDOROW/*.*")});
    if (!arj.waitForFinished(-1) || arj.exitStatus() != QProcess::NormalExit || arj.exitCode() != 0)
        fail(QStringLiteral("arj a failed: ") + QString::fromLocal8Bit(arj.readAllStandardError()));
    QDir(work).removeRecursively();
}

// The stand-in's listing alone, for comparison; milliseconds.
qint64 listingAlone(const bench::BenchPrefix& prefix, const QString& archive)
{
    QProcess arj;
    arj.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    arj.start(QStringLiteral(NAVLOR_ARJ_BINARY), {QStringLiteral("V"), prefix.host(archive)});
    arj.waitForFinished(-1);
    return timer.elapsed();
}

QPushButton* button(QWidget& window, const char* name)
{
    auto* found = window.findChild<QPushButton*>(QString::fromLatin1(name));
    if (!found)
        fail(QStringLiteral("no button ") + QString::fromLatin1(name));
    return found;
}

QListWidget* list(QWidget& window, const char* name)
{
    auto* found = window.findChild<QListWidget*>(QString::fromLatin1(name));
    if (!found)
        fail(QStringLiteral("no list ") + QString::fromLatin1(name));
    return found;
}

// The archive chosen through the dialog and listed by "Abrir"; milliseconds until the list is
// filled.
qint64 abrir(TF_BKP_EXTRAI1& window, BenchDialogs& dialogs, const QString& archive, int entries)
{
    dialogs.archive = archive;
    button(window, "BU_DIR_ORIGEM")->click();
    // The interpreter echoes the batch line; not on the terminal, which would pay for it.
    std::fflush(stdout);
    const int savedOut = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::close(null);
    QElapsedTimer timer;
    timer.start();
    button(window, "BU_EXTRAIR_ABRIR")->click();
    const qint64 ms = timer.elapsed();
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    QListWidget* listed = list(window, "ESTOR_LISTBOX");
    if (listed->count() != entries)
        fail(QStringLiteral("%1 entries listed of %2").arg(listed->count()).arg(entries));
    return ms;
}

// Every entry of `from` moved by the button `name`; milliseconds.
qint64 moveAll(TF_BKP_EXTRAI1& window, const char* from, const char* to, const char* name)
{
    QListWidget* source = list(window, from);
    QListWidget* target = list(window, to);
    const int entries = source->count() + target->count();
    source->selectAll();
    QElapsedTimer timer;
    timer.start();
    button(window, name)->click();
    QApplication::processEvents(); // the lists laid out and painted again
    const qint64 ms = timer.elapsed();
    if (source->count() != 0 || target->count() != entries)
        fail(QStringLiteral("moved %1 of %2").arg(target->count()).arg(entries));
    return ms;
}

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int small = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int large = argc > 2 ? std::atoi(argv[2]) : 100000;
    if (small < 1 || large < 1)
        fail(QStringLiteral("usage: extract_window_bench [entries] [large entries]"));
    // The batches are run by the command interpreter built with this program.
    qputenv("NAVLOR_CMD", NAVLOR_CMD_BINARY);

    bench::BenchPrefix prefix(QDateTime(QDate::currentDate(), QTime(10, 0)));
    prefix.mkdir(QStringLiteral("C:\\NAVLOR"));
    prefix.mkdir(QStringLiteral("C:\\BKP"));
    prefix.link(QStringLiteral(NAVLOR_ARJ_BINARY), QStringLiteral("C:\\ARJ.EXE"));
    const QString smallArchive = QStringLiteral("C:\\BKP\\BKP_SMALL.ARJ");
    const QString largeArchive = QStringLiteral("C:\\BKP\\BKP_LARGE.ARJ");
    makeArchive(prefix, small, smallArchive);
    makeArchive(prefix, large, largeArchive);

    auto* dialogs = new BenchDialogs;
    setDialogs(std::unique_ptr<Dialogs>(dialogs));
    TF_BKP_EXTRAI1 window;
    window.show();
    QApplication::processEvents();
    if (window.ARQ_ARJ() != QStringLiteral("C:\\ARJ.EXE"))
        fail(QStringLiteral("the window found the archiver at ") + window.ARQ_ARJ());

    const qint64 smallMs = abrir(window, *dialogs, smallArchive, small);
    std::printf("archiver listing alone, %d entries: %lld ms\n", small,
                listingAlone(prefix, smallArchive));
    const qint64 largeMs = abrir(window, *dialogs, largeArchive, large);
    std::printf("archiver listing alone, %d entries: %lld ms\n", large,
                listingAlone(prefix, largeArchive));
    std::printf("Abrir %d entries: %lld ms (target <= 10000)\n", large, largeMs);
    const qint64 plus = moveAll(window, "ESTOR_LISTBOX", "ESTOR_LISTBOX_SELEC", "BU_EXTR_MAIS");
    const qint64 minus = moveAll(window, "ESTOR_LISTBOX_SELEC", "ESTOR_LISTBOX", "BU_EXTR_MENOS");
    std::printf("move %d entries: + %lld ms, - %lld ms (target <= 2000)\n", large, plus, minus);
    std::printf("peak memory: %ld MB (target < 300)\n", peakMegabytes());
    std::printf("Abrir %d entries: %lld ms\n", small, smallMs);
    return 0;
}
