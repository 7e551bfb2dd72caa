#pragma once

// The main console as the other windows see it: the values it holds for all of them, its
// message line and its stop flag. The main window is the one console; the windows of the
// subsystems reach it through here, never through its class.

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace navlor {

class ConsoleWindow
{
public:
    virtual ~ConsoleWindow() = default;
    virtual QString dataDirectory() const = 0;   // LA_DIRNAVLOR
    virtual QString systemDirectory() const = 0; // LA_DIR1, "**" when missing
    virtual QString programPath() const = 0;     // LA_DIRATUAL
    virtual void ADD_MSG(const QString& text) = 0;
    virtual QString messageText() const = 0;
    // The visible text of the message line, its list left as it is.
    virtual void setMessageText(const QString& text) = 0;
    virtual bool stopRequested() const = 0; // CB_PARARBKP
    // What still takes clicks while an archiver batch runs.
    virtual QList<QWidget*> batchControls() const = 0;
};

// The console in use, or null (a window opened without one, as in some tests).
ConsoleWindow* mainConsole();
void setMainConsole(ConsoleWindow* console);
// Each line on the console's message line, when there is a console.
void postToConsole(const QStringList& lines);

// Windows of one subsystem that another one opens: set up by the program, so that no
// subsystem includes another one's windows.
class WindowOpener
{
public:
    virtual ~WindowOpener() = default;
    // "Restaurar Arquivos": the extract window on an archive, modally; `originalRoot` is the
    // drive root the archive's stored paths start from.
    virtual void openExtractWindow(QWidget* parent, const QString& archivePath,
                                   const QString& originalRoot) = 0;
    // The file search window, driven without being shown: every file named `name` in
    // `directory` and below, as it lists them.
    virtual QStringList searchWithWindow(QWidget* parent, const QString& directory,
                                         const QString& name) = 0;
};

// The opener in use, or null.
WindowOpener* windowOpener();
void setWindowOpener(WindowOpener* opener);

} // namespace navlor
