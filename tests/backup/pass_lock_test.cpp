#include "backup/destination_leftovers.h"
#include "backup/pass_lock.h"

#include "lib/platform/interruption.h"
#include "tests/support/temp_prefix.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace navlor {
namespace {

const QString kData = QStringLiteral("C:\\VALDORO\\NAVLOR");

TEST(PassLock, OnePassAtATimeNestedHoldersShareItAndAWaitEnds)
{
    test::TempPrefix prefix;
    prefix.mkdir(kData);
    int waits = 0;
    {
        const PassLock pass(kData, 0, [&] { ++waits; });
        ASSERT_TRUE(pass.held());
        const QDateTime since = *PassLock::heldSince();
        prefix.clock().sleep(5000);
        {
            const PassLock run(kData, 0, [&] { ++waits; }); // "Executar" inside the pass
            EXPECT_TRUE(run.held());
        }
        EXPECT_EQ(PassLock::heldSince(), since); // still the pass's own
        EXPECT_EQ(waits, 0);
    }
    EXPECT_FALSE(PassLock::heldSince());

    // Held by another holder of the file (a lock of its own, as another process has it).
    std::unique_ptr<FileLock> other = platform().tryLockFile(passLockPath(kData));
    ASSERT_TRUE(other);
    int ticks = 0;
    const QDateTime before = prefix.clock().now();
    {
        const PassLock second(
            kData, 7, [&] { ++waits; }, [&] { ++ticks; });
        EXPECT_FALSE(second.held());
    }
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(ticks, 7);
    EXPECT_EQ(before.secsTo(prefix.clock().now()), 7);

    // A request to end the program ends the wait at once.
    requestInterrupt();
    {
        const PassLock third(kData, 600, {});
        EXPECT_FALSE(third.held());
    }
    clearInterruptRequest();
    EXPECT_EQ(before.secsTo(prefix.clock().now()), 7);

    // So does the operator's cancel, made while the wait ticks.
    {
        CancelRequest cancel;
        const PassLock fourth(kData, 600, {}, [&] { cancel.cancel(); });
        EXPECT_FALSE(fourth.held());
    }
    EXPECT_EQ(before.secsTo(prefix.clock().now()), 8);

    other.reset();
    {
        const PassLock free(kData, 0, {});
        EXPECT_TRUE(free.held());
    }

    // Where no lock file can be made, nobody holds one: no wait.
    const PassLock nowhere(QStringLiteral("C:\\NAO\\EXISTE"), 600, [&] { ++waits; });
    EXPECT_TRUE(nowhere.held());
    EXPECT_EQ(waits, 1);
}

TEST(DestinationLeftovers, OnlyWhatAKilledArchiverLeftBeforeTheLockGoes)
{
    test::TempPrefix prefix;
    const QString destination = QStringLiteral("C:\\BKP");
    const QDateTime lockedAt = QDateTime::currentDateTime();
    struct Entry
    {
        const char* name;
        int ageSeconds; // before the lock
        bool removed;
    };
    const QList<Entry> entries{
        {"ARJTEMP.$00", 3600, true},  {"ARJTEMP.$07", 60, true},
        {"ARJTEMP.$01", -30, false},  // written after the lock: another installation's run
        {"ARJTEMP.TXT", 3600, false}, // not a name the archiver makes
        {"ARJTEMP.$0A", 3600, false}, {"BKP00_01_DIARIO.ARJ", 3600, false},
    };
    for (const Entry& entry : entries) {
        const QString path = destination + u'\\' + QString::fromLatin1(entry.name);
        prefix.write(path, "x");
        QFile file(prefix.host(path));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.setFileTime(lockedAt.addSecs(-entry.ageSeconds), QFileDevice::FileModificationTime);
    }
    // The stand-in's work directory a kill left, with the archive and its temporary inside.
    prefix.write(destination + "\\ARJTEMP-a1b2c3\\BKP00_01_DIARIO.ARJ", "half");
    prefix.write(destination + "\\ARJTEMP-a1b2c3\\ARJTEMP.$00", "half");
    const timespec tenMinutesAgo{lockedAt.toSecsSinceEpoch() - 600, 0};
    const timespec times[2]{tenMinutesAgo, tenMinutesAgo};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD,
                    QFile::encodeName(prefix.host(destination + "\\ARJTEMP-a1b2c3")).constData(),
                    times, 0),
        0);
    // A link named like a leftover points at a file that must stay.
    prefix.write("C:\\VICTIM.TXT", "mine");
    ASSERT_TRUE(
        QFile::link(prefix.host("C:\\VICTIM.TXT"), prefix.host(destination + "\\ARJTEMP.$02")));

    const QStringList removed = removeArchiverLeftovers(destination, lockedAt);
    QStringList expected{destination + "\\ARJTEMP-a1b2c3", destination + "\\ARJTEMP.$02"};
    for (const Entry& entry : entries) {
        if (entry.removed)
            expected << destination + u'\\' + QString::fromLatin1(entry.name);
        EXPECT_EQ(QFile::exists(prefix.host(destination + u'\\' + QString::fromLatin1(entry.name))),
                  !entry.removed)
            << entry.name;
    }
    QStringList sorted = removed;
    sorted.sort();
    expected.sort();
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(prefix.read("C:\\VICTIM.TXT"), "mine");
    EXPECT_FALSE(QFileInfo::exists(prefix.host(destination + "\\ARJTEMP-a1b2c3")));
}

} // namespace
} // namespace navlor
