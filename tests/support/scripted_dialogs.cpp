#include "tests/support/scripted_dialogs.h"

#include <QWidget>

namespace navlor::test {

void ScriptedDialogs::message(const QString& text)
{
    messages << text;
    messageSeconds << unattendedBoxSeconds();
    if (unattendedBoxSeconds() > 0)
        noteUnattendedBoxClosed();
}

bool ScriptedDialogs::confirm(const QString& text, const QString& caption)
{
    confirmations << text;
    confirmCaptions << caption;
    confirmSeconds << unattendedBoxSeconds();
    if (confirmAnswers.empty()) {
        if (unattendedBoxSeconds() <= 0)
            return true;
        noteUnattendedBoxClosed();
        return false;
    }
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

QStringList ScriptedDialogs::openFiles(const FileDialogRequest& request)
{
    fileRequests << request;
    if (fileAnswers.empty())
        return {};
    QStringList answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::browseFolder(const QString& title, const QString& start)
{
    Q_UNUSED(start);
    folderTitles << title;
    if (folderAnswers.empty())
        return {};
    QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

int ScriptedDialogs::showModal(QWidget* window)
{
    modalWindows << (window ? window->objectName() : QString());
    return onShowModal ? onShowModal(window) : 0;
}

void ScriptedDialogs::setBusyCursor(bool busy)
{
    busyDepth += busy ? 1 : -1;
}

ScopedDialogs::ScopedDialogs() : m_dialogs(new ScriptedDialogs)
{
    m_previous = setDialogs(std::unique_ptr<Dialogs>(m_dialogs));
}

ScopedDialogs::~ScopedDialogs()
{
    setDialogs(std::move(m_previous));
}

} // namespace navlor::test
