#include "lib/widgets/qt_dialogs.h"

#include "lib/widgets/windows_file_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace navlor {

namespace {

// Message texts break lines with a lone carriage return; Qt breaks them on line feeds.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

QString boxTitle()
{
    return QGuiApplication::applicationDisplayName();
}

// Ends a nested loop when a plain window (not a QDialog) is closed or hidden.
class CloseWatcher : public QObject
{
public:
    explicit CloseWatcher(QEventLoop* loop) : m_loop(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            m_loop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop* m_loop;
};

// Runs the box; during the unattended pass it counts down in its informative text and at
// zero presses `timeoutAnswer` itself, so nobody's absence stops the pass.
int execBox(QMessageBox& box, QMessageBox::StandardButton timeoutAnswer, const QString& countdown)
{
    int remaining = unattendedBoxSeconds();
    if (remaining <= 0)
        return box.exec();
    if (unattendedBoxesAnswerAtOnce()) {
        noteUnattendedBoxClosed();
        return timeoutAnswer;
    }
    bool timedOut = false;
    box.setInformativeText(countdown.arg(remaining));
    QTimer tick(&box);
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, &box, [&] {
        if (--remaining > 0) {
            box.setInformativeText(countdown.arg(remaining));
            return;
        }
        tick.stop();
        timedOut = true;
        // Pressing the button goes the way an operator's click goes.
        if (QAbstractButton* button = box.button(timeoutAnswer))
            button->click();
        else
            box.done(timeoutAnswer);
    });
    tick.start();
    const int result = box.exec();
    if (timedOut)
        noteUnattendedBoxClosed();
    return result;
}

} // namespace

QStringList qtNameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks;
        for (const QString& mask : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = mask.trimmed();
            masks << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (masks.isEmpty())
            masks << QStringLiteral("*");
        // Qt reads the masks from the last parentheses of the entry.
        result << parts[i].trimmed() + QLatin1String(" (") + masks.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, boxTitle(), displayText(text), QMessageBox::Ok,
                    dialogParent());
    execBox(box, QMessageBox::Ok, QStringLiteral("Esta mensagem fecha sozinha em %1 s."));
}

bool QtDialogs::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? boxTitle() : caption,
                    displayText(text), QMessageBox::Ok | QMessageBox::Cancel, dialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    return execBox(box, QMessageBox::Cancel,
                   QStringLiteral("Sem resposta, esta pergunta é cancelada em %1 s.")) ==
           QMessageBox::Ok;
}

QStringList QtDialogs::openFiles(const FileDialogRequest& request)
{
    WindowsFileDialog dialog(dialogParent(), request.title,
                             request.multiSelect ? QFileDialog::ExistingFiles
                                                 : QFileDialog::ExistingFile);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index = std::clamp<qsizetype>(request.filterIndex, 1, filters.size());
        dialog.selectNameFilter(filters[index - 1]);
    }
    dialog.openAt(request.directory);
    // A wildcard name only filters, as in the Windows dialog; Qt would take it as a name.
    if (!request.fileName.isEmpty() && !request.fileName.contains(u'*') &&
        !request.fileName.contains(u'?'))
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedWindowsPaths();
}

QString QtDialogs::browseFolder(const QString& title, const QString& start)
{
    WindowsFileDialog dialog(dialogParent(), title, QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.openAt(start);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedWindowsPaths().value(0);
}

int QtDialogs::showModal(QWidget* window)
{
    if (!window)
        return QDialog::Rejected;
    if (auto* dialog = qobject_cast<QDialog*>(window))
        return dialog->exec();
    // A plain window: modal to the whole application until it closes.
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    CloseWatcher watcher(&loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    loop.exec(QEventLoop::DialogExec);
    if (guard)
        guard->removeEventFilter(&watcher);
    return QDialog::Rejected;
}

void QtDialogs::setBusyCursor(bool busy)
{
    if (busy) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QGuiApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

} // namespace navlor
