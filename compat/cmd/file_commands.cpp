// The interpreter's commands on files and directories: MD, RD, DEL, COPY, REN, TYPE.

#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

namespace navlor::cmd {

namespace {

// A name made from `name` by a mask such as "*.BAK" or "??X*.*", part by part around the last
// dot, as COPY and REN make target names.
QString applyNameMask(const QString& name, const QString& mask)
{
    auto part = [](const QString& source, const QString& pattern) {
        QString out;
        qsizetype s = 0;
        for (const QChar c : pattern) {
            if (c == u'*') {
                out += source.mid(s);
                s = source.size();
            } else if (c == u'?') {
                if (s < source.size())
                    out += source.at(s);
                ++s;
            } else {
                out += c;
                ++s;
            }
        }
        return out;
    };
    const qsizetype nameDot = name.lastIndexOf(u'.');
    const qsizetype maskDot = mask.lastIndexOf(u'.');
    const QString base = nameDot < 0 ? name : name.left(nameDot);
    const QString extension = nameDot < 0 ? QString() : name.mid(nameDot + 1);
    if (maskDot < 0)
        return part(name, mask);
    const QString result = part(base, mask.left(maskDot));
    const QString ext = part(extension, mask.mid(maskDot + 1));
    return ext.isEmpty() ? result : result + u'.' + ext;
}

// COPY's operands as groups: "A+B" and "A + B" are the sources of one file.
QList<QStringList> copyOperandGroups(const QStringList& operands)
{
    QList<QStringList> groups;
    bool joining = false;
    for (const QString& operand : operands) {
        const QStringList pieces = operand.split(u'+');
        for (qsizetype k = 0; k < pieces.size(); ++k) {
            joining = joining || k > 0;
            if (pieces.at(k).isEmpty())
                continue;
            if (joining && !groups.isEmpty())
                groups.last() << pieces.at(k);
            else
                groups << QStringList{pieces.at(k)};
            joining = false;
        }
    }
    return groups;
}

} // namespace

void Interpreter::makeDirectory(const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        fail(kSyntax);
        return;
    }
    for (const QString& argument : arguments) {
        const QString full = absolute(argument);
        if (full.isEmpty()) {
            fail(kPathNotFound);
            continue;
        }
        if (m_platform.directoryExists(full) || m_platform.fileExists(full)) {
            fail(QStringLiteral("Já existe uma subpasta ou um arquivo %1.").arg(argument));
            continue;
        }
        // Every missing directory on the way is made, as cmd does.
        QString built = full.left(3);
        bool ok = true;
        for (const QString& part : full.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
            built = appendWindowsPath(built, part);
            if (!m_platform.directoryExists(built) && !m_platform.createDirectory(built)) {
                ok = false;
                break;
            }
        }
        if (!ok)
            fail(kPathNotFound);
    }
}

bool Interpreter::removeTree(const QString& directory)
{
    bool ok = true;
    for (const DirEntry& entry :
         m_platform.findFiles(appendWindowsPath(directory, QStringLiteral("*")))) {
        const QString path = appendWindowsPath(directory, entry.name);
        if (entry.directory && !entry.system)
            ok = removeTree(path) && ok;
        else if (entry.directory)
            ok = m_platform.removeDirectory(path) && ok; // a link: the link goes, not its target
        else
            ok = m_platform.deleteFile(path) && ok;
    }
    return m_platform.removeDirectory(directory) && ok;
}

void Interpreter::removeDirectory(const QStringList& arguments)
{
    const CommandArguments split = splitSwitches(arguments);
    const QStringList& operands = split.operands;
    if (operands.isEmpty()) {
        fail(kSyntax);
        return;
    }
    const bool tree = split.has("S");
    const bool quiet = split.has("Q");
    for (const QString& operand : operands) {
        const QString full = absolute(operand);
        if (full.isEmpty() || !m_platform.directoryExists(full)) {
            fail(m_platform.fileExists(full) ? QStringLiteral("O nome do diretório é inválido.")
                                             : kFileNotFound);
            continue;
        }
        if (full.size() <= 3 ||
            full.compare(m_platform.currentDirectory(), Qt::CaseInsensitive) == 0) {
            fail(QStringLiteral("O processo não pode acessar o arquivo porque ele está sendo "
                                "usado por outro processo."));
            continue;
        }
        if (tree) {
            if (!quiet && !confirm(QStringLiteral("%1, Tem certeza (S/N)? ").arg(operand)))
                continue;
            if (!removeTree(full))
                fail(QStringLiteral("Acesso negado - %1").arg(full));
            continue;
        }
        if (!m_platform.findFiles(appendWindowsPath(full, QStringLiteral("*"))).isEmpty()) {
            fail(QStringLiteral("O diretório não está vazio."));
            continue;
        }
        if (!m_platform.removeDirectory(full))
            fail(QStringLiteral("Acesso negado - %1").arg(full));
    }
}

