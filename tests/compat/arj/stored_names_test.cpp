#include "compat/arj/stored_names.h"

#include "compat/arj/arj_names.h"
#include "compat/arj/host_arj.h"
#include "tests/support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace navlor::arj {
namespace {

TEST(ArjStoredPath, NamesThatCouldLeaveTheTargetAreRefused)
{
    const char* const refused[] = {
        "A\\..\\..\\X.DB", "../..\\X.DB", "..\\X.DB", "..",      "A/../X", "A/..",        "\\X.DB",
        "/X.DB",           "C:\\X.DB",    "C:X.DB",   "c:/X.DB", "A/B:C",  "X.DB:stream", "...\\X",
        ". .\\X",          "A/.. /X",     "",         ".",       "./",     "A\\\\..",
    };
    for (const char* name : refused)
        EXPECT_FALSE(safeStoredPath(QString::fromUtf8(name))) << name;
}

TEST(ArjStoredPath, OtherNamesAreSplitOnBothSeparators)
{
    const struct
    {
        const char* stored;
        QStringList components;
    } cases[] = {
        {"OK.DB", {"OK.DB"}},
        {"DADOS/Empresa1\\A.DB", {"DADOS", "Empresa1", "A.DB"}},
        {"./A//B\\.\\C", {"A", "B", "C"}},
        {".oculto/..x/x..", {".oculto", "..x", "x.."}},
        {"A B/x .y", {"A B", "x .y"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeStoredPath(QString::fromUtf8(c.stored)), c.components) << c.stored;
}

TEST(ArjStoredPath, LinksDoNotLeadOutOfTheTarget)
{
    QTemporaryDir dir;
    const QString target = dir.path() + "/target";
    const QString outside = dir.path() + "/outside";
    ASSERT_TRUE(QDir().mkpath(target + "/sub") && QDir().mkpath(outside));
    ASSERT_TRUE(QFile::link(outside, target + "/away"));
    ASSERT_TRUE(QFile::link(outside + "/x.db", target + "/dangling"));
    ASSERT_TRUE(QFile::link(target + "/sub", target + "/near"));
    // The target reached through a link of its own is still the target.
    ASSERT_TRUE(QFile::link(target, dir.path() + "/alias"));

    const std::pair<QString, bool> cases[] = {
        {target + "/new/deeper/A.DB", true}, {target + "/near/A.DB", true},
        {dir.path() + "/alias/A.DB", true},  {target + "/away/A.DB", false},
        {target + "/dangling", false},       {target + "/new/../../A.DB", false},
        {outside + "/A.DB", false},          {dir.path() + "/targetX/A.DB", false},
    };
    for (const auto& [path, inside] : cases)
        EXPECT_EQ(staysInside(target, path), inside) << path.toStdString();
    EXPECT_FALSE(staysInside(dir.path() + "/missing", target + "/A.DB"));
}

TEST(ArjStoredPath, SelectorAndListFileReadBothSeparatorsAndNoWildcards)
{
    EXPECT_TRUE(EntrySelector({"DADOS\\A.DB"}).selects("DADOS\\A.DB"));
    EXPECT_FALSE(EntrySelector({"\\A.DB"}).selects("DADOS\\A.DB"));
    EXPECT_TRUE(EntrySelector({"X.DB"}).selects("../..\\X.DB"));
    // A stored "*" or "?" is a name, not a pattern that takes other entries with it.
    EXPECT_EQ(listFileLine("D/*"), "D/[*]");
    EXPECT_EQ(listFileLine("a?b"), "a[?]b");
}

TEST(ArjHostRun, BoundGrowsWithTheArchiveUnlessSetForTheRun)
{
    for (const char* unset : {"", "0", "junk", "-5"}) {
        test::ScopedEnv env("NAVLOR_ARJ_TIMEOUT_SECONDS", unset);
        EXPECT_GE(hostArjTimeout(0), 300) << unset;
        EXPECT_GT(hostArjTimeout(qint64(4) << 30), hostArjTimeout(qint64(4) << 20)) << unset;
        EXPECT_GT(hostArjTimeout(qint64(1) << 50), 0) << unset;
    }
    test::ScopedEnv env("NAVLOR_ARJ_TIMEOUT_SECONDS", "7");
    EXPECT_EQ(hostArjTimeout(qint64(4) << 30), 7);
}

} // namespace
} // namespace navlor::arj
