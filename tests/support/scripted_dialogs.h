#pragma once

#include "lib/widgets/window_dialogs.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace navlor::test {

// Answers every modal interaction from queues and records what the operator would have seen.
class ScriptedDialogs : public WindowDialogs
{
public:
    void message(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = {}) override;
    QStringList openFiles(const FileDialogRequest& request) override;
    QString browseFolder(const QString& title, const QString& start) override;
    int showModal(QWidget* window) override;
    void setBusyCursor(bool busy) override;

    // Next answers; when a queue is empty: OK is pressed, dialogs are cancelled, modal
    // windows are closed with 0. Under UnattendedBoxes an empty queue is nobody there: the
    // question is cancelled and, as with the real boxes, each box counts as closed by itself.
    std::deque<bool> confirmAnswers;
    std::deque<QStringList> fileAnswers;
    std::deque<QString> folderAnswers;
    // Runs while a window is "shown modally"; its return value is the window's result.
    std::function<int(QWidget*)> onShowModal;

    QStringList messages;        // texts of the OK boxes, in order
    QStringList confirmations;   // texts of the OK/Cancel boxes, in order
    QStringList confirmCaptions; // their captions (empty: the program's name)
    // unattendedBoxSeconds() when each box was shown; 0: it waited for the operator.
    QList<int> messageSeconds;
    QList<int> confirmSeconds;
    QList<FileDialogRequest> fileRequests;
    QStringList folderTitles;
    QStringList modalWindows; // objectName of every window shown modally
    int busyDepth = 0;
};

// Installs a ScriptedDialogs for the lifetime of the object and restores the previous seam.
class ScopedDialogs
{
public:
    ScopedDialogs();
    ~ScopedDialogs();
    ScriptedDialogs* operator->() { return m_dialogs; }
    ScriptedDialogs& operator*() { return *m_dialogs; }

private:
    ScriptedDialogs* m_dialogs;
    std::unique_ptr<Dialogs> m_previous;
};

} // namespace navlor::test
