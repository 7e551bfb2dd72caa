#pragma once

// Database tools that keep the frozen state in memory and fail on request, installed for the
// lifetime of the object.

#include "lib/databases/database_tools.h"

#include <QSet>
#include <QStringList>

namespace navlor::test {

class FakeDatabaseTools : public DatabaseTools
{
public:
    FirebirdState firebirdState(const QString& host) override
    {
        if (old.contains(host.section(u'/', -1)))
            return FirebirdState::OldFormat;
        return frozen.contains(host) ? FirebirdState::Frozen : FirebirdState::Normal;
    }
    DatabaseOutcome freezeFirebird(const QString& host) override
    {
        calls << QStringLiteral("freeze ") + host.section(u'/', -1);
        if (refuseFreeze)
            return {false, QStringLiteral("servidor Firebird indisponível")};
        frozen.insert(host);
        return {true, {}};
    }
    DatabaseOutcome thawFirebird(const QString& host) override
    {
        calls << QStringLiteral("thaw ") + host.section(u'/', -1);
        if (refuseThaw)
            return {false, QStringLiteral("recusado")};
        frozen.remove(host);
        return {true, {}};
    }
    DatabaseOutcome fixUpFirebird(const QString& host) override
    {
        calls << QStringLiteral("fixup ") + host.section(u'/', -1);
        frozen.remove(host);
        return {true, {}};
    }
    DatabaseOutcome validateFirebird(const QString& host) override
    {
        calls << QStringLiteral("validate ") + host.section(u'/', -1);
        return {!broken.contains(host.section(u'/', -1)), QStringLiteral("página corrompida")};
    }
    DatabaseOutcome checkParadoxTable(const QString& host) override
    {
        calls << QStringLiteral("table ") + host.section(u'/', -1);
        return {!broken.contains(host.section(u'/', -1)), QStringLiteral("contagem")};
    }

    QSet<QString> frozen; // host paths
    QSet<QString> broken; // file names that do not open
    QSet<QString> old;    // file names of an old on-disk format
    bool refuseFreeze = false;
    bool refuseThaw = false;
    QStringList calls; // "freeze NAME", "thaw NAME"...
};

// Installs `tools` as the database tools while it lives.
class InstalledTools
{
public:
    explicit InstalledTools(std::unique_ptr<DatabaseTools> tools)
        : m_previous(setDatabaseTools(std::move(tools)))
    {
    }
    ~InstalledTools() { setDatabaseTools(std::move(m_previous)); }

private:
    std::unique_ptr<DatabaseTools> m_previous;
};

} // namespace navlor::test
