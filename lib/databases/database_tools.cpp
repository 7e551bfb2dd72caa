#include "lib/databases/database_tools.h"

#include "lib/databases/firebird_tools.h"
#include "lib/databases/paradox_table.h"

#include <QFileInfo>

#include <utility>

namespace navlor {

namespace {

// The server knows a database by the path it was opened with, and Firebird reads "x:" in a
// path as a host name: links (a drive of the prefix, "dosdevices/c:") are resolved so that
// every caller names the same file by a plain path.
QString canonical(const QString& hostPath)
{
    const QString resolved = QFileInfo(hostPath).canonicalFilePath();
    return resolved.isEmpty() ? hostPath : resolved;
}

class HostDatabaseTools : public DatabaseTools
{
public:
    FirebirdState firebirdState(const QString& hostPath) override
    {
        return readFirebirdState(canonical(hostPath));
    }
    DatabaseOutcome freezeFirebird(const QString& hostPath) override
    {
        return m_firebird.freeze(canonical(hostPath));
    }
    DatabaseOutcome thawFirebird(const QString& hostPath) override
    {
        return m_firebird.thaw(canonical(hostPath));
    }
    DatabaseOutcome fixUpFirebird(const QString& hostPath) override
    {
        return m_firebird.fixUp(canonical(hostPath));
    }
    DatabaseOutcome validateFirebird(const QString& hostPath) override
    {
        return m_firebird.validate(canonical(hostPath));
    }
    DatabaseOutcome checkParadoxTable(const QString& hostPath) override
    {
        return checkParadoxTableFile(hostPath);
    }

private:
    FirebirdTools m_firebird;
};

std::unique_ptr<DatabaseTools>& installed()
{
    static std::unique_ptr<DatabaseTools> tools;
    return tools;
}

} // namespace

DatabaseTools& databaseTools()
{
    std::unique_ptr<DatabaseTools>& tools = installed();
    if (!tools)
        tools = createHostDatabaseTools();
    return *tools;
}

std::unique_ptr<DatabaseTools> setDatabaseTools(std::unique_ptr<DatabaseTools> replacement)
{
    return std::exchange(installed(), std::move(replacement));
}

std::unique_ptr<DatabaseTools> createHostDatabaseTools()
{
    return std::make_unique<HostDatabaseTools>();
}

} // namespace navlor
