#pragma once

// The registry of the hosted machine: one file per root in the prefix (user.reg.ini for
// HKEY_CURRENT_USER, system.reg.ini for HKEY_LOCAL_MACHINE), string values only. Key and value
// names compare without regard to case, as in Windows; every change rewrites the file whole
// and atomically.

#include "lib/platform/platform.h"

#include <QList>
#include <QString>

#include <optional>

namespace navlor {

// "\Software\X\" -> "Software\X": the form keys are stored and compared in.
QString normalizedRegistryKey(const QString& key);

class IniRegistry
{
public:
    explicit IniRegistry(const QString& prefixRoot);

    QString filePath(RegRoot root) const;

    bool openKey(RegRoot root, const QString& key, bool create);
    std::optional<QString> read(RegRoot root, const QString& key, const QString& name) const;
    bool write(RegRoot root, const QString& key, const QString& name, const QString& data);
    bool remove(RegRoot root, const QString& key, const QString& name);
    bool exists(RegRoot root, const QString& key, const QString& name) const;

private:
    QString m_prefixRoot;
};

} // namespace navlor
