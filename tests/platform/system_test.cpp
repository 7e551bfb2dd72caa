#include "lib/platform/clock.h"

#include "tests/platform/platform_fixture.h"

namespace navlor::test {
namespace {

using SystemInfo = PlatformTest;

TEST_F(SystemInfo, VersionRecordDefaultsToWindowsXp)
{
    const VersionRecord r = platform().versionRecord();
    EXPECT_EQ(r.platformId, 2);
    EXPECT_EQ(r.major, 5);
    EXPECT_EQ(r.minor, 1);
    EXPECT_EQ(r.build, 2600);
    EXPECT_EQ(r.servicePack, "Service Pack 3");
    EXPECT_EQ(platform().windowsDirectory(), "C:\\WINDOWS");
    EXPECT_TRUE(platform().directoryExists(platform().windowsDirectory()));
}

TEST_F(SystemInfo, SystemIniSetsTheVersionAndTheWindowsDirectory)
{
    QFile ini(prefix.root() + "/system.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("; Windows 98 SE on D:\n"
              "[version]\r\n"
              "PlatformId = 1\r\n"
              "minor=10\n"
              "Build=67766446\n"
              "Major=not a number\n"
              "ServicePack=\" A \"\n"
              "WindowsDirectory=D:\\WIN98\\\n");
    ini.close();
    const VersionRecord r = platform().versionRecord();
    EXPECT_EQ(r.platformId, 1);
    EXPECT_EQ(r.major, 5); // unreadable: the default stays
    EXPECT_EQ(r.minor, 10);
    EXPECT_EQ(r.build, 67766446);
    EXPECT_EQ(r.servicePack, " A "); // quoted, it keeps the blanks that make it SE
    EXPECT_EQ(platform().windowsDirectory(), "D:\\WIN98");
}

TEST_F(SystemInfo, EmptyServicePackStaysEmpty)
{
    QFile ini(prefix.root() + "/system.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Version]\nServicePack=\n");
    ini.close();
    EXPECT_EQ(platform().versionRecord().servicePack, "");
}

TEST_F(SystemInfo, ComputerNameIsAShortCapitalName)
{
    const QString name = platform().computerName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 15);
    EXPECT_EQ(name, name.toUpper());
    EXPECT_FALSE(name.contains('.'));
    EXPECT_TRUE(QSysInfo::machineHostName().toUpper().startsWith(name) || name == "LOCALHOST");
}

TEST(Clock, FakeClockSleepsInVirtualTime)
{
    FakeClock clock(QDateTime(QDate(2026, 1, 1), QTime(23, 59, 59)));
    clock.sleep(1500);
    clock.sleep(-5);
    EXPECT_EQ(clock.now(), QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0, 500)));
    EXPECT_EQ(clock.sleptMilliseconds(), 1500);
}

TEST(Clock, PlatformKeepsTheClockItIsGiven)
{
    TempPrefix prefix;
    prefix.clock().sleep(60000);
    EXPECT_EQ(platform().clock().now(), QDateTime(QDate(2026, 12, 7), QTime(8, 1)));
    // without a clock of its own the platform falls back to the host's
    platform().setClock(nullptr);
    EXPECT_LE(qAbs(platform().clock().now().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(PlatformAccessor, ReplacedAsAWhole)
{
    TempPrefix outer;
    Platform* installed = &platform();
    auto replacement = std::make_unique<PosixPlatform>(outer.root());
    Platform* inner = replacement.get();
    auto previous = setPlatform(std::move(replacement));
    EXPECT_EQ(previous.get(), installed);
    EXPECT_EQ(&platform(), inner);
    auto back = setPlatform(std::move(previous));
    EXPECT_EQ(back.get(), inner);
    EXPECT_EQ(&platform(), installed);
}

} // namespace
} // namespace navlor::test
