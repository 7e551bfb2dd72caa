// navlor-netlog: NETLOG.EXE of the hosted-Windows machine. Each start appends one line to
// NETLOG.LOG in its own directory, so the installation keeps a record of when the server's
// console came up:
//   07/12/2026 08:00:09 NETLOG iniciado em SERVIDOR
// Installed as a link (C:\NETLOG\NETLOG.EXE), it writes C:\NETLOG\NETLOG.LOG.

#include "lib/ansi_text.h"
#include "lib/platform/clock.h"
#include "lib/platform/platform.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

QString logLine(navlor::Platform& p)
{
    return p.clock().now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) +
           QStringLiteral(" NETLOG iniciado em ") + p.computerName();
}

void complain(const QString& text)
{
    std::fprintf(stderr, "NETLOG: %s\n", qPrintable(text));
}

} // namespace

int main()
{
    navlor::Platform& p = navlor::platform();
    // The place it was started by, links not followed: the log belongs to the installation.
    const QString program = p.programPath();
    const qsizetype slash = program.lastIndexOf(u'\\');
    if (slash < 0) {
        complain(QStringLiteral("o diretório do programa não foi encontrado"));
        return 1;
    }
    const QString log = program.left(slash + 1) + QStringLiteral("NETLOG.LOG");

    // Appended, not rewritten: two starts at once each keep their line.
    QFile file(p.toHostPath(log));
    if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        complain(QStringLiteral("não foi possível gravar ") + log);
        return 1;
    }
    const QByteArray line = navlor::toAnsi(logLine(p)) + "\r\n";
    if (file.write(line) != line.size() || !file.flush()) {
        complain(QStringLiteral("não foi possível gravar ") + log);
        return 1;
    }
    return 0;
}
