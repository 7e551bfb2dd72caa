// navlor-arj: ARJ.EXE for the hosted-Windows machine. Installed where the console looks for
// ARJ.EXE (a link such as C:\VALDOROW\EXE\ARJ.EXE), it is started with the arguments a
// batch line gives ARJ.EXE.

#include "compat/arj/arj_tool.h"
#include "lib/platform/platform.h"

#include <QString>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    navlor::arj::ArjTool tool(navlor::platform(), [](const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        // arj writes to the same standard output; ours must come out in order with its.
        std::fflush(stdout);
    });
    return tool.run(arguments);
}
