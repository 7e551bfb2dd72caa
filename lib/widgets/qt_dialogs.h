#pragma once

// The dialogs seam over Qt's widgets: what the operator really sees.

#include "lib/widgets/window_dialogs.h"

#include <QStringList>

namespace navlor {

class QtDialogs : public WindowDialogs
{
public:
    void message(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = {}) override;
    QStringList openFiles(const FileDialogRequest& request) override;
    QString browseFolder(const QString& title, const QString& start) override;
    int showModal(QWidget* window) override;
    void setBusyCursor(bool busy) override;

private:
    int m_busyDepth = 0;
};

// Qt name filters of a "caption|mask;mask|caption|mask" filter text; "*.*" matches every
// name, as it does on Windows.
QStringList qtNameFilters(const QString& filter);

} // namespace navlor
