// Saves a picture of the console parameters dialog with a few options chosen.
#include "app/console_params_dialog.h"
#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_params_screenshot OUTPUT.png\n");
        return 2;
    }
    navlor::TF_NAVLOR window({QStringLiteral("/N")});
    navlor::TF_NAVLOR_P dialog(&window);
    for (const char* name : {"CB_EXCLUILCK", "CB_EXCLUIQSQ", "CB_EXCLUINET"})
        dialog.findChild<QCheckBox*>(name)->setChecked(true);
    dialog.findChild<QComboBox*>("E_XP")->setEditText(QStringLiteral("-HF2"));
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
