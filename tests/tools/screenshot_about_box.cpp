// Saves a picture of the about box as the main window shows it (docs/about-box.png):
//   QT_QPA_PLATFORM=offscreen <build>/tests/tools/navlor_about_screenshot docs/about-box.png
#include "tools/about_box.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_about_screenshot OUTPUT.png\n");
        return 2;
    }
    navlor::TF_SOBRE about;
    about.setStatusText(QStringLiteral("NAVLOR - Servidor de Sistema - Backup/Restore"));
    about.show();
    QApplication::processEvents();
    return about.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
