#include "compat/arj/arj_command.h"

#include "lib/platform/command_line.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace navlor::arj {

namespace {

std::optional<Action> actionOf(const QString& word)
{
    if (word.size() != 1)
        return std::nullopt;
    switch (word.at(0).toUpper().unicode()) {
    case u'A':
        return Action::Add;
    case u'M':
        return Action::Move;
    case u'X':
        return Action::Extract;
    case u'E':
        return Action::ExtractFlat;
    case u'L':
        return Action::List;
    case u'V':
        return Action::Verbose;
    case u'T':
        return Action::Test;
    default:
        return std::nullopt;
    }
}

// What may follow a switch glued to it: the archive path of "-HF2D:\BKP\X.ARJ".
bool looksLikePath(const QString& text)
{
    return text.contains(u'\\') || text.contains(u':') || text.contains(u'.');
}

enum class Flag
{
    Update,
    Recurse,
    Yes,
    NewOnly,
    Ignored
};

struct FlagName
{
    const char* name;
    Flag flag;
};

// Longest first, so "-JE" is not read as "-J" followed by "E".
constexpr std::array<FlagName, 13> kFlags{{
    {"HF1", Flag::Ignored},
    {"HF2", Flag::Ignored},
    {"HF3", Flag::Ignored},
    {"HF4", Flag::Ignored},
    {"JE1", Flag::Ignored},
    {"HF", Flag::Ignored},
    {"JE", Flag::Ignored},
    {"H$", Flag::Ignored},
    {"J", Flag::Ignored},
    {"U", Flag::Update},
    {"R", Flag::Recurse},
    {"Y", Flag::Yes},
    {"N", Flag::NewOnly},
}};

void apply(Flag flag, const QString& text, CommandLine& line)
{
    switch (flag) {
    case Flag::Update:
        line.update = true;
        break;
    case Flag::Recurse:
        line.recurse = true;
        break;
    case Flag::Yes:
        line.yes = true;
        break;
    case Flag::NewOnly:
        line.newOnly = true;
        break;
    case Flag::Ignored:
        line.ignored << u'-' + text;
        break;
    }
}

// One switch without its dash. `glued` receives a path written against the switch.
bool readSwitch(const QString& text, CommandLine& line, QString& glued)
{
    const QString upper = text.toUpper();
    if (upper.startsWith(QLatin1String("HT"))) {
        line.target = text.mid(2);
        return true;
    }
    if (upper.startsWith(u'X')) {
        // "-X" alone (two blanks between exclusion masks) excludes nothing.
        const QString mask = text.mid(1).trimmed();
        if (!mask.isEmpty())
            line.excludes << mask;
        return true;
    }
    if (upper.startsWith(u'V')) {
        line.volumes = true; // -VA, -V360...
        return true;
    }
    for (const FlagName& f : kFlags) {
        const QLatin1String name(f.name);
        if (!upper.startsWith(name))
            continue;
        const QString rest = text.mid(name.size());
        if (!rest.isEmpty() && !looksLikePath(rest))
            return false;
        apply(f.flag, text.left(name.size()).toUpper(), line);
        glued = rest;
        return true;
    }
    return false;
}

// A quoted path that ends in "\" ("C:\DADOS\" or "-HTC:\") reaches the program with the
// backslash taken as an escape of the closing quote: a literal quote in its place and the rest
// of the line glued on. No Windows name holds a quote, so the quote is put back as the
// backslash and the rest taken as the arguments it was meant to be.
QStringList repairEscapedQuotes(const QStringList& arguments)
{
    QStringList repaired;
    for (const QString& arg : arguments) {
        const qsizetype quote = arg.indexOf(u'"');
        if (quote < 0) {
            repaired << arg;
            continue;
        }
        repaired << arg.left(quote) + u'\\';
        QString rest = arg.mid(quote + 1);
        rest.remove(u'"');
        repaired += rest.split(u' ', Qt::SkipEmptyParts);
    }
    return repaired;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool haveAction = false;
    bool haveArchive = false;
    bool switchesEnded = false;
    auto takeWord = [&](const QString& word) {
        if (!haveAction) {
            const std::optional<Action> action = actionOf(word);
            if (!action) {
                if (line.error.isEmpty())
                    line.error = QStringLiteral("Unsupported command: ") + word;
                return;
            }
            line.action = *action;
            haveAction = true;
        } else if (!haveArchive) {
            // The operator option "H$" is offered without its dash; before the archive it
            // can only be meant as the switch.
            if (word.compare(QLatin1String("H$"), Qt::CaseInsensitive) == 0) {
                line.ignored << QStringLiteral("-H$");
                return;
            }
            line.archive = word;
            haveArchive = true;
        } else {
            line.names << word;
        }
    };

    for (const QString& arg : repairEscapedQuotes(arguments)) {
        if (!switchesEnded && arg.startsWith(u'-')) {
            if (arg == u'-' || arg == QLatin1String("--")) {
                switchesEnded = true;
                continue;
            }
            QString glued;
            if (!readSwitch(arg.mid(1), line, glued)) {
                if (line.error.isEmpty())
                    line.error = QStringLiteral("Invalid switch: ") + arg;
                continue;
            }
            if (!glued.isEmpty())
                takeWord(glued);
            continue;
        }
        if (!arg.isEmpty())
            takeWord(arg);
    }
    if (line.error.isEmpty() && !haveAction)
        line.error = QStringLiteral("No command given");
    else if (line.error.isEmpty() && !haveArchive)
        line.error = QStringLiteral("No archive name given");
    return line;
}

QStringList dosArguments(const QString& arguments)
{
    QStringList result;
    QString arg;
    bool inArgument = false;
    bool quoted = false;
    for (const QChar c : arguments) {
        if (c == u'"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (inArgument)
                result << std::exchange(arg, QString());
            inArgument = false;
        } else {
            arg += c;
            inArgument = true;
        }
    }
    if (inArgument)
        result << arg;
    return result;
}

QStringList commandArguments(const QStringList& argv, const QString& rawCommandLine)
{
    if (rawCommandLine.isEmpty() || splitCommandLine(rawCommandLine).mid(1) != argv)
        return argv;
    return dosArguments(splitProgramToken(rawCommandLine).rest);
}

QString withArchiveExtension(const QString& archive)
{
    const qsizetype slash = std::max(archive.lastIndexOf(u'\\'), archive.lastIndexOf(u':'));
    const QString name = archive.mid(slash + 1);
    if (name.isEmpty() || name.contains(u'.'))
        return archive;
    return archive + QStringLiteral(".ARJ");
}

} // namespace navlor::arj
