#pragma once

// What an archiver that was killed leaves in a destination: its temporary archive
// "ARJTEMP.$nn", or the stand-in's private work directory "ARJTEMP-xxxxxx" with everything
// in it. Left there, each one keeps hundreds of megabytes for good and pushes the next run
// on to another name.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace navlor {

// Removes the leftovers in `destination` last changed before `before` (no pass can own those
// any more), and any link named like one, which no archiver makes. The paths removed.
QStringList removeArchiverLeftovers(const QString& destination, const QDateTime& before);

} // namespace navlor
