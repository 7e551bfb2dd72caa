// Saves a picture of the backup window over a small sample installation in a temporary prefix:
//   navlor_screenshot_backup OUTPUT.png [menu|param|texto|mapa]   (default: param, job 00)
#include "app/main_window.h"
#include "backup/backup_job.h"
#include "backup/backup_window.h"
#include "backup/job_batch_text.h"
#include "tests/support/fixed_paths_platform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

void write(const QString& windowsPath)
{
    const QString host = navlor::platform().toHostPath(windowsPath);
    QDir().mkpath(QFileInfo(host).absolutePath());
    QFile file(host);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
}

void job(int number, const QString& title, const QString& period, const QString& lastRun,
         const QString& archive)
{
    const QString data = QStringLiteral("C:\\NAVLOR");
    navlor::BackupJob job;
    job.numberText = navlor::jobNumberText(number);
    navlor::loadJob(job, data, QStringLiteral("C:\\VALDOROW"));
    job.title = title;
    job.active = true;
    job.period = period;
    job.masks = QStringLiteral("*.DB *.MB *.FDB *.GDB");
    job.source = QStringLiteral("C:\\VALDOROW\\DADOS");
    job.exclusions = QStringLiteral("*.ARJ *_.EXE");
    job.lastArchive = archive;
    job.lastRunDate = lastRun;
    job.lastRunTime = lastRun.isEmpty() ? QString() : QStringLiteral("08:00:12");
    (void)navlor::saveJob(job, data); // a picture needs no checked write
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: navlor_screenshot_backup OUTPUT.png [menu|param|texto|mapa]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString page = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("param");

    QTemporaryDir dir;
    auto backend = std::make_unique<navlor::test::FixedPathsPlatform>(dir.path() + "/prefix");
    backend->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
    navlor::setPlatform(std::move(backend));
    write(QStringLiteral("C:\\VALDOROW\\DADOS\\CLIENTES.DB"));
    QDir().mkpath(navlor::platform().toHostPath(QStringLiteral("C:\\NAVLOR")));

    job(0, QStringLiteral("Dados - Diário"), QStringLiteral("0 - Diário"),
        QStringLiteral("06/12/26"), QStringLiteral("C:\\VLDRBKPA\\BKP00_05_DIARIO.ARJ"));
    job(1, QStringLiteral("Fiscal - Mensal"), QStringLiteral("5 - Mensal"),
        QStringLiteral("01/12/26"), QStringLiteral("C:\\VLDRBKPA\\BKP01_10_MENSAL.ARJ"));
    job(3, QStringLiteral("3 - Semanal"), QStringLiteral("3 - Semanal"), QString(), QString());
    navlor::saveJobBatch(QStringLiteral("C:\\NAVLOR"), 0,
                         QStringLiteral("@ECHO OFF\nC:\\VALDOROW\\ARJ.EXE A \"C:\\VLDRBKPA\\"
                                        "COPIA.ARJ\" \"C:\\VALDOROW\\DADOS\" *.DB -U -R\n"));

    navlor::TF_NAVLOR console({QStringLiteral("/N")});
    navlor::TF_BKPA window(&console);
    window.show();
    if (page == QLatin1String("param"))
        window.findChild<QPushButton*>(QStringLiteral("BU_ABRIR"))->click();
    else if (page == QLatin1String("mapa"))
        window.findChild<QPushButton*>(QStringLiteral("BU_MAPA"))->click();
    else if (page == QLatin1String("texto"))
        window.findChild<QTabWidget*>(QStringLiteral("PC_GERAL"))->setCurrentIndex(2);
    QApplication::processEvents();
    return window.grab().save(out) ? 0 : 1;
}