int Interpreter::deleteMatching(const QString& pattern, bool subdirectories, bool report)
{
    int found = 0;
    const QString directory = directoryPart(pattern);
    for (const DirEntry& entry : m_platform.findFiles(pattern)) {
        if (!isOrdinaryFile(entry))
            continue;
        ++found;
        const QString path = appendWindowsPath(directory, entry.name);
        if (!m_platform.deleteFile(path))
            writeError(QStringLiteral("Acesso negado - %1").arg(path));
        else if (report)
            writeOutput(QStringLiteral("Arquivo excluído - %1\n").arg(path));
    }
    if (subdirectories) {
        const QString mask = nameOf(pattern);
        for (const DirEntry& entry :
             m_platform.findFiles(appendWindowsPath(directory, QStringLiteral("*")))) {
            if (entry.directory && !entry.system) // links to directories are not entered
                found += deleteMatching(
                    appendWindowsPath(appendWindowsPath(directory, entry.name), mask), true,
                    report);
        }
    }
    return found;
}

void Interpreter::deleteFiles(const QStringList& arguments)
{
    const CommandArguments split = splitSwitches(arguments);
    const QStringList& operands = split.operands;
    if (operands.isEmpty()) {
        fail(kSyntax);
        return;
    }
    const bool subdirectories = split.has("S");
    const bool quiet = split.has("Q");
    for (const QString& operand : operands) {
        QString pattern = absolute(operand);
        if (pattern.isEmpty()) {
            fail(kPathNotFound);
            continue;
        }
        // A directory stands for all of its files.
        if (m_platform.directoryExists(pattern))
            pattern = appendWindowsPath(pattern, QStringLiteral("*"));
        const QString mask = nameOf(pattern);
        if (!quiet && (mask == u'*' || mask == QLatin1String("*.*")) &&
            !confirm(QStringLiteral("%1, Tem certeza (S/N)? ").arg(pattern)))
            continue;
        if (deleteMatching(pattern, subdirectories, subdirectories) == 0)
            writeError(QStringLiteral("Não foi possível encontrar %1").arg(pattern));
    }
}

// Puts a copy of `from` at `to`, replacing a file that is there; the old file stays when the
// copy cannot be made.
bool Interpreter::replaceFile(const QString& from, const QString& to)
{
    if (!m_platform.fileExists(to))
        return m_platform.copyFile(from, to);
    const QString directory = directoryPart(to);
    QString temporary;
    for (int n = 0; temporary.isEmpty() || m_platform.fileExists(temporary); ++n)
        temporary = appendWindowsPath(directory, QStringLiteral("~copia%1.tmp").arg(n));
    if (!m_platform.copyFile(from, temporary))
        return false;
    if (!m_platform.deleteFile(to) || !m_platform.moveFile(temporary, to)) {
        (void)m_platform.deleteFile(temporary);
        return false;
    }
    return true;
}

// COPY A+B [C]: the sources one after the other in one file; in ASCII mode (the default for
// joining) each ends at its first Ctrl+Z and the result gets one.
void Interpreter::joinFiles(const QStringList& sources, const QString& targetText, bool binary)
{
    const QString target = absolute(targetText.isEmpty() ? sources.first() : targetText);
    QByteArray joined;
    int found = 0;
    for (const QString& source : sources) {
        const QString full = absolute(source);
        const std::optional<QByteArray> bytes =
            full.isEmpty() || hasWildcards(nameOf(full)) ? std::nullopt : m_platform.readFile(full);
        if (!bytes)
            continue;
        ++found;
        writeOutput(source + u'\n');
        joined += binary ? *bytes
                         : bytes->left(bytes->indexOf('\x1a') < 0 ? bytes->size()
                                                                  : bytes->indexOf('\x1a'));
    }
    if (!binary)
        joined += '\x1a';
    if (found == 0 || target.isEmpty() || !m_platform.writeFile(target, joined)) {
        fail(found == 0 ? kFileNotFound : kPathNotFound);
        writeOutput(QStringLiteral("        0 arquivo(s) copiado(s).\n"));
        return;
    }
    writeOutput(QStringLiteral("        1 arquivo(s) copiado(s).\n"));
}

// "COPY NUL F": an empty file.
void Interpreter::copyFromNul(const QString& targetText)
{
    const QString target = absolute(targetText);
    if (target.isEmpty() || m_platform.directoryExists(target) ||
        !m_platform.writeFile(target, QByteArray())) {
        fail(kPathNotFound);
        writeOutput(QStringLiteral("        0 arquivo(s) copiado(s).\n"));
        return;
    }
    writeOutput(QStringLiteral("        1 arquivo(s) copiado(s).\n"));
}

