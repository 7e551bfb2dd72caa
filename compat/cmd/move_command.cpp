// MOVE: files into a directory or to a new name, and directories to a new name or place. A
// move within a drive is a rename; to another drive the platform copies, and the source goes
// only once the copy is whole.

#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

namespace navlor::cmd {

namespace {

const QString kAccessDenied = QStringLiteral("Acesso negado.");

} // namespace

// Moves `from` over the existing file `to`: the moved file is whole beside the old one before
// the old one goes, and a refusal to delete it (read-only, in use) puts the source back.
bool Interpreter::moveOver(const QString& from, const QString& to)
{
    const QString directory = directoryPart(to);
    QString temporary;
    for (int n = 0; temporary.isEmpty() || m_platform.fileExists(temporary) ||
                    m_platform.directoryExists(temporary);
         ++n)
        temporary = appendWindowsPath(directory, QStringLiteral("~movido%1.tmp").arg(n));
    if (!m_platform.moveFile(from, temporary))
        return false;
    if (m_platform.deleteFile(to) && m_platform.moveFile(temporary, to))
        return true;
    (void)m_platform.moveFile(temporary, from); // best effort: the source back where it was
    return false;
}

bool Interpreter::moveDirectory(const QString& from, const QString& target)
{
    QString to = target;
    if (m_platform.directoryExists(target) &&
        m_platform.toHostPath(target) != m_platform.toHostPath(from))
        to = appendWindowsPath(target, nameOf(from));
    if (m_platform.fileExists(to) || (m_platform.directoryExists(to) &&
                                      m_platform.toHostPath(to) != m_platform.toHostPath(from))) {
        fail(QStringLiteral("Não é possível criar um arquivo já existente."));
        return false;
    }
    if (!m_platform.directoryExists(directoryPart(to))) {
        fail(kPathNotFound);
        return false;
    }
    if (!m_platform.moveFile(from, to)) {
        fail(kAccessDenied);
        return false;
    }
    writeOutput(QStringLiteral("        1 pasta(s) movida(s).\n"));
    return true;
}

void Interpreter::moveFiles(const QStringList& arguments, bool inBatch)
{
    const CommandArguments split = splitSwitches(arguments);
    if (split.operands.size() < 2) {
        fail(kSyntax);
        return;
    }
    // Replacing is asked about at the prompt only, as COPY does.
    bool ask = !inBatch && !split.has("Y");
    if (split.has("-Y"))
        ask = true;
    const QString targetText = split.operands.last();
    const QString target = absolute(targetText);
    if (target.isEmpty()) {
        fail(kPathNotFound);
        return;
    }

    // Sources are separated by blanks or commas; a directory named alone is moved whole.
    QStringList files;
    for (const QString& operand : split.operands.mid(0, split.operands.size() - 1)) {
        for (const QString& source : operand.split(u',', Qt::SkipEmptyParts)) {
            const QString full = absolute(source);
            if (full.isEmpty()) {
                fail(kPathNotFound);
                return;
            }
            if (!hasWildcards(nameOf(full)) && m_platform.directoryExists(full)) {
                if (split.operands.size() != 2 || operand != source) {
                    fail(kSyntax);
                    return;
                }
                if (moveDirectory(full, target))
                    m_errorLevel = 0;
                return;
            }
            for (const DirEntry& entry : m_platform.findFiles(full)) {
                if (isOrdinaryFile(entry))
                    files << appendWindowsPath(directoryPart(full), entry.name);
            }
        }
    }
    if (files.isEmpty()) {
        fail(kFileNotFound);
        return;
    }
    const bool intoDirectory = m_platform.directoryExists(target) || targetText.endsWith(u'\\');
    if (!intoDirectory && files.size() > 1) {
        fail(QStringLiteral("Não é possível mover vários arquivos para um único arquivo."));
        return;
    }

    int moved = 0;
    bool failed = false;
    for (const QString& file : files) {
        const QString to = intoDirectory ? appendWindowsPath(target, nameOf(file)) : target;
        if (!m_platform.directoryExists(directoryPart(to))) {
            fail(kPathNotFound);
            failed = true;
            break;
        }
        if (files.size() > 1)
            writeOutput(file + u'\n');
        bool ok = false;
        if (m_platform.toHostPath(to) == m_platform.toHostPath(file)) {
            // The same file, perhaps by another case: Windows names differ in case only.
            ok = m_platform.moveFile(file, to);
        } else if (m_platform.directoryExists(to)) {
            ok = false;
        } else if (m_platform.fileExists(to)) {
            if (ask && !confirm(QStringLiteral("Substituir %1 (Sim/Não/Todos)? ").arg(to)))
                continue;
            ok = moveOver(file, to);
        } else {
            ok = m_platform.moveFile(file, to);
        }
        if (ok) {
            ++moved;
        } else {
            fail(QStringLiteral("Acesso negado - %1").arg(file));
            failed = true;
        }
    }
    writeOutput(QStringLiteral("        %1 arquivo(s) movido(s).\n").arg(moved));
    m_errorLevel = failed ? 1 : 0;
}

} // namespace navlor::cmd
