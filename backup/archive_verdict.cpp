#include "backup/archive_verdict.h"

#include "backup/schedule.h"

#include "lib/ansi_text.h"
#include "lib/arj_headers.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"
#include "lib/text_utils.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace navlor {

namespace {

// The archive holds times as DOS does, to two seconds.
constexpr qint64 kTimeGrainSeconds = 2;

QStringList blankSeparated(const QString& text)
{
    return trimControls(text).split(u' ', Qt::SkipEmptyParts);
}

bool hasWildcards(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?');
}

// "C:\A\.\B\..\C\" -> "C:\A\C", as Windows resolves a path before using it.
QString normalisedPath(const QString& path)
{
    QString text = QString(path).replace(u'/', u'\\');
    if (text.size() < 2 || text.at(1) != u':')
        return text;
    QStringList parts;
    for (const QString& part : text.mid(2).split(u'\\', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return text.left(2).toUpper() + u'\\' + parts.join(u'\\');
}

// The key a name is compared under: without regard to case, and as the archive's 8-bit
// listing can spell it.
QString nameKey(const QString& name)
{
    return fromAnsi(toAnsi(name)).toUpper();
}

struct MaskGroup
{
    QString directory;
    std::vector<WildcardMask> masks;
};

std::vector<MaskGroup> maskGroups(const BackupJob& job)
{
    QStringList masks = blankSeparated(job.masks);
    if (masks.isEmpty())
        masks << QStringLiteral("*.*"); // a bare source directory gives every file
    const QString source = normalisedPath(job.source);
    std::vector<MaskGroup> groups;
    for (const QString& given : masks) {
        const QString mask = QString(given).replace(u'/', u'\\');
        const qsizetype cut = mask.lastIndexOf(u'\\');
        QString directory = source;
        if (cut >= 0) {
            const QString own = mask.left(cut);
            directory = normalisedPath(
                own.size() >= 2 && own.at(1) == u':' ? own : pathInDirectory(source, own));
        }
        auto group = std::find_if(groups.begin(), groups.end(), [&](const MaskGroup& g) {
            return g.directory.compare(directory, Qt::CaseInsensitive) == 0;
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), MaskGroup{directory, {}});
        group->masks.emplace_back(mask.mid(cut + 1));
    }
    return groups;
}

// The job's exclusions. A bare mask leaves out the names it matches. One with a directory is
// read loosely: its last part leaves out any file of that name, or, without wildcards, any
// file below a directory of that name.
class Exclusions
{
public:
    explicit Exclusions(const QString& text)
    {
        for (const QString& given : blankSeparated(text)) {
            const QString mask = QString(given).replace(u'/', u'\\');
            const qsizetype cut = std::max(mask.lastIndexOf(u'\\'), mask.lastIndexOf(u':'));
            if (cut < 0) {
                m_names.emplace_back(mask);
                continue;
            }
            const QString last = mask.mid(cut + 1);
            if (last.isEmpty())
                continue;
            if (hasWildcards(last))
                m_names.emplace_back(last);
            else
                m_components << last.toUpper();
        }
    }

    bool excludes(const QString& relativeDirectory, const QString& name) const
    {
        if (std::any_of(m_names.begin(), m_names.end(),
                        [&](const WildcardMask& m) { return m.matches(name); }))
            return true;
        if (m_components.isEmpty())
            return false;
        if (m_components.contains(name.toUpper()))
            return true;
        for (const QString& part : relativeDirectory.split(u'\\', Qt::SkipEmptyParts)) {
            if (m_components.contains(part.toUpper()))
                return true;
        }
        return false;
    }

private:
    std::vector<WildcardMask> m_names;
    QSet<QString> m_components;
};

} // namespace

// A name an archive entry can carry: Windows-1252 holds every character of it and Windows
// allows it. The archiver leaves any other file out, so it must not go unmentioned.
bool storableName(const QString& name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\*?<>|\"").contains(c) ||
            c == QChar::ReplacementCharacter)
            return false;
    }
    return fromAnsi(toAnsi(name)) == name;
}

namespace {

QString countText(qsizetype count, const char* one, const char* many)
{
    return QString::number(count) + u' ' + QString::fromUtf8(count == 1 ? one : many);
}

QString archiverCommand(const QString& archiver, const QString& command, const QString& archivePath)
{
    return u'"' + archiver + QStringLiteral("\" ") + command + QStringLiteral(" \"") + archivePath +
           u'"';
}

} // namespace

QList<ArjEntry> readVerboseListing(const QByteArray& listing)
{
    return readArjListing(listing, kArjVerdictRules).entries;
}

