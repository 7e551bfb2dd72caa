// Data written while it is archived: databases frozen and thawed whatever happens, files that
// changed archived again with their table, the frozen ones left for the next start thawed.

#include "backup/changed_files.h"
#include "backup/database_freeze.h"

#include "tests/support/fake_database_tools.h"
#include "tests/support/temp_prefix.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

using test::FakeDatabaseTools;

class LiveData : public ::testing::Test
{
protected:
    LiveData()
    {
        auto tools = std::make_unique<FakeDatabaseTools>();
        fake = tools.get();
        installed = std::make_unique<test::InstalledTools>(std::move(tools));
        prefix.mkdir(QStringLiteral("C:\\VALDORO\\NAVLOR"));
    }
    QString listText() const
    {
        const QString list = prefix.host(frozenListPath(data));
        QFile file(list);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    SelectedFile file(const QString& path, const QByteArray& bytes)
    {
        prefix.write(path, bytes);
        return SelectedFile{path, path.mid(3), bytes.size(), {}};
    }

    test::TempPrefix prefix;
    FakeDatabaseTools* fake = nullptr;
    std::unique_ptr<test::InstalledTools> installed;
    const QString data = QStringLiteral("C:\\VALDORO\\NAVLOR");
};

TEST_F(LiveData, FreezeWritesTheListFirstAndThawsOnEveryWayOut)
{
    const QStringList dbs =
        firebirdDatabases({QStringLiteral("C:\\D\\A.FDB"), QStringLiteral("C:\\D\\A.DB"),
                           QStringLiteral("C:\\D\\b.gdb"), QStringLiteral("C:\\D\\A.FDB.delta")});
    EXPECT_EQ(dbs, QStringList({QStringLiteral("C:\\D\\A.FDB"), QStringLiteral("C:\\D\\b.gdb")}));
    prefix.mkdir(QStringLiteral("C:\\D"));
    {
        DatabaseFreeze freeze(data);
        EXPECT_TRUE(freeze.freeze(dbs).isEmpty());
        EXPECT_EQ(freeze.frozen(), dbs);
        EXPECT_EQ(listText(), QStringLiteral("C:\\D\\A.FDB\r\nC:\\D\\b.gdb\r\n"));
    } // a run that returns early thaws on its way out
    EXPECT_TRUE(fake->frozen.isEmpty());
    EXPECT_EQ(fake->calls,
              QStringList({"freeze A.FDB", "freeze b.gdb", "thaw A.FDB", "thaw b.gdb"}));
    EXPECT_TRUE(listText().isEmpty());

    fake->refuseFreeze = true;
    DatabaseFreeze refused(data);
    const QList<DatabaseFreeze::Failure> failures = refused.freeze(dbs);
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures[0].reason, QStringLiteral("servidor Firebird indisponível"));
    EXPECT_TRUE(refused.frozen().isEmpty());
    EXPECT_TRUE(listText().isEmpty()); // nothing frozen, nothing left to thaw

    // An old on-disk format or one frozen by someone else is not asked of the server.
    fake->refuseFreeze = false;
    fake->old.insert(QStringLiteral("b.gdb"));
    fake->frozen.insert(prefix.host(dbs[0]));
    fake->calls.clear();
    DatabaseFreeze skipped(data);
    const QList<DatabaseFreeze::Failure> reasons = skipped.freeze(dbs);
    ASSERT_EQ(reasons.size(), 2);
    EXPECT_EQ(reasons[0].reason, QStringLiteral("já congelado por outro BKP"));
    EXPECT_EQ(reasons[1].reason, QStringLiteral("formato antigo, o servidor não o abre"));
    EXPECT_TRUE(fake->calls.isEmpty());
}

TEST_F(LiveData, LeftoversOfAKilledRunAreThawedAtTheNextStart)
{
    prefix.mkdir(QStringLiteral("C:\\D"));
    const QStringList dbs{QStringLiteral("C:\\D\\A.FDB"), QStringLiteral("C:\\D\\B.FDB")};
    {
        auto freeze = new DatabaseFreeze(data); // never destroyed: as a kill -9 leaves it
        (void)freeze->freeze(dbs);
    }
    fake->frozen.remove(prefix.host(dbs[1])); // killed before B was frozen
    fake->calls.clear();
    EXPECT_EQ(thawLeftovers(data),
              QStringList({QStringLiteral("ATENÇÃO - banco descongelado após BKP interrompido: "
                                          "C:\\D\\A.FDB")}));
    EXPECT_EQ(fake->calls, QStringList({"thaw A.FDB"}));
    EXPECT_TRUE(listText().isEmpty());
    EXPECT_TRUE(thawLeftovers(data).isEmpty());

    // One the server will not thaw stays listed for the next try.
    DatabaseFreeze* again = new DatabaseFreeze(data);
    (void)again->freeze({dbs[0]});
    fake->refuseThaw = true;
    const QStringList lines = thawLeftovers(data);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ERRO - "))) << lines[0].toStdString();
    EXPECT_EQ(listText(), QStringLiteral("C:\\D\\A.FDB\r\n"));
}

