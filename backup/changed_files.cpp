#include "backup/changed_files.h"

#include "lib/platform/clock.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace navlor {

namespace {

QString key(const QString& path)
{
    return path.toUpper();
}

// "C:\DADOS\CLIENTES" of "C:\DADOS\CLIENTES.PX" when its extension is one of a Paradox table.
std::optional<QString> tableBase(const QString& path)
{
    static const QRegularExpression tableFile(
        QStringLiteral("^(.*)\\.(DB|PX|MB|VAL|TV|[XY][0-9A-F]{2})$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = tableFile.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    return key(match.captured(1));
}

} // namespace

ChangeWatch::ChangeWatch(const QList<SelectedFile>& files, const QStringList& still)
{
    for (const QString& path : still)
        m_still.insert(key(path));
    Platform& p = platform();
    for (const SelectedFile& file : files) {
        m_files << file;
        m_stamps.insert(key(file.path), p.changeStamp(file.path));
    }
}

QStringList ChangeWatch::changed()
{
    Platform& p = platform();
    QStringList paths;
    for (qsizetype i = 0; i < m_files.size();) {
        const QString& path = m_files.at(i).path;
        const auto kept = m_stamps.constFind(key(path));
        if (kept == m_stamps.constEnd() || m_still.contains(key(path))) {
            ++i;
            continue;
        }
        const std::optional<ChangeStamp> now = p.changeStamp(path);
        // One never seen at all (a name the host cannot reach by it) stays demanded.
        if (!now && !kept->has_value()) {
            ++i;
            continue;
        }
        if (!now) {
            m_stamps.remove(key(path));
            m_files.removeAt(i);
            continue;
        }
        if (now != *kept)
            paths << path;
        ++i;
    }
    return paths;
}

void ChangeWatch::retake(const QStringList& paths)
{
    Platform& p = platform();
    for (const QString& path : paths) {
        if (m_stamps.contains(key(path)))
            m_stamps.insert(key(path), p.changeStamp(path));
    }
}

QList<SelectedFile> ChangeWatch::asKept() const
{
    QList<SelectedFile> files = m_files;
    for (SelectedFile& file : files) {
        const std::optional<ChangeStamp> stamp = m_stamps.value(key(file.path));
        if (!stamp)
            continue;
        file.size = stamp->size;
        file.modified = QDateTime::fromMSecsSinceEpoch(stamp->modifiedNs / 1000000);
    }
    return files;
}

QStringList withTableCompanions(const QStringList& changed, const QList<SelectedFile>& selected)
{
    QSet<QString> bases;
    QSet<QString> wanted;
    for (const QString& path : changed) {
        wanted.insert(key(path));
        if (const std::optional<QString> base = tableBase(path))
            bases.insert(*base);
    }
    QStringList paths;
    for (const SelectedFile& file : selected) {
        const std::optional<QString> base = tableBase(file.path);
        if (wanted.contains(key(file.path)) || (base && bases.contains(*base))) {
            paths << file.path;
            wanted.remove(key(file.path));
        }
    }
    for (const QString& path : changed) {
        if (wanted.contains(key(path)))
            paths << path; // not among the selected: still archived again
    }
    return paths;
}

RearchiveOutcome archiveChangedAgain(ChangeWatch& watch, const QList<SelectedFile>& selected,
                                     const std::function<int(const QStringList&)>& addFiles)
{
    QStringList changed = watch.changed();
    for (const int pause : kRearchivePausesMs) {
        if (changed.isEmpty())
            return {};
        platform().clock().sleep(pause);
        const QStringList again = withTableCompanions(changed, selected);
        watch.retake(again);
        const int code = addFiles(again);
        if (code == kRunTimedOut)
            return {false, {}, QStringLiteral("tempo máximo do arquivador esgotado")};
        if (code != 0)
            return {
                false,
                {},
                QStringLiteral("o arquivador falhou ao arquivar de novo (código %1)").arg(code)};
        changed = watch.changed();
    }
    if (changed.isEmpty())
        return {};
    return {false, changed.first(), {}};
}

} // namespace navlor
