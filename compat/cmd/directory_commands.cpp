// The interpreter's current directories: CD, the change of drive ("D:"), PUSHD and POPD.
// Every drive keeps its own current directory, as on DOS and Windows.

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"

namespace navlor::cmd {

void Interpreter::changeDirectory(const BatchLine& line)
{
    QString text = line.argumentText.trimmed();
    bool withDrive = false;
    if (text.startsWith(QLatin1String("/D"), Qt::CaseInsensitive) &&
        (text.size() == 2 || text.at(2) == u' ' || text.at(2) == u'\t')) {
        withDrive = true;
        text = text.mid(2).trimmed();
    }
    text = unquoted(text).trimmed(); // cmd takes "CD C:\Program Files" whole
    if (text.isEmpty()) {
        writeOutput(m_platform.currentDirectory() + u'\n');
        return;
    }
    if (isDriveChange(text)) {
        writeOutput(driveDirectory(text.at(0)) + u'\n');
        return;
    }
    QString target = absolute(text);
    if (target.isEmpty() || !m_platform.directoryExists(target)) {
        fail(QStringLiteral("O sistema não pode encontrar o caminho especificado."));
        return;
    }
    target = onDiskCase(target);
    const QChar drive = target.at(0);
    if (withDrive || drive == m_platform.currentDirectory().at(0))
        enterDirectory(target);
    else
        m_driveDirectories.insert(drive, target); // kept until that drive is changed to
}

// Makes `absolutePath` current, drive and all; the drive left keeps its directory.
bool Interpreter::enterDirectory(const QString& absolutePath)
{
    const QString before = m_platform.currentDirectory();
    if (!m_platform.setCurrentDirectory(absolutePath)) {
        fail(QStringLiteral("Acesso negado."));
        return false;
    }
    if (before.at(0) != absolutePath.at(0))
        m_driveDirectories.insert(before.at(0), before);
    return true;
}

void Interpreter::pushDirectory(const QString& argumentText)
{
    const QString text = unquoted(argumentText).trimmed();
    if (text.isEmpty()) {
        for (qsizetype i = m_directoryStack.size() - 1; i >= 0; --i)
            writeOutput(m_directoryStack.at(i) + u'\n');
        return;
    }
    const QString target = absolute(text);
    if (target.isEmpty() || !m_platform.directoryExists(target)) {
        fail(QStringLiteral("O sistema não pode encontrar o caminho especificado."));
        return;
    }
    const QString before = m_platform.currentDirectory();
    if (enterDirectory(onDiskCase(target))) {
        m_directoryStack << before;
        m_errorLevel = 0;
    }
}

void Interpreter::popDirectory()
{
    // POPD leaves the error level as it was, unlike PUSHD.
    if (!m_directoryStack.isEmpty())
        enterDirectory(m_directoryStack.takeLast());
}

void Interpreter::changeDrive(QChar letter)
{
    letter = letter.toUpper();
    const QString current = m_platform.currentDirectory();
    if (current.at(0) == letter)
        return;
    const QString root = QString(letter) + QStringLiteral(":\\");
    if (!m_platform.directoryExists(root)) {
        fail(QStringLiteral("O sistema não pode encontrar a unidade especificada."));
        return;
    }
    QString target = driveDirectory(letter);
    if (!m_platform.directoryExists(target))
        target = root;
    if (!m_platform.setCurrentDirectory(target)) {
        fail(QStringLiteral("Acesso negado."));
        return;
    }
    m_driveDirectories.insert(current.at(0), current);
}

} // namespace navlor::cmd
