#include "lib/system_info.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(VersionText, EveryKnownVersion)
{
    struct Row
    {
        VersionRecord record;
        const char* text;
    };
    const Row rows[] = {
        {{0, 3, 11, 0, ""}, "Microsoft Windows 3.11, Build: 0"},
        {{1, 4, 0, 67109814, "B"}, "Microsoft Windows 95, Build: 67109814"},
        {{1, 4, 10, 67766222, " A "}, "Microsoft Windows 98 SE, Build: 67766222"},
        {{1, 4, 10, 67766446, ""}, "Microsoft Windows 98, Build: 67766446"},
        {{1, 4, 10, 1998, "A"}, "Microsoft Windows 98, Build: 1998"},
        {{1, 4, 90, 73010104, " "}, "Microsoft Windows Me, Build: 73010104"},
        {{1, 4, 20, 1, "x"}, ", Build: 1"},
        {{2, 3, 51, 1057, ""}, "Microsoft Windows NT 3.51, Build: 1057"},
        {{2, 4, 0, 1381, "Service Pack 6"},
         "Microsoft Windows NT 4.0 Service pack: Service Pack 6, Build: 1381"},
        {{2, 5, 0, 2195, "Service Pack 4"},
         "Microsoft Windows 2000 Service pack: Service Pack 4, Build: 2195"},
        {{2, 5, 1, 2600, "Service Pack 2"},
         "Microsoft Windows XP Service pack: Service Pack 2, Build: 2600"},
        {{2, 5, 1, 2600, ""}, "Microsoft Windows XP, Build: 2600"},
        {{2, 5, 2, 3790, "Service Pack 1"}, " Service pack: Service Pack 1, Build: 3790"},
        {{2, 6, 1, 7601, ""}, ", Build: 7601"},
        {{3, 5, 1, 2600, "Service Pack 3"}, ", Build: 2600"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(versionText(row.record), QString::fromLatin1(row.text)) << row.text;
}

class OddSystem : public test::ForwardingPlatform
{
public:
    VersionRecord versionRecord() override { return {1, 4, 10, 2222, " A"}; }
    QString windowsDirectory() override { return QString(300, u'W') + QChar(u'\0'); }
    QString computerName() override { return QStringLiteral("SERVIDOR") + QChar(u'\0') + "X"; }
};

TEST(SystemInfo, QueriesTheInstalledPlatform)
{
    test::TempPrefix prefix;
    EXPECT_EQ(VERSAO_WINDOWS(), versionText(platform().versionRecord()));
    EXPECT_FALSE(DIR_WINDOWS().isEmpty());
    EXPECT_FALSE(DIR_WINDOWS().endsWith(u'\\'));
    EXPECT_LE(NOME_COMPUTADOR().size(), 15);

    test::ScopedPlatform<OddSystem> odd;
    EXPECT_EQ(VERSAO_WINDOWS(), "Microsoft Windows 98 SE, Build: 2222");
    EXPECT_EQ(DIR_WINDOWS(), QString(255, u'W'));
    EXPECT_EQ(NOME_COMPUTADOR(), "SERVIDOR");
}

TEST(SystemInfo, ComputerNameKeepsFifteenCharacters)
{
    class Named : public test::ForwardingPlatform
    {
    public:
        QString name;
        QString computerName() override { return name; }
    };
    test::TempPrefix prefix;
    test::ScopedPlatform<Named> named;
    named->name = "ABCDEFGHIJKLMNO";
    EXPECT_EQ(NOME_COMPUTADOR(), "ABCDEFGHIJKLMNO");
    named->name = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(NOME_COMPUTADOR(), "ABCDEFGHIJKLMNO");
}

} // namespace
} // namespace navlor
