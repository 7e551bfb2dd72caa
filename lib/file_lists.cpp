#include "lib/file_lists.h"

#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"
#include "lib/text_utils.h"

#include <algorithm>
#include <vector>

namespace navlor {

namespace {

// Case changed one character for one, as Windows does it: a whole-text mapping would make
// "ß" into "SS", a name that opens no file.
QString eachUpper(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toUpper();
    return result;
}

QString eachLower(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toLower();
    return result;
}

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

// The walk behind LISTA_ARQUIVOS. Each directory is read once: its files are matched against
// the mask here, and the same listing gives its sub-directories. A stack instead of recursion,
// so no depth of tree can exhaust the program's stack; the order is the recursive one.
void walk(const QString& m, const QString& d, QStringList& list, bool firstOfAll)
{
    const qsizetype cut = std::max(m.lastIndexOf(u'\\'), m.lastIndexOf(u':'));
    const QString top = m.left(cut + 1);
    const WildcardMask mask(m.mid(cut + 1));
    const bool thisDirectoryOnly = d == QLatin1String("A");
    const bool firstHere = d == QLatin1String("1") || firstOfAll;

    std::vector<QString> pending{top};
    bool atTop = true;
    while (!pending.empty()) {
        const QString dir = std::move(pending.back());
        pending.pop_back();
        const QList<DirEntry> entries = platform().findFileKinds(dir + QStringLiteral("*.*"));

        QString lowerDir;
        bool lowered = false;
        for (const DirEntry& e : entries) {
            if (!isOrdinaryFile(e) || !mask.matches(e.name))
                continue;
            if (!lowered) {
                lowerDir = eachLower(dir);
                lowered = true;
            }
            list.append(lowerDir + eachUpper(e.name));
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
                pending.push_back(dir + e.name + u'\\');
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
}

} // namespace

QStringList& LISTA_ARQUIVOS(const QString& m, const QString& d, QStringList& l)
{
    walk(m, d, l, false);
    return l;
}

QStringList LISTA_ARQUIVOS(const QString& m, const QString& d)
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
    walk(TROCA_TEXTO(m, QStringLiteral("\\\\"), QStringLiteral("\\"), 0), QStringLiteral("1"), list,
         true);
    return list.value(0);
}

int APAGA_ARQUIVOS(const QString& m, const QString& d)
{
    const QStringList files = LISTA_ARQUIVOS(m, d);
    Platform& p = platform();
    for (const QString& file : files)
        p.deleteFile(file); // refused for read-only files and files in use
    return static_cast<int>(files.size());
}

bool DIRETORIO_EXISTE(const QString& path)
{
    return platform().directoryExists(path);
}

} // namespace navlor
