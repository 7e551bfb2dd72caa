#include "compat/arj/arj_names.h"

#include "lib/platform/host_prefix.h"

#include <algorithm>

namespace navlor::arj {

namespace {

bool hasDrive(const QString& name)
{
    return name.size() >= 2 && name.at(1) == u':' && name.at(0).isLetter();
}

bool endsAsDirectory(const QString& name)
{
    return name.endsWith(u'\\') || name.endsWith(u'/') || (hasDrive(name) && name.size() == 2);
}

// A mask that names files in the base directory, with no directory of its own.
bool isBareMask(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'\\') && !name.contains(u'/') && !name.contains(u':');
}

// A mask as the stored names spell it: "/" between directories, no drive, no leading "/".
QString storedForm(QString mask)
{
    mask.replace(u'\\', u'/');
    if (hasDrive(mask))
        mask = u'/' + mask.mid(2);
    return mask;
}

} // namespace

QString directoryOf(const QString& windowsPath)
{
    const qsizetype cut = windowsPath.lastIndexOf(u'\\');
    if (cut < 0)
        return {};
    return cut <= 2 ? windowsPath.left(3) : windowsPath.left(cut);
}

QString fileNameOf(const QString& windowsPath)
{
    return windowsPath.mid(windowsPath.lastIndexOf(u'\\') + 1);
}

QString joinPath(const QString& directory, const QString& name)
{
    return directory.endsWith(u'\\') ? directory + name : directory + u'\\' + name;
}

QList<NamePattern> resolveAddPatterns(const QStringList& names, const QString& currentDirectory,
                                      const PathKindOf& kindOf)
{
    QList<NamePattern> patterns;
    QString base = currentDirectory;
    bool basePending = false; // a base directory with no mask after it yet
    auto addPattern = [&](const QString& directory, const QString& mask) {
        patterns.append({directory, mask, joinPath(directory, mask)});
    };

    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        const QString full = absoluteWindowsPath(name, base);
        if (full.isEmpty())
            continue; // a UNC path: nothing on this machine
        const bool wild = hasWildcards(fileNameOf(full));
        bool isBase = false;
        if (!wild) {
            const PathKind kind = endsAsDirectory(name) ? PathKind::Directory : kindOf(full);
            const QString next = i + 1 < names.size() ? names.at(i + 1) : QString();
            isBase = kind == PathKind::Directory ||
                     (kind == PathKind::Missing && isBareMask(next) && hasWildcards(next));
        }
        if (isBase) {
            if (basePending)
                addPattern(base, QStringLiteral("*.*"));
            base = full;
            basePending = true;
            continue;
        }
        if (full.size() <= 3)
            continue; // a drive root is always a base directory
        addPattern(directoryOf(full), fileNameOf(full));
        basePending = false;
    }
    if (basePending || names.isEmpty())
        addPattern(base, QStringLiteral("*.*"));
    return patterns;
}

ExtractNames splitExtractNames(const QStringList& names, const PathKindOf& kindOf,
                               const QString& currentDirectory)
{
    ExtractNames result;
    result.masks = names;
    if (names.isEmpty())
        return result;
    const QString& first = names.first();
    if (hasWildcards(first))
        return result;
    bool isBase = endsAsDirectory(first) || hasDrive(first);
    if (!isBase) {
        const QString full = absoluteWindowsPath(first, currentDirectory);
        isBase = !full.isEmpty() && kindOf(full) == PathKind::Directory;
    }
    if (isBase) {
        result.baseDirectory = first;
        result.masks.removeFirst();
    }
    return result;
}

EntrySelector::EntrySelector(const QStringList& masks)
{
    for (const QString& given : masks) {
        QString mask = storedForm(given);
        // A leading "\" ties the mask to the root: "\A.DB" is the A.DB stored without a
        // directory.
        const bool rooted = mask.startsWith(u'/');
        while (mask.startsWith(u'/'))
            mask.remove(0, 1);
        if (mask.isEmpty())
            continue;
        const qsizetype slash = mask.lastIndexOf(u'/');
        Mask m{{}, slash < 0 && !rooted, WildcardMask(mask.mid(slash + 1))};
        if (slash >= 0)
            m.directory = mask.left(slash).toUpper();
        if (m.anyDirectory && m.name.matchesEverything())
            m_everything = true;
        m_masks.push_back(std::move(m));
    }
    if (m_masks.empty())
        m_everything = true;
}

