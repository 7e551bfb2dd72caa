#include "app/console_app.h"

#include <QApplication>
#include <QIcon>

namespace navlor {

void applyProgramIcon()
{
    QIcon icon;
    for (const char* size : {"48", "128"})
        icon.addFile(QStringLiteral(":/pictures/navlor_icon_%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
}

} // namespace navlor
