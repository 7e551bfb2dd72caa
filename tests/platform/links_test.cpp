#include "tests/platform/platform_fixture.h"

#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace navlor::test {
namespace {

// The type and rights of the host path itself; 0 when nothing is there.
mode_t modeOf(const QString& hostPath)
{
    struct stat st;
    return ::lstat(QFile::encodeName(hostPath).constData(), &st) == 0 ? st.st_mode : 0;
}

// A link planted in a shared folder, to a file (or a directory) of someone else's outside it.
class Links : public PlatformTest
{
protected:
    enum Target
    {
        File,
        Directory,
        Dangling
    };
    static constexpr Target kTargets[] = {File, Directory, Dangling};

    struct Planted
    {
        Target target;
        QString name;   // Windows path of the link
        QString victim; // host path of what it names
    };

    Links() { prefix.mkdir("C:\\SHARED"); }

    // A new link in the shared folder, to a new victim made as `target` says.
    Planted plant(Target target)
    {
        const QString n = QString::number(++m_planted);
        const Planted planted{target, "C:\\SHARED\\F" + n + ".TXT", prefix.root() + "/victim" + n};
        QFile file(planted.victim);
        if (target == Directory) {
            EXPECT_TRUE(QDir().mkpath(planted.victim));
        } else if (target == File) {
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kVictimBytes) > 0);
            EXPECT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)); // 0600
        }
        EXPECT_TRUE(QFile::link(planted.victim, prefix.host(planted.name)));
        return planted;
    }

    // The victim as it was planted, or still missing.
    static void expectUntouched(const Planted& planted)
    {
        const mode_t mode = modeOf(planted.victim);
        if (planted.target == Dangling) {
            EXPECT_EQ(mode, 0u);
        } else if (planted.target == Directory) {
            EXPECT_TRUE(S_ISDIR(mode) && QDir(planted.victim).isEmpty());
        } else {
            EXPECT_EQ(mode, S_IFREG | 0600u);
            QFile file(planted.victim);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), kVictimBytes);
        }
    }

    static inline const QByteArray kVictimBytes = "root's own file\n";
    int m_planted = 0;
};

TEST_F(Links, WriteReplacesTheLinkAndNeverWhatItNames)
{
    const mode_t oldMask = ::umask(022);
    for (const Target target : kTargets) {
        SCOPED_TRACE(int(target));
        const Planted planted = plant(target);
        EXPECT_TRUE(platform().writeFile(planted.name, "new"));
        expectUntouched(planted);
        // a file of its own, with rights of its own rather than those of what the link named
        EXPECT_EQ(modeOf(prefix.host(planted.name)), S_IFREG | 0644u);
        EXPECT_EQ(prefix.read(planted.name), "new");
    }
    ::umask(oldMask);
}

TEST_F(Links, AppendStartsANewFileInPlaceOfTheLink)
{
    for (const Target target : kTargets) {
        SCOPED_TRACE(int(target));
        const Planted planted = plant(target);
        EXPECT_EQ(platform().appendToFile(planted.name, "one\r\n"), AppendOutcome::LinkReplaced);
        EXPECT_EQ(platform().appendToFile(planted.name, "two\r\n"), AppendOutcome::Appended);
        expectUntouched(planted);
        EXPECT_TRUE(S_ISREG(modeOf(prefix.host(planted.name))));
        EXPECT_EQ(prefix.read(planted.name), "one\r\ntwo\r\n");
    }
}

TEST_F(Links, DeleteAndRemoveLinkTakeTheLinkWhateverItNames)
{
    for (const bool viaDelete : {true, false}) {
        for (const Target target : kTargets) {
            SCOPED_TRACE(testing::Message() << int(target) << " delete " << viaDelete);
            const Planted planted = plant(target);
            // what the link names is held open: that is no reason to keep the link
            QFile held(planted.victim);
            if (target == File) {
                ASSERT_TRUE(held.open(QIODevice::ReadOnly));
            }
            EXPECT_TRUE(platform().isLink(planted.name));
            EXPECT_TRUE(viaDelete ? platform().deleteFile(planted.name)
                                  : platform().removeLink(planted.name));
            EXPECT_EQ(modeOf(prefix.host(planted.name)), 0u);
            held.close();
            expectUntouched(planted);
        }
    }
}

TEST_F(Links, OnlyALinkIsALinkOrRemovedAsOne)
{
    touch("C:\\SHARED\\FILE.TXT");
    prefix.mkdir("C:\\SHARED\\DIR");
    for (const char* name : {"C:\\SHARED\\FILE.TXT", "C:\\SHARED\\DIR", "C:\\SHARED\\NADA"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(platform().isLink(name));
        EXPECT_FALSE(platform().removeLink(name));
    }
    EXPECT_TRUE(platform().fileExists("C:\\SHARED\\FILE.TXT"));
    EXPECT_TRUE(platform().directoryExists("C:\\SHARED\\DIR"));
}

TEST_F(Links, ALockIsNotTakenThroughALink)
{
    for (const Target target : {File, Dangling}) {
        SCOPED_TRACE(int(target));
        const Planted planted = plant(target);
        EXPECT_FALSE(platform().tryLockFile(planted.name));
        expectUntouched(planted);
    }
}

// Another user keeps putting a link at the name while the file is written again and again.
TEST_F(Links, WritesRacingALinkPlanterNeverReachTheVictim)
{
    const Planted planted = plant(File);
    const QByteArray name = QFile::encodeName(prefix.host(planted.name));
    const QByteArray spare = name + ".planted";
    const QByteArray target = QFile::encodeName(planted.victim);
    std::atomic<bool> stop = false;
    std::atomic<int> plantings = 0;
    std::thread planter([&] {
        while (!stop) {
            ::unlink(spare.constData());
            if (::symlink(target.constData(), spare.constData()) == 0 &&
                ::rename(spare.constData(), name.constData()) == 0)
                ++plantings;
        }
    });
    int written = 0;
    for (int i = 0; i < 200; ++i)
        written += platform().writeFile(planted.name, QByteArray::number(i)) ? 1 : 0;
    stop = true;
    planter.join();
    EXPECT_GT(plantings, 0);
    EXPECT_EQ(written, 200);
    expectUntouched(planted);
}

} // namespace
} // namespace navlor::test
