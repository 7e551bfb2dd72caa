// XCOPY: files and folder trees, with /S /E (folders below, empty ones too), /D[:m-d-y] (only
// newer files), /Y (no question before replacing), /I (a new target is a folder), /Q (quiet).

#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

namespace navlor::cmd {

namespace {

const QString kXcopyFileNotFound = QStringLiteral("Arquivo não encontrado - %1");

} // namespace

// Copies the files of `source` that match `mask` into the folder `target`, and with /S or /E
// the folders below; returns how many were copied, `found` counts the matches.
int Interpreter::xcopyTree(const QString& source, const QString& mask, const QString& target,
                           const CommandArguments& split, const QDate& since, int& found)
{
    const bool onlyNewer = split.has("D") || since.isValid();
    auto makePath = [this](const QString& full) {
        QString built = full.left(3);
        for (const QString& part : full.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
            built = appendWindowsPath(built, part);
            if (!m_platform.directoryExists(built) && !m_platform.createDirectory(built))
                return false;
        }
        return true;
    };
    if (split.has("E") && !makePath(target))
        return 0;
    int copied = 0;
    for (const DirEntry& entry : m_platform.findFiles(appendWindowsPath(source, mask))) {
        if (!isOrdinaryFile(entry))
            continue;
        ++found;
        const QString from = appendWindowsPath(source, entry.name);
        const QString to = appendWindowsPath(target, entry.name);
        const QList<DirEntry> existing =
            m_platform.fileExists(to) ? m_platform.findFiles(to) : QList<DirEntry>();
        if (since.isValid() && entry.modified.date() < since)
            continue;
        if (onlyNewer && !since.isValid() && !existing.isEmpty() &&
            existing.first().modified >= entry.modified)
            continue;
        if (!existing.isEmpty() && !split.has("Y") &&
            !confirm(QStringLiteral("Substituir %1 (Sim/Não/Todos)? ").arg(to)))
            continue;
        if (!makePath(target) || !replaceFile(from, to)) {
            fail(QStringLiteral("Acesso negado - %1").arg(to), 4);
            continue;
        }
        if (!split.has("Q"))
            writeOutput(from + u'\n');
        ++copied;
    }
    if (!split.has("S") && !split.has("E"))
        return copied;
    for (const DirEntry& entry :
         m_platform.findFiles(appendWindowsPath(source, QStringLiteral("*")))) {
        if (entry.directory && !entry.system && !entry.hidden && entry.name != u'.' &&
            entry.name != QLatin1String(".."))
            copied += xcopyTree(appendWindowsPath(source, entry.name), mask,
                                appendWindowsPath(target, entry.name), split, since, found);
    }
    return copied;
}

void Interpreter::xcopy(const QStringList& arguments)
{
    const CommandArguments split = splitSwitches(arguments);
    if (split.operands.isEmpty() || split.operands.size() > 2) {
        fail(QStringLiteral("Número de parâmetros inválido"), 4);
        return;
    }
    QDate since;
    for (const QString& s : split.switches) {
        if (s.startsWith(QLatin1String("D:")))
            since = QDate::fromString(s.mid(2), QStringLiteral("M-d-yyyy"));
    }
    const QString sourceText = split.operands.first();
    const QString source = absolute(sourceText);
    const QString targetText = split.operands.value(1);
    const QString target =
        targetText.isEmpty() ? m_platform.currentDirectory() : absolute(targetText);
    if (source.isEmpty() || target.isEmpty()) {
        fail(kPathNotFound, 4);
        return;
    }
    const bool wholeFolder = m_platform.directoryExists(source);
    const QString folder = wholeFolder ? source : directoryPart(source);
    const QString mask = wholeFolder ? QStringLiteral("*") : nameOf(source);
    // A target that does not exist is a folder when it ends in "\", with /I, or for several
    // files (where Windows would ask).
    const bool single = !wholeFolder && !hasWildcards(mask);
    const bool intoFolder = m_platform.directoryExists(target) || targetText.endsWith(u'\\') ||
                            !single || split.has("I");
    int found = 0;
    int copied = 0;
    if (intoFolder) {
        copied = xcopyTree(folder, mask, target, split, since, found);
    } else if (m_platform.fileExists(source)) {
        found = 1;
        if (replaceFile(source, target)) {
            copied = 1;
            if (!split.has("Q"))
                writeOutput(source + u'\n');
        } else {
            fail(QStringLiteral("Acesso negado - %1").arg(target), 4);
        }
    }
    if (found == 0) {
        fail(kXcopyFileNotFound.arg(sourceText), 4);
    }
    writeOutput(QStringLiteral("%1 arquivo(s) copiado(s)\n").arg(copied));
}

} // namespace navlor::cmd
