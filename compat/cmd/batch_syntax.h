#pragma once

// How the command interpreter groups what it reads: lines continued by "^", parenthesised
// blocks over several lines, commands joined by "&", "&&", "||" and "|", and the words of an
// internal command. Pure text work like batch_line.h, and fuzzed with it.

#include <QList>
#include <QString>
#include <QStringList>

namespace navlor::cmd {

// The logical line that starts at lines[next]: a "^" at the end of a line joins the next one
// to it, and an open block "(" takes the lines up to its ")" (joined by "\n", which separates
// commands as "&" does). `next` is moved past what was read; it always moves when
// next < lines.size().
QString readLogicalLine(const QStringList& lines, qsizetype& next);

// Blocks "(" still open at the end of `text`.
int openBlocks(const QString& text);

// The ")" that closes the block opening at `open`, or -1.
qsizetype closingParenthesis(const QString& text, qsizetype open);

// One command of a line and how it hangs on the one before.
struct ChainPart
{
    enum class Link
    {
        Always,    // first, "&" or a new line of a block
        IfSuccess, // "&&"
        IfFailure, // "||"
        Pipe       // "|": reads what the one before wrote
    };
    Link link = Link::Always;
    QString text;
};
// The commands of a line. IF, FOR and REM take the rest of the line, blocks stay whole, and
// escaped or quoted operators and "2>&1" do not split.
QList<ChainPart> splitCommandChain(const QString& text);

// An internal command's words as cmd splits them: at blanks outside quotes, quotes removed,
// so that "D:\DIR\" is a folder and not an escaped quote.
QStringList splitCommandWords(const QString& text);

// "%NAME:~n,m%" and "%NAME:a=b%", "%NAME:*a=b%": `operation` is the text after the colon.
// False when it is neither form.
bool applyVariableOperation(const QString& value, const QString& operation, QString& result);

// The options of FOR /F: "tokens=1,3* delims=,; skip=2 eol=# usebackq".
struct ForFileOptions
{
    QList<int> tokens{1};    // ascending, 1-based
    bool restOfLine = false; // "*": one more variable gets the rest of the line
    QString delimiters = QStringLiteral(" \t");
    QChar endOfLine = u';';
    int skip = 0;
    bool backQuotes = false;
    QString error;
};
ForFileOptions parseForFileOptions(const QString& options);
// The values of one line for the variables of `options`, in order; empty when the line gives
// none.
QStringList forFileTokens(const QString& line, const ForFileOptions& options);

} // namespace navlor::cmd
