#include "lib/file_lists.h"

#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"
#include "lib/text_utils.h"

#include <algorithm>
#include <vector>

namespace navlor {

namespace {

bool isOrdinaryFile(const DirEntry& e)
{
    return !e.directory && !e.hidden && !e.system;
}

bool isEnteredDirectory(const DirEntry& e)
{
    // A linked directory comes as a system directory, so a walk never follows a link and
    // never meets the same directory twice.
    return e.directory && !e.hidden && !e.system;
}

// The top directory of a walk as spelt on disk, so that the places found below it are exact.
// One that cannot be resolved is kept as given.
QString exactTop(const QString& top)
{
    if (top.size() <= 3)
        return upperEach(top.left(1)) + top.mid(1);
    Platform& p = platform();
    const QString exact = p.fromHostPath(p.toHostPath(top.left(top.size() - 1)));
    if (exact.isEmpty() || exact.compare(top.left(top.size() - 1), Qt::CaseInsensitive) != 0)
        return top;
    return exact + u'\\';
}

// The walk behind LISTA_ARQUIVOS. Each directory is read once: its files are matched against
// the mask here, and the same listing gives its sub-directories. A stack instead of recursion,
// so no depth of tree can exhaust the program's stack; the order is the recursive one.
template <typename Add> void walk(const QString& m, FileWalk d, bool firstOfAll, Add add)
{
    const qsizetype cut = std::max(m.lastIndexOf(u'\\'), m.lastIndexOf(u':'));
    const QString top = m.left(cut + 1);
    const WildcardMask mask(m.mid(cut + 1));
    const bool thisDirectoryOnly = d == FileWalk::Directory;
    const bool firstHere = d == FileWalk::FirstElseTree || firstOfAll;

    // Each directory as the mask names it (for the lists) and as it is on disk (to find it).
    std::vector<std::pair<QString, QString>> pending{{top, QString()}};
    bool atTop = true;
    while (!pending.empty()) {
        auto [dir, exactDir] = std::move(pending.back());
        pending.pop_back();
        if (atTop)
            exactDir = top.endsWith(u'\\') ? exactTop(top) : top;
        const QList<DirEntry> entries = platform().findFileKinds(exactDir + QStringLiteral("*.*"));

        QString lowerDir;
        bool lowered = false;
        for (const DirEntry& e : entries) {
            if (!isOrdinaryFile(e) || !mask.matches(e.name))
                continue;
            if (!lowered) {
                lowerDir = lowerEach(dir);
                lowered = true;
            }
            add(lowerDir + upperEach(e.name), exactDir + e.name);
            // "1" looks for the first file in its own directory only; below it the whole
            // tree is listed, unless just the first is wanted.
            if (firstOfAll || (atTop && firstHere))
                return;
        }
        if (atTop && thisDirectoryOnly)
            return;
        atTop = false;

        const size_t mark = pending.size();
        for (const DirEntry& e : entries) {
            if (isEnteredDirectory(e))
                pending.emplace_back(dir + e.name + u'\\', exactDir + e.name + u'\\');
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
}

void walk(const QString& m, FileWalk d, QStringList& list, bool firstOfAll)
{
    walk(m, d, firstOfAll, [&](QString text, const QString&) { list.append(std::move(text)); });
}

} // namespace

QStringList& LISTA_ARQUIVOS(const QString& m, FileWalk d, QStringList& l)
{
    walk(m, d, l, false);
    return l;
}

QStringList LISTA_ARQUIVOS(const QString& m, FileWalk d)
{
    QStringList list;
    walk(m, d, list, false);
    return list;
}

QString PRIMEIRO_ARQUIVO(const QString& m)
{
    // Only the first entry of LISTA_ARQUIVOS(M, "1") is wanted: the walk stops there instead
    // of listing a whole drive.
    QStringList list;
    walk(TROCA_TEXTO(m, QStringLiteral("\\\\"), QStringLiteral("\\"), 0), FileWalk::FirstElseTree,
         list, true);
    return list.value(0);
}

QList<FoundFile> FOUND_FILES(const QString& m, FileWalk d)
{
    QList<FoundFile> found;
    walk(m, d, false, [&](QString text, QString path) {
        found.append({std::move(text), std::move(path)});
    });
    return found;
}

int APAGA_ARQUIVOS(const QString& m, FileWalk d)
{
    const QList<FoundFile> files = FOUND_FILES(m, d);
    Platform& p = platform();
    for (const FoundFile& file : files)
        (void)p.deleteExactFile(file.path); // refused for read-only files and files in use
    return static_cast<int>(files.size());
}

bool DIRETORIO_EXISTE(const QString& path)
{
    return platform().directoryExists(path);
}

QString searchPath(const QString& directory, const QString& mask)
{
    QString start = directory;
    if (start.size() == 3 && start.at(2) == u'\\')
        start.truncate(2);
    return TROCA_TEXTO(start + u'\\' + mask, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
}

QStringList searchFiles(const QString& directory, const QString& mask)
{
    return LISTA_ARQUIVOS(searchPath(directory, mask), FileWalk::Tree);
}

} // namespace navlor
