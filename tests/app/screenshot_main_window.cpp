// Saves a picture of the main window as the operator sees it after a start with "/N".
#include "app/main_window.h"
#include "lib/widgets/helper_window.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_screenshot OUTPUT.png\n");
        return 2;
    }
    navlor::TF_NAVLOR window({QStringLiteral("/N")});
    navlor::TF_GBF helper;
    window.show();
    window.ADD_MSG(QStringLiteral("Deletando arquivos *.LCK = 3"));
    window.ADD_MSG(QStringLiteral("CONCLUIDO"));
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
