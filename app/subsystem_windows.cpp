#include "app/subsystem_windows.h"

#include "archive/extract_window.h"
#include "lib/platform/clock.h"
#include "lib/platform/platform.h"
#include "tools/file_search_window.h"

namespace navlor {

namespace {

class SubsystemWindows final : public WindowOpener
{
public:
    void openExtractWindow(QWidget* parent, const QString& archivePath,
                           const QString& originalRoot) override
    {
        navlor::openExtractWindow(parent, archivePath, originalRoot);
    }

    QStringList searchWithWindow(QWidget* parent, const QString& directory,
                                 const QString& name) override
    {
        TF_PESQARQ search(parent);
        search.setDirectory(directory);
        search.setMask(name);
        search.BU_LOCALIZARClick();
        // The count stays "00" until the search has listed something.
        for (int round = 0; round < 20 && search.countText() == QLatin1String("00"); ++round)
            platform().clock().sleep(20);
        return search.entries();
    }
};

} // namespace

std::unique_ptr<WindowOpener> makeSubsystemWindows()
{
    return std::make_unique<SubsystemWindows>();
}

} // namespace navlor
