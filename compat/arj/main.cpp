// navlor-arj: ARJ.EXE for the hosted-Windows machine. Installed where the console looks for
// ARJ.EXE (a link such as C:\VALDOROW\EXE\ARJ.EXE), it is started with the arguments a
// batch line gives ARJ.EXE.

#include "compat/arj/arj_command.h"
#include "compat/arj/arj_tool.h"
#include "compat/arj/end_signals.h"
#include "lib/platform/platform.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "navlor-arj: o ARJ.EXE do Windows hospedado (NAVLOR_PREFIX), sobre o arj do Debian.\n"
    "\n"
    "navlor-arj <comando> [op\xc3\xa7\xc3\xb5"
    "es] <arquivo.ARJ> [diret\xc3\xb3"
    "rio] "
    "[m\xc3\xa1scaras...]\n"
    "\n"
    "  A   adiciona arquivos (-U s\xc3\xb3 os mais novos, -R subdiret\xc3\xb3rios, -X "
    "m\xc3\xa1scara "
    "a excluir)\n"
    "  M   adiciona e exclui os originais\n"
    "  X   extrai com os caminhos guardados (-HT destino, -Y sem perguntas)\n"
    "  E   extrai sem os caminhos\n"
    "  L   lista o conte\xc3\xba"
    "do; V lista com detalhes\n"
    "  T   testa o arquivo\n"
    "\n"
    "Os caminhos s\xc3\xa3o do Windows (C:\\DADOS\\A.DB); os nomes ficam guardados a partir da "
    "raiz da unidade.\n";

} // namespace

int main(int argc, char** argv)
{
    navlor::arj::catchEndSignals();
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    // The platform passes the Windows line as it was written: ARJ splits it by its own rules,
    // where the C runtime would read "C:\" followed by a quote as an escaped quote.
    const QStringList arguments =
        navlor::arj::commandArguments(given, qEnvironmentVariable("NAVLOR_COMMAND_LINE"));
    if (!arguments.isEmpty() &&
        (arguments.first() == QLatin1String("--help") || arguments.first() == QLatin1String("-h") ||
         arguments.first() == QLatin1String("/?"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    navlor::arj::ArjTool tool(navlor::platform(), [](const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        // arj writes to the same standard output; ours must come out in order with its.
        std::fflush(stdout);
    });
    int code = 0;
    try {
        code = tool.run(arguments);
    } catch (const navlor::arj::EndRequested& end) {
        return 128 + end.signal;
    }
    // A signal that came after the last wait still ends the run as a signal does.
    const int signal = navlor::arj::endSignal();
    return signal != 0 ? 128 + signal : code;
}