QList<SelectedFile> filesSelectedBy(const BackupJob& job, const QString& archivePath)
{
    QList<SelectedFile> files;
    QSet<QString> seen;
    const Exclusions exclusions(job.exclusions);
    const QString archiveKey = normalisedPath(archivePath).toUpper();
    Platform& p = platform();
    for (const MaskGroup& group : maskGroups(job)) {
        if (group.directory.size() < 3 || group.directory.at(1) != u':')
            continue; // only drive paths can be stored
        std::vector<QString> pending{group.directory};
        while (!pending.empty()) {
            const QString directory = std::move(pending.back());
            pending.pop_back();
            const QString relativeDirectory = directory.mid(3);
            for (const DirEntry& e : p.findFiles(pathInDirectory(directory, QStringLiteral("*")))) {
                if (e.hidden || e.system)
                    continue;
                if (e.directory) {
                    if (job.subdirectories)
                        pending.push_back(pathInDirectory(directory, e.name));
                    continue;
                }
                const bool selected =
                    std::any_of(group.masks.begin(), group.masks.end(),
                                [&](const WildcardMask& m) { return m.matches(e.name); });
                if (!selected || e.name.endsWith(QLatin1String(".delta"), Qt::CaseInsensitive) ||
                    exclusions.excludes(relativeDirectory, e.name))
                    continue;
                const QString path = pathInDirectory(directory, e.name);
                const QString key = path.toUpper();
                if (key == archiveKey || seen.contains(key))
                    continue;
                seen.insert(key);
                files << SelectedFile{path, path.mid(3), e.size, e.modified, storableName(e.name)};
            }
        }
    }
    return files;
}

QString listingShortfall(const QList<ArjEntry>& listed, const QList<SelectedFile>& selected)
{
    QHash<QString, const ArjEntry*> byName;
    byName.reserve(listed.size());
    for (const ArjEntry& entry : listed)
        byName.insert(nameKey(entry.name), &entry);

    qsizetype missing = 0;
    qsizetype stale = 0;
    QString firstMissing;
    QString firstStale;
    QString firstUnstorable;
    for (const SelectedFile& file : selected) {
        const auto found = byName.constFind(nameKey(file.stored));
        if (found == byName.constEnd()) {
            if (!file.storable && firstUnstorable.isEmpty())
                firstUnstorable = file.path;
            else if (file.storable && missing++ == 0)
                firstMissing = file.path;
            continue;
        }
        const ArjEntry& entry = **found;
        const bool recent = entry.modified.isValid() && file.modified.isValid() &&
                            entry.modified.secsTo(file.modified) <= kTimeGrainSeconds;
        if (!recent || entry.size != file.size) {
            if (stale++ == 0)
                firstStale = file.path;
        }
    }
    QStringList reasons;
    if (!firstUnstorable.isEmpty())
        reasons << QStringLiteral("arquivo não copiável: ") + firstUnstorable;
    if (missing > 0)
        reasons << countText(missing, "arquivo fora do BKP", "arquivos fora do BKP") +
                       QStringLiteral(", o primeiro: ") + firstMissing;
    if (stale > 0)
        reasons << countText(stale, "arquivo desatualizado no BKP",
                             "arquivos desatualizados no BKP") +
                       QStringLiteral(", o primeiro: ") + firstStale;
    return reasons.join(QStringLiteral("; "));
}

ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                             const BackupJob& job, int ceilingSeconds, bool checkListing,
                             const std::optional<QList<SelectedFile>>& expected)
{
    Platform& p = platform();
    if (!p.fileExists(archivePath))
        return {false, QStringLiteral("arquivo de BKP inexistente")};

    // One archiver run of the verdict: its failure in words, or nothing.
    QByteArray output;
    auto ask = [&](const char* command, const char* what) -> std::optional<QString> {
        output.clear();
        const int code =
            p.runBounded(archiverCommand(archiver, QLatin1String(command), archivePath),
                         ShowMode::Hide, {ceilingSeconds, &output, {}, {}});
        if (code == kRunTimedOut)
            return QStringLiteral("tempo máximo do arquivador esgotado n%1 do BKP")
                .arg(QString::fromUtf8(what));
        if (code != 0)
            return QStringLiteral("%1 do arquivo de BKP falhou (código %2)")
                .arg(QString::fromUtf8(what))
                .arg(code);
        return std::nullopt;
    };
    if (const std::optional<QString> failed = ask("T", "o teste"))
        return {false, *failed};
    if (!checkListing)
        return {true, {}};
    // The entries as the archive's headers give them, each header checked by its CRC; the
    // archiver lists those the headers cannot vouch for.
    QList<ArjEntry> listed;
    if (const std::optional<QList<ArjHeaderEntry>> headers = readArjHeadersAt(archivePath)) {
        listed.reserve(headers->size());
        for (const ArjHeaderEntry& entry : *headers)
            listed.append(entry.listed());
    } else {
        if (const std::optional<QString> failed = ask("V", "a listagem"))
            return {false, *failed};
        listed = readVerboseListing(output);
    }
    const QString shortfall =
        listingShortfall(listed, expected ? *expected : filesSelectedBy(job, archivePath));
    if (!shortfall.isEmpty())
        return {false, shortfall};
    return {true, {}};
}

} // namespace navlor