void Interpreter::copyFiles(const QStringList& arguments, bool inBatch)
{
    const CommandArguments split = splitSwitches(arguments);
    const QList<QStringList> groups = copyOperandGroups(split.operands);
    if (groups.isEmpty() || groups.size() > 2 || groups.value(1).size() > 1) {
        fail(kSyntax);
        return;
    }
    if (groups.first().size() > 1) {
        joinFiles(groups.first(), groups.value(1).value(0), split.has("B"));
        return;
    }
    QStringList operands{groups.first().first()};
    if (groups.size() > 1)
        operands << groups.at(1).first();
    if (isNulDevice(operands.first())) {
        copyFromNul(operands.value(1));
        return;
    }
    // Overwriting is asked about at the prompt only, as cmd does.
    bool ask = !inBatch && !split.has("Y");
    if (split.has("-Y"))
        ask = true;

    QString source = absolute(operands.at(0));
    if (source.isEmpty()) {
        fail(kPathNotFound);
        return;
    }
    const bool wholeDirectory = m_platform.directoryExists(source);
    if (wholeDirectory)
        source = appendWindowsPath(source, QStringLiteral("*"));
    const bool several = wholeDirectory || hasWildcards(nameOf(source));
    QList<QString> files;
    for (const DirEntry& entry : m_platform.findFiles(source)) {
        if (isOrdinaryFile(entry))
            files << appendWindowsPath(directoryPart(source), entry.name);
    }
    if (files.isEmpty()) {
        fail(kFileNotFound);
        writeOutput(QStringLiteral("        0 arquivo(s) copiado(s).\n"));
        return;
    }

    const QString targetText = operands.size() > 1 ? operands.at(1) : QString();
    const QString target =
        targetText.isEmpty() ? m_platform.currentDirectory() : absolute(targetText);
    if (target.isEmpty()) {
        fail(kPathNotFound);
        return;
    }
    const bool intoDirectory = m_platform.directoryExists(target) || targetText.endsWith(u'\\');
    const bool masked = !intoDirectory && hasWildcards(nameOf(target));

    int copied = 0;
    bool failed = false;
    if (several && !intoDirectory && !masked) {
        // Several files to one file: they are joined, as COPY does.
        QByteArray joined;
        for (const QString& file : files) {
            if (file.compare(target, Qt::CaseInsensitive) == 0)
                continue;
            writeOutput(nameOf(file) + u'\n');
            joined += m_platform.readFile(file).value_or(QByteArray());
        }
        if (m_platform.writeFile(target, joined))
            copied = 1;
        else
            failed = true;
    } else {
        for (const QString& file : files) {
            QString to = target;
            if (intoDirectory)
                to = appendWindowsPath(target, nameOf(file));
            else if (masked)
                to = appendWindowsPath(directoryPart(target),
                                       applyNameMask(nameOf(file), nameOf(target)));
            if (several)
                writeOutput(file + u'\n');
            if (m_platform.toHostPath(to) == m_platform.toHostPath(file)) {
                fail(QStringLiteral("O arquivo não pode ser copiado sobre ele mesmo."));
                failed = true;
                continue;
            }
            if (ask && m_platform.fileExists(to) &&
                !confirm(QStringLiteral("Substituir %1 (Sim/Não/Todos)? ").arg(to)))
                continue;
            if (!m_platform.directoryExists(directoryPart(to))) {
                fail(kPathNotFound);
                failed = true;
                break;
            }
            if (replaceFile(file, to)) {
                ++copied;
            } else {
                fail(QStringLiteral("Acesso negado - %1").arg(to));
                failed = true;
            }
        }
    }
    writeOutput(QStringLiteral("        %1 arquivo(s) copiado(s).\n").arg(copied));
    if (failed || copied == 0)
        setErrorLevel(1);
}

void Interpreter::renameFiles(const QStringList& arguments)
{
    if (arguments.size() != 2 || arguments.at(1).contains(u'\\') ||
        arguments.at(1).contains(u':')) {
        fail(kSyntax);
        return;
    }
    const QString source = absolute(arguments.at(0));
    if (source.isEmpty()) {
        fail(kPathNotFound);
        return;
    }
    const QString directory = directoryPart(source);
    const QList<DirEntry> entries = m_platform.findFiles(source);
    if (entries.isEmpty()) {
        fail(kFileNotFound);
        return;
    }
    for (const DirEntry& entry : entries) {
        if (entry.hidden || entry.system)
            continue;
        const QString newName = applyNameMask(entry.name, arguments.at(1));
        const QString from = appendWindowsPath(directory, entry.name);
        const QString to = appendWindowsPath(directory, newName);
        if (!m_platform.moveFile(from, to))
            fail(QStringLiteral("Já existe um arquivo com o mesmo nome ou o arquivo não pode "
                                "ser encontrado."));
    }
}

void Interpreter::typeFiles(const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        fail(kSyntax);
        return;
    }
    for (const QString& argument : arguments) {
        if (isNulDevice(argument))
            continue; // "TYPE NUL > F" makes an empty file
        const QString pattern = absolute(argument);
        QList<QString> files;
        if (!pattern.isEmpty()) {
            for (const DirEntry& entry : m_platform.findFiles(pattern)) {
                if (!entry.directory)
                    files << appendWindowsPath(directoryPart(pattern), entry.name);
            }
        }
        if (files.isEmpty()) {
            fail(kFileNotFound);
            continue;
        }
        for (const QString& file : files) {
            if (files.size() > 1)
                writeError(u'\n' + file + u'\n');
            const QByteArray bytes = m_platform.readFile(file).value_or(QByteArray());
            writeOutputWindowsText(bytes);
        }
    }
}

} // namespace navlor::cmd
