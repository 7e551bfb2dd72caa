#include "lib/databases/restored_databases.h"

#include "lib/databases/database_tools.h"
#include "lib/windows_path.h"

#include <vector>

namespace navlor {

namespace {

bool isFirebird(const QString& name)
{
    return name.endsWith(QLatin1String(".FDB"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".GDB"), Qt::CaseInsensitive);
}

} // namespace

RestoredDatabases::RestoredDatabases(const QString& targetDirectory)
    : m_target(targetDirectory), m_before(scan())
{
}

RestoredDatabases::RestoredDatabases(const QStringList& files)
{
    for (const QString& file : files) {
        if (isFirebird(file))
            m_files << file;
    }
    m_before = scan();
}

QHash<QString, std::optional<ChangeStamp>> RestoredDatabases::scan() const
{
    QHash<QString, std::optional<ChangeStamp>> found;
    Platform& p = platform();
    if (!m_files.isEmpty()) {
        for (const QString& file : m_files) {
            if (p.fileExists(file))
                found.insert(file, p.changeStamp(file));
        }
        return found;
    }
    if (m_target.isEmpty() || !p.directoryExists(m_target))
        return found;
    std::vector<QString> pending{m_target};
    while (!pending.empty()) {
        const QString directory = std::move(pending.back());
        pending.pop_back();
        for (const DirEntry& e :
             p.findFileKinds(appendWindowsPath(directory, QStringLiteral("*")))) {
            const QString path = appendWindowsPath(directory, e.name);
            if (e.directory)
                pending.push_back(path);
            else if (isFirebird(e.name))
                found.insert(path, p.changeStamp(path));
        }
    }
    return found;
}

QStringList RestoredDatabases::fixUpWritten() const
{
    QStringList lines;
    Platform& p = platform();
    DatabaseTools& tools = databaseTools();
    const QHash<QString, std::optional<ChangeStamp>> after = scan();
    for (auto it = after.constBegin(); it != after.constEnd(); ++it) {
        const auto before = m_before.constFind(it.key());
        if (before != m_before.constEnd() && *before == it.value())
            continue; // not written by the restore
        const QString host = p.toHostPath(it.key());
        if (host.isEmpty() || tools.firebirdState(host) != FirebirdState::Frozen)
            continue;
        const DatabaseOutcome fixed = tools.fixUpFirebird(host);
        lines << (fixed.ok
                      ? QStringLiteral("Banco Firebird restaurado preparado para uso: ") + it.key()
                      : QStringLiteral("ERRO - banco Firebird restaurado não preparado: ") +
                            it.key() + QStringLiteral(" (") + fixed.reason + u')');
    }
    lines.sort();
    return lines;
}

} // namespace navlor
