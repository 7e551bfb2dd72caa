#include "compat/arj/stored_names.h"

#include <QFile>

#include <climits>
#include <cstdlib>

#include <sys/stat.h>

namespace navlor::arj {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// "..", "...", ". ." and the like: the parent, or nothing, to Windows.
bool onlyDots(const QString& component)
{
    qsizetype dots = 0;
    for (const QChar c : component) {
        if (c == u'.')
            ++dots;
        else if (c != u' ')
            return false;
    }
    return dots >= 2;
}

QString resolved(const QString& hostPath)
{
    char buffer[PATH_MAX];
    if (::realpath(QFile::encodeName(hostPath).constData(), buffer) == nullptr)
        return {};
    return QFile::decodeName(buffer);
}

} // namespace

std::optional<QStringList> safeStoredPath(const QString& stored)
{
    if (stored.isEmpty() || isSeparator(stored.front()))
        return std::nullopt;
    QStringList components;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= stored.size(); ++i) {
        if (i < stored.size() && !isSeparator(stored.at(i)))
            continue;
        const QString component = stored.mid(start, i - start);
        start = i + 1;
        if (component.contains(u':') || onlyDots(component))
            return std::nullopt;
        if (!component.isEmpty() && component != u'.')
            components << component;
    }
    if (components.isEmpty())
        return std::nullopt;
    return components;
}

bool staysInside(const QString& root, const QString& hostPath)
{
    const QString realRoot = resolved(root);
    if (realRoot.isEmpty() || hostPath.isEmpty())
        return false;
    // The deepest component that exists, a dangling link included, decides where the rest goes;
    // the rest must not climb.
    QString existing = hostPath;
    struct stat st;
    while (::lstat(QFile::encodeName(existing).constData(), &st) != 0) {
        const qsizetype cut = existing.lastIndexOf(u'/');
        if (cut <= 0)
            return false;
        if (existing.mid(cut + 1) == QLatin1String(".."))
            return false;
        existing.truncate(cut);
    }
    const QString real = resolved(existing);
    if (real.isEmpty())
        return false;
    const QString base = realRoot.endsWith(u'/') ? realRoot : realRoot + u'/';
    return real == realRoot || real.startsWith(base);
}

} // namespace navlor::arj