TEST_F(LiveData, CompanionsAreTheFilesOfTheSameTable)
{
    auto f = [](const char* path) { return SelectedFile{QString::fromLatin1(path), {}, 0, {}}; };
    const QList<SelectedFile> selected{
        f("C:\\D\\CLI.DB"),  f("C:\\D\\cli.px"),  f("C:\\D\\CLI.MB"),
        f("C:\\D\\CLI.X02"), f("C:\\D\\CLI.YA1"), f("C:\\D\\CLI.TXT"),
        f("C:\\E\\CLI.DB"),  f("C:\\D\\PRO.DB"),  f("C:\\D\\CLI.VAL")};
    EXPECT_EQ(withTableCompanions({QStringLiteral("C:\\D\\CLI.MB")}, selected),
              QStringList({"C:\\D\\CLI.DB", "C:\\D\\cli.px", "C:\\D\\CLI.MB", "C:\\D\\CLI.X02",
                           "C:\\D\\CLI.YA1", "C:\\D\\CLI.VAL"}));
    EXPECT_EQ(withTableCompanions({QStringLiteral("C:\\D\\CLI.TXT")}, selected),
              QStringList({"C:\\D\\CLI.TXT"}));
    EXPECT_EQ(withTableCompanions({QStringLiteral("C:\\D\\NEW.FDB")}, selected),
              QStringList({"C:\\D\\NEW.FDB"}));
}

TEST_F(LiveData, ChangedFilesAreArchivedAgainUntilTheyKeepStill)
{
    const QList<SelectedFile> selected{
        file(QStringLiteral("C:\\D\\CLI.DB"), "v1"), file(QStringLiteral("C:\\D\\CLI.PX"), "i1"),
        file(QStringLiteral("C:\\D\\PRO.DB"), "p1"), file(QStringLiteral("C:\\D\\V.FDB"), "f1"),
        file(QStringLiteral("C:\\D\\TMP.DB"), "t1")};
    struct Case
    {
        const char* name;
        int writesDuringRounds; // rounds in which the writer changes CLI.DB again
        bool ok;
        int rounds;
    };
    for (const Case c :
         {Case{"quiet after the first pause", 0, true, 1},
          Case{"quiet after the third", 2, true, 3}, Case{"never quiet", 3, false, 3}}) {
        ChangeWatch watch(selected, {QStringLiteral("C:\\D\\V.FDB")});
        prefix.write(QStringLiteral("C:\\D\\CLI.DB"), "v2-longer"); // during the archive
        prefix.write(QStringLiteral("C:\\D\\V.FDB"), "frozen-db-merged");
        QFile::remove(prefix.host(QStringLiteral("C:\\D\\TMP.DB"))); // deleted meanwhile
        QList<QStringList> given;
        const qint64 before = prefix.clock().now().toMSecsSinceEpoch();
        const RearchiveOutcome outcome =
            archiveChangedAgain(watch, selected, [&](const QStringList& files) {
                given << files;
                if (given.size() <= c.writesDuringRounds)
                    prefix.write(QStringLiteral("C:\\D\\CLI.DB"),
                                 QByteArray(given.size() + 2, 'v'));
                return 0;
            });
        EXPECT_EQ(outcome.ok, c.ok) << c.name;
        EXPECT_EQ(given.size(), c.rounds) << c.name;
        EXPECT_EQ(given.first(), QStringList({"C:\\D\\CLI.DB", "C:\\D\\CLI.PX"})) << c.name;
        EXPECT_EQ(outcome.stillChanging, c.ok ? QString() : QStringLiteral("C:\\D\\CLI.DB"));
        EXPECT_EQ(prefix.clock().now().toMSecsSinceEpoch() - before,
                  QList<int>({1000, 3000, 7000}).at(c.rounds - 1))
            << c.name;
        const QList<SelectedFile> kept = watch.asKept();
        ASSERT_EQ(kept.size(), 4) << c.name; // TMP.DB is no longer expected
        if (c.ok) {                          // as archived the last time
            EXPECT_EQ(kept[0].size, prefix.read(QStringLiteral("C:\\D\\CLI.DB")).size());
        }
        prefix.write(QStringLiteral("C:\\D\\TMP.DB"), "t1");
    }
    ChangeWatch watch(selected, {});
    int runs = 0;
    EXPECT_TRUE(
        archiveChangedAgain(watch, selected, [&](const QStringList&) { return ++runs; }).ok);
    EXPECT_EQ(runs, 0); // nothing changed: the archiver is not run again
    prefix.write(QStringLiteral("C:\\D\\PRO.DB"), "p3-changed");
    const RearchiveOutcome failed =
        archiveChangedAgain(watch, selected, [](const QStringList&) { return 3; });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.failure, QStringLiteral("o arquivador falhou ao arquivar de novo (código 3)"));
}

} // namespace
} // namespace navlor
