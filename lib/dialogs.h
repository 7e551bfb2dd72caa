#pragma once

// Every modal interaction with the operator goes through this seam, so tests can script the
// answers and read what was shown, and no test ever waits on a modal window.

#include <QString>
#include <QStringList>

#include <memory>

namespace navlor {

struct FileDialogRequest
{
    QString title;
    QString directory;   // Windows path; empty: no start directory
    QString filter;      // "Todos Arquivos|*.*|..." pairs of caption and mask
    int filterIndex = 1; // 1-based, as the filter pairs are counted
    bool multiSelect = false;
    QString fileName; // the name the dialog offers at first ("*.*" also filters)
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // A modal box with one OK button.
    virtual void message(const QString& text) = 0;
    // A modal box with OK and Cancel; true for OK. `caption` empty: the program's name.
    virtual bool confirm(const QString& text, const QString& caption = {}) = 0;
    // The chosen files as Windows paths; empty when cancelled.
    virtual QStringList openFiles(const FileDialogRequest& request) = 0;
    // The folder browser; the chosen directory as a Windows path, or empty when cancelled.
    virtual QString browseFolder(const QString& title, const QString& start) = 0;
    // Windows are the widgets layer's: showModal() is in lib/widgets/window_dialogs.h.
    // The hourglass while the console works without handling messages.
    virtual void setBusyCursor(bool busy) = 0;
};

// The seam in use: the program installs the one over Qt's widgets; until then a headless
// one answers (messages to standard error, every question cancelled).
Dialogs& dialogs();
std::unique_ptr<Dialogs> setDialogs(std::unique_ptr<Dialogs> replacement);

// The hourglass for a scope, so an error in the middle of a step never leaves it behind.
class BusyCursor
{
public:
    BusyCursor() { dialogs().setBusyCursor(true); }
    ~BusyCursor() { dialogs().setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Seconds after which a box closes by itself; 0: it waits for the operator (the default).
int unattendedBoxSeconds();
// How many boxes closed themselves since start, so a caller can log that one went unanswered.
int unattendedBoxesClosed();
// Called by a seam whose box closed itself for want of an answer.
void noteUnattendedBoxClosed();

inline constexpr int kUnattendedBoxSeconds = 60;

// For the scope of the unattended pass every box closes itself after `seconds`, with the
// answer that ends the job without loss (OK for a message, Cancel for a question). The
// previous value comes back at the end of the scope, so guards nest.
// With `atOnce` (no display: the service) a box is answered at once, as it would be at the end
// of its wait, since nobody can ever see it.
class UnattendedBoxes
{
public:
    explicit UnattendedBoxes(int seconds = kUnattendedBoxSeconds, bool atOnce = false);
    ~UnattendedBoxes();
    UnattendedBoxes(const UnattendedBoxes&) = delete;
    UnattendedBoxes& operator=(const UnattendedBoxes&) = delete;

private:
    int m_previous;
    bool m_previousAtOnce;
};

// Whether boxes of the unattended pass are answered without being shown.
bool unattendedBoxesAnswerAtOnce();

// Lets the application handle its pending window messages ("Application.ProcessMessages").
// Windows only: the core never pumps, and off the window thread this does nothing.
void processMessages();

} // namespace navlor