bool EntrySelector::selects(const QString& stored) const
{
    if (m_everything)
        return true;
    // A "\" in a stored name divides directories as "/" does, as ARJ on Windows reads it.
    // Called for every entry of an archive: nothing is copied unless a "\" must be rewritten.
    qsizetype nameStart = stored.size();
    while (nameStart > 0 && stored.at(nameStart - 1) != u'/' && stored.at(nameStart - 1) != u'\\')
        --nameStart;
    const QString name =
        QString::fromRawData(stored.constData() + nameStart, stored.size() - nameStart);
    QStringView directory = QStringView(stored).left(std::max<qsizetype>(nameStart - 1, 0));
    QString slashed;
    for (const Mask& m : m_masks) {
        if (!m.anyDirectory) {
            if (directory.contains(u'\\')) {
                slashed = directory.toString();
                slashed.replace(u'\\', u'/');
                directory = slashed;
            }
            if (directory.size() != m.directory.size() ||
                directory.compare(m.directory, Qt::CaseInsensitive) != 0)
                continue;
        }
        if (m.name.matches(name))
            return true;
    }
    return false;
}

QStringList tiedToRootEntries(const QStringList& masks, const QStringList& storedNames)
{
    QStringList result;
    for (const QString& mask : masks) {
        bool atRoot = false;
        if (isBareMask(mask) && !hasWildcards(mask)) {
            for (const QString& stored : storedNames) {
                if (!stored.contains(u'/') && stored.compare(mask, Qt::CaseInsensitive) == 0) {
                    atRoot = true;
                    break;
                }
            }
        }
        result << (atRoot ? u'\\' + mask : mask);
    }
    return result;
}

Exclusions::Exclusions(const QStringList& masks, const QString& currentDirectory)
{
    for (const QString& mask : masks) {
        if (isBareMask(mask)) {
            m_names.emplace_back(mask);
            continue;
        }
        const QString full = absoluteWindowsPath(mask, currentDirectory);
        if (full.isEmpty())
            continue;
        const QString name = fileNameOf(full);
        m_paths.push_back({directoryOf(full), hasWildcards(name) ? QString() : full,
                           WildcardMask(name.isEmpty() ? QStringLiteral("*") : name)});
    }
}

bool Exclusions::excludes(const QString& windowsDirectory, const QString& name) const
{
    for (const WildcardMask& mask : m_names) {
        if (mask.matches(name))
            return true;
    }
    if (m_paths.empty())
        return false;
    const QString path = joinPath(windowsDirectory, name);
    for (const PathMask& mask : m_paths) {
        if (windowsDirectory.compare(mask.directory, Qt::CaseInsensitive) == 0 &&
            mask.name.matches(name))
            return true;
        // "-XC:\DADOS\TEMP" leaves out the whole directory.
        if (!mask.whole.isEmpty() && path.size() > mask.whole.size() &&
            path.at(mask.whole.size()) == u'\\' && path.startsWith(mask.whole, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QByteArray listFileLine(const QByteArray& storedName)
{
    const qsizetype slash = storedName.lastIndexOf('/');
    const QByteArrayView name = QByteArrayView(storedName).sliced(slash + 1);
    // Most names need nothing written differently: one line each for thousands of files.
    if (!name.isEmpty() && name.front() != ' ' && name.back() != ' ' && !name.contains('[') &&
        !name.contains('*') && !name.contains('?'))
        return storedName;
    QByteArray line = storedName.left(slash + 1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name.at(i);
        const bool edge = i == 0 || i == name.size() - 1;
        if (c == '[' || c == '*' || c == '?')
            line += QByteArray("[") + c + ']';
        else if (c == ' ' && edge)
            line += "[ ]";
        else
            line += c;
    }
    return line;
}

} // namespace navlor::arj
