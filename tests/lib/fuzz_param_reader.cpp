// Fuzz target for the parameter-file reader: parameter files come from other programs of the
// suite and from operators with an editor, so any bytes at all must read without harm, and
// whatever was read must be written and read back unchanged.
//
// Built with clang's libFuzzer when it is available; otherwise NAVLOR_FUZZ_DRIVER gives it a
// main that feeds a fixed set of samples and then pseudo-random files.

#include "lib/param_file.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "parameter file reader: %s\n", what);
        std::abort();
    }
}

void readAndWriteBack(const QByteArray& bytes)
{
    using namespace navlor;
    const QStringList lines = parseParamFile(bytes);
    check(lines.size() <= kParamLinesRead, "more lines than slots a read fills");
    for (const QString& line : lines) {
        check(line != QStringLiteral("#"), "placeholder left in a slot");
        check(!line.contains(u'\r') && !line.contains(u'\n') && !line.contains(QChar(26)),
              "line end inside a value");
    }

    ParamSlots table;
    for (int n = 1; n <= lines.size(); ++n)
        table[n] = lines.at(n - 1);
    normaliseParamSlots(table);
    const QByteArray written = formatParamFile(table);

    QStringList expected = lines;
    while (!expected.isEmpty() && expected.last().isEmpty())
        expected.removeLast();
    check(parseParamFile(written) == expected, "written file reads back differently");
    check(written.isEmpty() || written.endsWith("\r\n"), "last line not ended by CR LF");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    readAndWriteBack(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}

#ifdef NAVLOR_FUZZ_DRIVER
#include "tests/support/fuzz_driver.h"

int main(int argc, char** argv)
{
    const char interesting[] = {'\r', '\n', '#', 26, ' ', 'A', '\0', '\x81', '\x9D', '\xFF'};
    const navlor::test::FuzzDriverShape shape{
        {interesting, sizeof interesting}, 300, 4000, "parameter files"};
    return navlor::test::runFuzzDriver(argc, argv,
                                       {
                                           "",
                                           "\r\n",
                                           "#",
                                           "#\r\n#\r\nA",
                                           "A\rB\rC",
                                           "A\x1A"
                                           "B",
                                           "\x1A",
                                           "\r\r\n\n",
                                           " # \r\n",
                                           "\x80\x81\x8D\x9F\xFF\r\n",
                                       },
                                       shape,
                                       [](const QByteArray& bytes) { readAndWriteBack(bytes); });
}
#endif
