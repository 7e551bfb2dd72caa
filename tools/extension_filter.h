#pragma once

// The filter list of the directory browser offers all files and then one entry per extension
// of the files shown, so the operator can narrow the list to the tables of one kind.

#include <QList>
#include <QString>
#include <QStringList>

namespace navlor {

// "Todos arquivos (*.*)|*.*|" followed by "Arquivos (*.E)|*.E|" for each extension E of the
// names, in capitals, in order of first appearance. An extension is left out when its text
// already occurs in an earlier one (.DB after .DBF), as the filter was always made.
QString extensionFilter(const QStringList& fileNames);

// The extension of a name with its leading dot, in capitals ("" when it has none).
QString upperExtension(const QString& fileName);

struct FilterItem
{
    QString caption;
    QString mask;
};

// The caption and mask pairs of a "caption|mask|caption|mask|" filter text; a caption without
// a mask is left out.
QList<FilterItem> filterItems(const QString& filter);

} // namespace navlor
