#pragma once

// Internal to ArjTool: what its files (arj_tool.cpp, arj_add.cpp, arj_extract.cpp) share.

#include "compat/arj/arj_names.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace navlor::arj {

// Every run: no progress indicator, whose percentages would fill a redirected output.
inline const QString kNoIndicator = QStringLiteral("-i");

// One list file per run, beside the others in a private temporary directory, made when the
// first list is written.
class ListFiles
{
public:
    // The lists go into `directory` instead, which its owner removes.
    void placeIn(const QString& directory) { m_placed = directory; }

    // A list of stored names, one a line as arj reads them; empty when it cannot be written.
    QString write(const QList<QByteArray>& storedNames)
    {
        if (m_placed.isEmpty() && !m_dir)
            m_dir.emplace();
        const QString directory = m_placed.isEmpty() ? m_dir->path() : m_placed;
        if ((m_placed.isEmpty() && !m_dir->isValid()) || !QDir().mkpath(directory))
            return {};
        QFile file(directory + QStringLiteral("/list%1.txt").arg(++m_count));
        // Never over a file already there, such as an archive linked in beside it.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return {};
        QByteArray text;
        for (const QByteArray& name : storedNames)
            text += listFileLine(name) + '\n';
        if (file.write(text) != text.size())
            return {};
        return file.fileName();
    }

private:
    QString m_placed;
    std::optional<QTemporaryDir> m_dir;
    int m_count = 0;
};

inline QString hostDirectoryOf(const QString& hostPath)
{
    return hostPath.left(std::max<qsizetype>(hostPath.lastIndexOf(u'/'), 0));
}

} // namespace navlor::arj
