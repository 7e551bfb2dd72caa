#include "lib/dialogs.h"

#include <QCoreApplication>

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
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace navlor
