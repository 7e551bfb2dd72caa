#include "tools/extension_filter.h"

#include <algorithm>

namespace navlor {

namespace {

// The extension list holds as many entries as the shared field table.
constexpr qsizetype kMaxExtensions = 190;

} // namespace

QString upperExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype separator = std::max(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u':'));
    if (dot < 0 || dot < separator)
        return {};
    return fileName.mid(dot).toUpper();
}

QString extensionFilter(const QStringList& fileNames)
{
    QString accumulated;
    for (const QString& name : fileNames) {
        const QString extension = upperExtension(name);
        if (!extension.isEmpty() && !accumulated.contains(extension))
            accumulated += extension;
    }

    QString filter = QStringLiteral("Todos arquivos (*.*)|*.*|");
    const QStringList extensions = accumulated.mid(1).trimmed().split(u'.', Qt::SkipEmptyParts);
    for (const QString& extension : extensions.first(std::min(extensions.size(), kMaxExtensions)))
        filter +=
            QStringLiteral("Arquivos (*.") + extension + QStringLiteral(")|*.") + extension + u'|';
    return filter;
}

QList<FilterItem> filterItems(const QString& filter)
{
    QList<FilterItem> items;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i + 1].isEmpty())
            items.append({parts[i], parts[i + 1]});
    }
    return items;
}

} // namespace navlor
