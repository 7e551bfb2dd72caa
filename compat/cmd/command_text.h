#pragma once

// Small text helpers the interpreter's commands share.

#include <QString>

#include <algorithm>

namespace navlor::cmd {

// The last part of a Windows path: after the last "\", "/" or drive colon.
inline QString fileNameOf(const QString& path)
{
    const qsizetype cut =
        std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

inline QString unquoted(QString text)
{
    text.remove(u'"');
    return text;
}

// "D:" alone, a change of the current drive.
inline bool isDriveChange(const QString& word)
{
    return word.size() == 2 && word.at(1) == u':' && word.at(0).isLetter() &&
           word.at(0).unicode() < 128;
}

} // namespace navlor::cmd
