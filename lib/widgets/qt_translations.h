#pragma once

// Qt's own texts (the buttons and labels of the standard dialogs) in Portuguese, as the rest
// of the program speaks.

class QCoreApplication;
class QTranslator;

namespace navlor {

// Loads Qt's Brazilian-Portuguese translations into `app`; null when they are not installed
// (the standard dialogs then speak English). The translator belongs to `app`.
QTranslator* installQtTranslations(QCoreApplication& app);

} // namespace navlor
