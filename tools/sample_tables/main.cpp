// navlor-sample-tables: real Paradox tables, through pxlib.
//   write PATH.DB ROWS [--index] [--memo]  a table of customer rows, the same bytes every time;
//                                          --index adds the primary key and its PATH.PX,
//                                          --memo an OBS memo field and its PATH.MB
//   check PATH.DB                          the check a backup makes of a table: exit 0 when it
//                                          holds together, 1 when not, with the reason
//   churn PATH.DB ROWS SECONDS [QUIET_MS]  rewrites the table in place for SECONDS seconds, as
//                                          a client would, so that a copy taken meanwhile is torn;
//                                          QUIET_MS: a pause after each whole rewrite

#include "lib/databases/paradox_table.h"
#include "tools/sample_tables/sample_table.h"
#include "tools/sample_tables/table_churn.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

constexpr int kUsage = 2;

int usage()
{
    std::fputs("uso: navlor-sample-tables write TABELA.DB REGISTROS [--index] [--memo]\n"
               "     navlor-sample-tables check TABELA.DB\n"
               "     navlor-sample-tables churn TABELA.DB REGISTROS SEGUNDOS [PAUSA_MS]\n",
               stderr);
    return kUsage;
}

std::optional<int> count(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? std::optional<int>(value) : std::nullopt;
}

int report(const QString& path, const navlor::DatabaseOutcome& outcome)
{
    if (outcome.ok)
        return 0;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(outcome.reason));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() < 2)
        return usage();
    const QString& mode = arguments.at(0);
    const QString& path = arguments.at(1);

    if (mode == QLatin1String("check") && arguments.size() == 2) {
        const navlor::DatabaseOutcome outcome = navlor::checkParadoxTableFile(path);
        std::printf("%s: %s\n", qPrintable(path), outcome.ok ? "ok" : qPrintable(outcome.reason));
        return outcome.ok ? 0 : 1;
    }
    if (mode == QLatin1String("write") && arguments.size() >= 3) {
        navlor::SampleTable table;
        table.path = path;
        for (const QString& option : arguments.mid(3)) {
            if (option == QLatin1String("--index"))
                table.index = true;
            else if (option == QLatin1String("--memo"))
                table.memo = true;
            else
                return usage();
        }
        const std::optional<int> rows = count(arguments.at(2));
        if (!rows)
            return usage();
        table.rows = *rows;
        return report(path, navlor::writeSampleTable(table));
    }
    if (mode == QLatin1String("churn") && (arguments.size() == 4 || arguments.size() == 5)) {
        const std::optional<int> rows = count(arguments.at(2));
        const std::optional<int> seconds = count(arguments.at(3));
        const std::optional<int> quiet =
            arguments.size() == 5 ? count(arguments.at(4)) : std::optional<int>(0);
        // a rewrite takes up to half as many rows again
        if (!rows || !seconds || !quiet || *rows < 1 ||
            *rows > navlor::largestSampleTable(true) / 2)
            return usage();
        return report(path, navlor::churnSampleTable(path, *rows, *seconds, *quiet));
    }
    return usage();
}
