#include "lib/console_state.h"

#include "lib/platform/platform.h"
#include "lib/system_info.h"
#include "lib/text_utils.h"

namespace navlor {

QString systemDirectoryOf(const QString& programPath)
{
    const QString candidate = programPath.left(1) + QStringLiteral(":\\VALDOROW");
    return platform().directoryExists(candidate) ? candidate : QStringLiteral("**");
}

ConsoleState discoverConsoleState()
{
    Platform& p = platform();
    ConsoleState state;
    state.programPath = upperEach(p.programPath());
    state.windowsDirectory = DIR_WINDOWS();
    state.systemDirectory = systemDirectoryOf(state.programPath);
    const QString windowsDrive = state.windowsDirectory.left(2);
    state.dataDirectory = windowsDrive + QStringLiteral("\\VALDORO\\NAVLOR");
    if (!p.directoryExists(state.dataDirectory)) {
        state.dataDirectory = windowsDrive + QStringLiteral("\\NAVLOR");
        if (!p.directoryExists(state.dataDirectory))
            (void)p.createDirectory(state.dataDirectory); // a failure shows when reading
    }
    p.removeInterruptedWrites(state.dataDirectory);
    return state;
}

QString installationMissingText(const ConsoleState& state)
{
    const QString hint = platform().installationHint();
    return QStringLiteral("Instalação não encontrada em ") + state.programPath.left(1) +
           QStringLiteral(":\\VALDOROW") +
           (hint.isEmpty() ? QString() : QStringLiteral(" - ") + hint);
}

} // namespace navlor
