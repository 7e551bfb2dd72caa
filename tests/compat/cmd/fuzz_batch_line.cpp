// Fuzz target for the batch-line tokeniser: batch files come from operators with any editor,
// so any line at all must be taken apart without harm, and what comes out must hold together.
//
// Built with clang's libFuzzer when it is available; otherwise NAVLOR_FUZZ_DRIVER gives it a
// main that feeds a fixed set of samples and then pseudo-random lines.

#include "compat/cmd/batch_line.h"
#include "compat/cmd/batch_syntax.h"
#include "lib/platform/command_line.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "batch line tokeniser: %s\n", what);
        std::abort();
    }
}

bool hasSpecial(const QString& text)
{
    for (const QChar c : text) {
        if (QStringLiteral("\"^<>|&@:%").contains(c))
            return true;
    }
    return false;
}

// Chains, blocks, continued lines, FOR /F options and %VAR:...% operations: every loop must
// end, and what comes out must come from the text.
void takeApartGroups(const QString& text)
{
    using namespace navlor::cmd;
    qsizetype total = 0;
    for (const ChainPart& part : splitCommandChain(text)) {
        check(!part.text.trimmed().isEmpty(), "empty command in a chain");
        total += part.text.size();
    }
    check(total <= text.size(), "chain longer than its line");
    const QStringList lines = text.split(u'\r');
    qsizetype next = 0;
    qsizetype rounds = 0;
    while (next < lines.size()) {
        const qsizetype before = next;
        readLogicalLine(lines, next);
        check(next > before && ++rounds <= lines.size(), "logical line did not move on");
    }
    const qsizetype open = text.indexOf(u'(');
    if (open >= 0) {
        const qsizetype close = closingParenthesis(text, open);
        check(close < 0 || (close > open && text.at(close) == u')'), "wrong closing parenthesis");
    }
    check(openBlocks(text) >= 0, "negative block depth");
    const ForFileOptions options = parseForFileOptions(text);
    const QStringList tokens = forFileTokens(text, options);
    check(tokens.isEmpty() || tokens.size() == options.tokens.size() + (options.restOfLine ? 1 : 0),
          "tokens without their variables");
    QString result;
    const qsizetype colon = text.indexOf(u':');
    if (colon >= 0 && applyVariableOperation(text.left(colon), text.mid(colon + 1), result) &&
        text.mid(colon + 1).startsWith(u'~'))
        check(result.size() <= colon, "substring longer than its value");
    parseForCommand(text);
    splitCommandWords(text);
}

void takeApart(const QString& text)
{
    using namespace navlor;
    using namespace navlor::cmd;
    const BatchLine line = parseBatchLine(text);
    check(parseBatchLine(text).argumentText == line.argumentText, "not the same twice");
    if (line.kind != BatchLine::Kind::Command)
        check(line.redirections.isEmpty(), "redirections on a line that runs nothing");
    check(line.arguments == splitArguments(line.argumentText), "arguments not from their text");
    check(!line.command.contains(u'"'), "quote left in the command word");
    if (line.error.isEmpty()) {
        for (const Redirection& r : line.redirections) {
            check(r.handle >= 0 && r.handle <= 2, "handle out of range");
            check(r.duplicateOf <= 2, "copied handle out of range");
            check(r.duplicateOf >= 0 || !r.target.isEmpty(), "redirection without a target");
        }
    }
    if (line.internal)
        check(internalCommands().contains(line.command), "unknown internal command");

    // A plain line is the command word and its text, nothing lost.
    const QString plain = text.trimmed();
    if (line.kind == BatchLine::Kind::Command && !hasSpecial(text) && !plain.isEmpty() &&
        plain.at(0).isLetterOrNumber() && text.at(0) == plain.at(0)) {
        check((line.command + line.argumentText).compare(text, Qt::CaseInsensitive) == 0,
              "plain line changed");
    }

    PercentContext context;
    context.inBatch = text.size() % 2 == 0;
    context.parameters = {QStringLiteral("C:\\A.BAT"), QStringLiteral("\"x y\""), QString()};
    context.variable = [](const QString& name) {
        return name == QLatin1String("A") ? QStringLiteral("%B%") : QString();
    };
    const QString expanded = expandPercents(text, context);
    if (!text.contains(u'%'))
        check(expanded == text, "text without percents changed");
    parseBatchLine(expanded);

    IfCondition condition;
    if (parseIfCondition(text, condition))
        check(!condition.command.trimmed().isEmpty(), "condition without a command");
    for (const QString& parameter : splitBatchParameters(text))
        check(!parameter.isEmpty(), "empty batch parameter");
    takeApartGroups(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Batch files are Windows-1252: every byte is one character.
    takeApart(
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}

#ifdef NAVLOR_FUZZ_DRIVER
#include "tests/support/fuzz_driver.h"

int main(int argc, char** argv)
{
    const char interesting[] = {'"', '>', '<',  '|',    '&',    '^', '@', ':', '%',  '~', '=', ',',
                                ';', ' ', '\t', '\\',   '1',    '2', 'E', 'C', 'H',  'O', 'R', 'M',
                                '.', '*', '\0', '\xe7', '\xff', '/', '(', ')', '\r', '!'};
    const navlor::test::FuzzDriverShape shape{
        {interesting, sizeof interesting}, 80, 2000, "batch lines"};
    return navlor::test::runFuzzDriver(
        argc, argv,
        {
            "",
            "@",
            "\"",
            ">",
            ">>",
            "2>&",
            "2>&9",
            "^",
            "%",
            "%~",
            "%~dp",
            "%~9",
            ":",
            "::",
            "REM",
            "ECHO.",
            "IF",
            "IF NOT",
            "IF /I a==",
            "IF EXIST",
            "IF 1 EQU 1 (",
            "(ECHO a & ECHO b) || (",
            "x ^",
            "FOR /F \"tokens=1,2* delims=, eol=;\" %a IN ('x') DO (",
            "D:~-3,2",
            "P:*\\=/",
            "\"C:\\VALDOROW\\EXE\\ARJ.EXE\" A \"D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ\" "
            "\"C:\\VALDOROW\\DADOS\" *.DB *.MB -U -R -X*.ARJ",
            "ARJ.EXE L \"x.arj\" *.* > C:\\VALDOROTEMP\\LIST.LLL",
            "C:\\ARJ.EXE V  \"C:\\B.ARJ\" *.* >C:\\T\\LIST.LLL",
            "ECHO \"a > b\" 2>>\"C:\\x y\\z\" <in 1>&2",
        },
        shape, [](const QByteArray& bytes) { takeApart(QString::fromLatin1(bytes)); });
}
#endif
