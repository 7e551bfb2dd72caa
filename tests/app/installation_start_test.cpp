#include "app/installation_start.h"

#include "lib/platform/platform.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(InstallationStart, StartedElsewhereTheProgramMovesToItsInstallationLink)
{
    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    const QString program = prefix.root() + "/../navlor-binary";
    prefix.addDrive('d');
    prefix.write("D:\\OUTRO", "another program");
    QFile(program).open(QIODevice::WriteOnly);
    QDir().mkpath(prefix.host("C:\\VALDOROW"));
    ASSERT_TRUE(QFile::link(program, prefix.host("C:\\VALDOROW") + "/NAVLOR.EXE"));
    const QString link = prefix.host("C:\\VALDOROW\\NAVLOR.EXE");

    const QString other = prefix.host("D:\\OUTRO");
    const QList<std::pair<QString, std::pair<QString, bool>>> cases{
        {"Z:\\USR\\BIN\\NAVLOR", {program, true}},      // the desktop menu
        {"C:\\VALDOROW\\NAVLOR.EXE", {program, false}}, // already there
        {"c:\\valdorow\\navlor.exe", {program, false}}, // in any case
        {"Z:\\USR\\BIN\\NAVLOR", {other, false}},       // the link is another program's
    };
    for (const auto& [startedAs, run] : cases) {
        paths->programPathValue = startedAs;
        EXPECT_EQ(installationProgram(platform(), run.first), run.second ? link : QString())
            << startedAs.toStdString();
    }
}

} // namespace
} // namespace navlor
