#pragma once

// The files an "A" or "M" line archives, found as ARJ on Windows finds them: masks without
// regard to case, "*.*" for every name, "-R" for every mask in every subdirectory, hidden
// and system files left out, links to directories never followed.

#include "compat/arj/arj_names.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace navlor {
class Platform;
}

namespace navlor::arj {

struct SelectedFile
{
    QString windowsPath;
    QString hostPath;
    QByteArray stored; // relative to the drive root, "/" separators: "DADOS/A.DB"
    QChar drive;       // upper case
};

struct Selection
{
    QList<SelectedFile> files; // each file once, in the order found
    QStringList unmatched;     // patterns that found nothing, as ARJ names them
    QStringList unstorable;    // names an archive cannot hold ("*", "?", "\" in a name)
};

struct SelectionRequest
{
    QList<NamePattern> patterns;
    bool recurse = false;
    const Exclusions* exclusions = nullptr;
    QString archiveHostPath; // never archived into itself
};

Selection selectFiles(Platform& platform, const SelectionRequest& request);

} // namespace navlor::arj
