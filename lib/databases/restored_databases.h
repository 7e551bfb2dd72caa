#pragma once

// Firebird databases that a restore wrote: a copy archived while frozen comes back in the
// frozen state and only opens once fixed up (nbackup -F). Only what the restore wrote is
// touched, never a database that was already in the target (a live one may be frozen by a
// backup under way).

#include "lib/platform/platform.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace navlor {

class RestoredDatabases
{
public:
    // Keeps the Firebird databases in `targetDirectory` (and below) as they are now.
    explicit RestoredDatabases(const QString& targetDirectory);
    // Keeps those of `files` that are Firebird databases as they are now: a restore that knows
    // where each entry lands need not walk a whole drive.
    explicit RestoredDatabases(const QStringList& files);

    // Fixes up the databases the restore wrote that are frozen; a line for the message line
    // about each one.
    QStringList fixUpWritten() const;

private:
    QHash<QString, std::optional<ChangeStamp>> scan() const;

    QString m_target;
    QStringList m_files; // when given, these instead of the walk of m_target
    QHash<QString, std::optional<ChangeStamp>> m_before;
};

} // namespace navlor
