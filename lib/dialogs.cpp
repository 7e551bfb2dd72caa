#include "lib/dialogs.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace navlor {

namespace {

// Without a window system: messages go to standard error and every question is cancelled, so
// a run without an operator never waits for one.
class HeadlessDialogs : public Dialogs
{
public:
    void message(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        std::fflush(stderr);
    }
    bool confirm(const QString& text, const QString& = {}) override
    {
        message(text);
        return false;
    }
    QStringList openFiles(const FileDialogRequest&) override { return {}; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    void setBusyCursor(bool) override {}
};

// A box asked for by work on a thread of its own is shown by the window thread, and the work
// waits for the answer there.
class WindowThreadDialogs : public Dialogs
{
public:
    void message(const QString& text) override
    {
        onWindowThread([&] { dialogs().message(text); });
    }
    bool confirm(const QString& text, const QString& caption = {}) override
    {
        bool answer = false;
        onWindowThread([&] { answer = dialogs().confirm(text, caption); });
        return answer;
    }
    QStringList openFiles(const FileDialogRequest& request) override
    {
        QStringList chosen;
        onWindowThread([&] { chosen = dialogs().openFiles(request); });
        return chosen;
    }
    QString browseFolder(const QString& title, const QString& start) override
    {
        QString chosen;
        onWindowThread([&] { chosen = dialogs().browseFolder(title, start); });
        return chosen;
    }
    void setBusyCursor(bool busy) override
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [busy] { dialogs().setBusyCursor(busy); },
            Qt::QueuedConnection);
    }

private:
    template <typename Call> static void onWindowThread(Call call)
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
    }
};

bool onApplicationThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

std::unique_ptr<Dialogs>& current()
{
    static std::unique_ptr<Dialogs> instance;
    return instance;
}

// Process-wide; atomic, so reading them off the window thread is safe.
std::atomic<int> g_unattendedSeconds{0};
std::atomic<int> g_unattendedClosed{0};
std::atomic<bool> g_unattendedAtOnce{false};

} // namespace

int unattendedBoxSeconds()
{
    return g_unattendedSeconds.load();
}

int unattendedBoxesClosed()
{
    return g_unattendedClosed.load();
}

void noteUnattendedBoxClosed()
{
    ++g_unattendedClosed;
}

UnattendedBoxes::UnattendedBoxes(int seconds, bool atOnce)
    : m_previous(g_unattendedSeconds.exchange(std::max(seconds, 0))),
      m_previousAtOnce(g_unattendedAtOnce.exchange(atOnce && seconds > 0))
{
}

UnattendedBoxes::~UnattendedBoxes()
{
    g_unattendedSeconds.store(m_previous);
    g_unattendedAtOnce.store(m_previousAtOnce);
}

bool unattendedBoxesAnswerAtOnce()
{
    return g_unattendedAtOnce.load();
}

Dialogs& dialogs()
{
    if (!onApplicationThread()) {
        static WindowThreadDialogs forwarder;
        return forwarder;
    }
    auto& instance = current();
    if (!instance)
        instance = std::make_unique<HeadlessDialogs>();
    return *instance;
}

std::unique_ptr<Dialogs> setDialogs(std::unique_ptr<Dialogs> replacement)
{
    std::unique_ptr<Dialogs> previous = std::move(current());
    current() = std::move(replacement);
    return previous;
}

void processMessages()
{
    // Work on a thread of its own has no window to keep alive.
    if (QCoreApplication::instance() && onApplicationThread())
        QCoreApplication::processEvents();
}

} // namespace navlor
