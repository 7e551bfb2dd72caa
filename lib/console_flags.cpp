#include "lib/console_flags.h"

#include "lib/param_store.h"
#include "lib/text_utils.h"

#include <algorithm>

namespace navlor {

namespace {

QChar flagAt(const QString& flags, int position)
{
    return consoleFlagsText(flags).at(position - 1);
}

bool isYes(const QString& flags, int position)
{
    return flagAt(flags, position) == u'S';
}

bool isYesOrBlank(const QString& flags, int position)
{
    const QChar flag = flagAt(flags, position);
    return flag == u'S' || flag == u' ';
}

QChar yesNo(bool set)
{
    return set ? u'S' : u'N';
}

} // namespace

ConsoleFlags ConsoleFlags::forStartup(const QString& flags)
{
    ConsoleFlags result = asStored(flags);
    result.deleteNetFile = isYesOrBlank(flags, 5);
    result.startNetlog = isYesOrBlank(flags, 6);
    return result;
}

ConsoleFlags ConsoleFlags::asStored(const QString& flags)
{
    ConsoleFlags result;
    result.deleteLockFiles = isYes(flags, 1);
    result.deleteQueryTables = isYes(flags, 2);
    result.closeWhenDone = flagAt(flags, 3) != u'N';
    result.deleteNetFile = isYes(flags, 5);
    result.startNetlog = isYes(flags, 6);
    return result;
}

QString ConsoleFlags::text() const
{
    QString flags = BRANCOS(kConsoleFlagsWidth);
    flags[0] = yesNo(deleteLockFiles);
    flags[1] = yesNo(deleteQueryTables);
    flags[2] = yesNo(closeWhenDone);
    flags[4] = yesNo(deleteNetFile);
    flags[5] = yesNo(startNetlog);
    return flags;
}

QString consoleFlagsText(const QString& line)
{
    return COMPLETA_BRANCOS(line, kConsoleFlagsWidth);
}

QString consoleParamFile(const QString& dataDirectory)
{
    return dataDirectory + QStringLiteral("\\NAV_LOR");
}

QString consoleParamLine(const QString& dataDirectory, int line)
{
    const std::optional<ParamFile> file = readParamFile(consoleParamFile(dataDirectory));
    return file ? (*file)[line] : QString();
}

QString readConsoleFlags(const QString& dataDirectory)
{
    return consoleFlagsText(consoleParamLine(dataDirectory, kConsoleFlagsLine));
}

std::optional<QString> validArchiverOption(const QString& line)
{
    const QString option = line.trimmed().toUpper();
    if (option.isEmpty() || option == QLatin1String("-HF2") || option == QLatin1String("-HF1"))
        return option;
    return std::nullopt;
}

int archiverCeilingSeconds(const QString& line)
{
    bool ok = false;
    const int minutes = line.trimmed().toInt(&ok);
    // A week at most, which keeps the seconds in range.
    constexpr int kMaxMinutes = 7 * 24 * 60;
    if (!ok || minutes <= 0)
        return kDefaultArchiverCeilingMinutes * 60;
    return std::min(minutes, kMaxMinutes) * 60;
}

bool testRestoreWanted(const QString& line)
{
    return line.trimmed().compare(QLatin1String("N"), Qt::CaseInsensitive) != 0;
}

} // namespace navlor
