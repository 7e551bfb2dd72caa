#include "backup/window_console.h"

#include "backup/backup_pass.h"
#include "backup/backup_window.h"
#include "lib/dialogs.h"
#include "lib/platform/platform.h"
#include "lib/widgets/console_window.h"
#include "lib/widgets/input_gate.h"
#include "lib/widgets/window_helpers.h"

namespace navlor {

namespace {

// The console as the backup window sees it: the main window's controls, and the file search
// window driven without being shown.
class WindowConsole final : public BackupConsole
{
public:
    explicit WindowConsole(TF_BKPA& window) : m_window(window) {}

    QString dataDirectory() override
    {
        return mainConsole() ? mainConsole()->dataDirectory() : QString();
    }
    QString systemDirectory() override
    {
        return mainConsole() ? mainConsole()->systemDirectory() : QStringLiteral("**");
    }
    QString programPath() override
    {
        return mainConsole() ? mainConsole()->programPath() : platform().programPath();
    }
    void ADD_MSG(const QString& text) override
    {
        m_last = text;
        if (mainConsole())
            mainConsole()->ADD_MSG(text);
        m_window.showStatus(messageText());
    }
    QString messageText() override { return mainConsole() ? mainConsole()->messageText() : m_last; }
    bool stopRequested() override { return mainConsole() && mainConsole()->stopRequested(); }
    QStringList searchFiles(const QString& directory, const QString& name) override
    {
        // Without the file search window the archiver is not looked for any further.
        WindowOpener* opener = windowOpener();
        return opener ? opener->searchWithWindow(&m_window, directory, name) : QStringList();
    }
    void jobChanged(const BackupJob& job) override { m_window.showJob(job); }
    void passPosition(int index, int count) override
    {
        m_index = index;
        m_count = count;
    }
    // The window shows how the batch is getting on. A run of "Executar" takes
    // only "Cancelar" (the window is modal and its other controls are off); any other run lets
    // only "Parar BKP Aut" and "Sair" through, as the start-up pass does, and they take effect
    // between jobs.
    std::function<void()> batchWaiter(const QString& number, const QString& archivePath) override
    {
        const bool own = m_window.ownRunGoing();
        if (!own && !mainConsole())
            return {};
        std::shared_ptr<InputGate> gate;
        if (!own)
            gate = std::make_shared<InputGate>(mainConsole()->batchControls());
        TF_BKPA* window = &m_window;
        return batchProgressWaiter(
            number, m_index, m_count, archivePath, {},
            [window](const QString& text) {
                if (mainConsole())
                    mainConsole()->setMessageText(text);
                window->showStatus(text);
            },
            std::move(gate));
    }

private:
    TF_BKPA& m_window;
    QString m_last;
    int m_index = 1;
    int m_count = 1;
};
} // namespace

std::unique_ptr<BackupConsole> makeWindowConsole(TF_BKPA& window)
{
    return std::make_unique<WindowConsole>(window);
}

} // namespace navlor
