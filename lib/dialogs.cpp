#include "lib/dialogs.h"

#include <QCoreApplication>

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
    int showModal(QWidget*) override { return 0; }
    void setBusyCursor(bool) override {}
};

std::unique_ptr<Dialogs>& current()
{
    static std::unique_ptr<Dialogs> instance;
    return instance;
}

} // namespace

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
