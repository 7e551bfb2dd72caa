// Saves a picture of the directory backup window with a short history of stores:
// OUTPUT_DIR/directory-backup.png.
//   QT_QPA_PLATFORM=offscreen <build>/tests/archive/navlor_screenshot_directory_backup docs
#include "archive/directory_backup_window.h"
#include "lib/platform/posix_platform.h"
#include "lib/registry_settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_screenshot_directory_backup OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir dir;
    navlor::setPlatform(std::make_unique<navlor::PosixPlatform>(dir.path() + "/prefix"));
    navlor::Platform& p = navlor::platform();
    QDir().mkpath(p.toHostPath("C:\\") + "/VALDOROW/EXE");
    QFile::link(QStringLiteral(NAVLOR_ARJ_PATH), p.toHostPath("C:\\VALDOROW\\EXE") + "/ARJ.EXE");
    const QString arj = QStringLiteral("C:\\VALDOROW\\EXE\\ARJ.EXE#");
    navlor::GRAVA_PROGRAMA("BKPDIR", "BKP0",
                           arj + "M#C:\\VLDRBKPB\\EMPRESA.ARJ#C:\\DADOS\\EMPRESA\\*.*#-R#");
    navlor::GRAVA_PROGRAMA("BKPDIR", "BKP2", arj + "A#D:\\BKP\\NOTAS.ARJ#C:\\DADOS\\NOTAS\\*.DB#");

    navlor::TF_BKPDIR window;
    window.show();
    QApplication::processEvents();
    return window.grab().save(out + "/directory-backup.png") ? 0 : 1;
}
