#pragma once

// Internal to ArjTool: what its files (arj_tool.cpp, arj_add.cpp, arj_extract.cpp) share.

#include "compat/arj/arj_names.h"

#include <QByteArray>
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
    // A list of stored names, one a line as arj reads them; empty when it cannot be written.
    QString write(const QList<QByteArray>& storedNames)
    {
        if (!m_dir)
            m_dir.emplace();
        const QString path = m_dir->filePath(QStringLiteral("list%1.txt").arg(++m_count));
        QFile file(path);
        if (!m_dir->isValid() || !file.open(QIODevice::WriteOnly))
            return {};
        QByteArray text;
        for (const QByteArray& name : storedNames)
            text += listFileLine(name) + '\n';
        if (file.write(text) != text.size())
            return {};
        return path;
    }

private:
    std::optional<QTemporaryDir> m_dir;
    int m_count = 0;
};

inline QString hostDirectoryOf(const QString& hostPath)
{
    return hostPath.left(std::max<qsizetype>(hostPath.lastIndexOf(u'/'), 0));
}

} // namespace navlor::arj
