#include "lib/databases/firebird_tools.h"

#include "tests/support/firebird_server.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>
#include <vector>

namespace navlor {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

bool waitUntil(const std::function<bool()>& condition, int seconds)
{
    for (int tenth = 0; tenth < seconds * 10; ++tenth) {
        if (condition())
            return true;
        QThread::msleep(100);
    }
    return condition();
}

struct CredentialsCase
{
    const char* what;
    QStringList environment;
    const char* file; // nullptr: no readable file
    std::optional<std::pair<QString, QString>> expected;
};

TEST(FirebirdCredentials, EnvironmentFirstThenTheShellStyleFile)
{
    const char* debian = "# Password for firebird SYSDBA user\n#\nISC_USER=sysdba\n"
                         "ISC_PASSWORD=\"a2d93e39\"\n";
    const auto pair = [](const char* user, const char* password) {
        return std::make_optional(std::pair(QString::fromUtf8(user), QString::fromUtf8(password)));
    };
    const std::vector<CredentialsCase> cases = {
        {"environment wins", {"ISC_USER=ana", "ISC_PASSWORD=env"}, debian, pair("ana", "env")},
        {"environment password alone", {"ISC_PASSWORD=env"}, nullptr, pair("SYSDBA", "env")},
        {"a user alone is not enough", {"ISC_USER=ana"}, debian, pair("sysdba", "a2d93e39")},
        {"single quotes keep # and blanks", {}, "ISC_PASSWORD='a#b c'\n", pair("SYSDBA", "a#b c")},
        {"bare value ends at a blank",
         {},
         "export ISC_USER=bob\nISC_PASSWORD=pw # old\n",
         pair("bob", "pw")},
        {"escapes in double quotes",
         {},
         "ISC_PASSWORD=\"a\\\"b\\\\c\\n\"\n",
         pair("SYSDBA", "a\"b\\c\\n")},
        {"CR LF lines, last one wins",
         {},
         "ISC_PASSWORD=old\r\nISC_PASSWORD=new\r\n",
         pair("SYSDBA", "new")},
        {"commented out", {}, "#ISC_PASSWORD=x\n  # ISC_PASSWORD=y\n", std::nullopt},
        {"unterminated quote", {}, "ISC_PASSWORD=\"abc\n", std::nullopt},
        {"unreadable file", {}, nullptr, std::nullopt},
    };
    QTemporaryDir dir;
    for (const CredentialsCase& c : cases) {
        QProcessEnvironment environment;
        for (const QString& entry : c.environment)
            environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        // A directory cannot be read as a file, even by root.
        QString file = dir.path();
        if (c.file != nullptr) {
            file = dir.filePath(QStringLiteral("SYSDBA.password"));
            writeAll(file, c.file);
        }
        const std::optional<FirebirdCredentials> found = firebirdCredentials(environment, file);
        ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.what;
        if (found) {
            EXPECT_EQ(found->user, c.expected->first) << c.what;
            EXPECT_EQ(found->password, c.expected->second) << c.what;
        }
    }
}

// Tools that say what they were given and then answer as the real ones did here.
class FirebirdFakeTools : public ::testing::Test
{
protected:
    FirebirdTools tools(const QString& status, const QByteArray& says, int ceiling = 60)
    {
        for (const char* name : {"nbackup", "gfix"}) {
            const QString fake = m_dir.filePath(QString::fromLatin1(name));
            writeAll(fake,
                     "#!/bin/sh\n{ echo \"$*\"; env | grep '^ISC_' | sort; cat; } >\"$0.log\"\n"
                     "cat \"$0.says\"\n" +
                         status.toUtf8() + "\n");
            writeAll(fake + QStringLiteral(".says"), says);
            QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        environment.insert(QStringLiteral("NAVLOR_FIREBIRD_BIN"), m_dir.path());
        environment.insert(QStringLiteral("ISC_USER"), QStringLiteral("ana"));
        environment.insert(QStringLiteral("ISC_PASSWORD"), QStringLiteral("s3cret"));
        return FirebirdTools(environment, ceiling);
    }
    QString log(const char* tool)
    {
        return QString::fromUtf8(
            readAll(m_dir.filePath(QString::fromLatin1(tool) + QStringLiteral(".log"))));
    }

    QTemporaryDir m_dir;
};

TEST_F(FirebirdFakeTools, CredentialsTravelInTheEnvironmentOnly)
{
    FirebirdTools fake = tools(QStringLiteral("exit 0"), {});
    const QString db = QStringLiteral("/srv/DADOS/VALDORO.FDB");
    const std::vector<std::tuple<std::function<DatabaseOutcome()>, const char*, QString>> calls = {
        {[&] { return fake.freeze(db); }, "nbackup", QStringLiteral("-L localhost:") + db},
        {[&] { return fake.thaw(db); }, "nbackup", QStringLiteral("-N localhost:") + db},
        {[&] { return fake.fixUp(db); }, "nbackup", QStringLiteral("-F ") + db},
        {[&] { return fake.validate(db); }, "gfix", QStringLiteral("-v -full ") + db},
    };
    for (const auto& [call, tool, arguments] : calls) {
        EXPECT_TRUE(call().ok) << arguments.toStdString();
        // The first line is the command line; stdin gives nothing.
        EXPECT_EQ(log(tool), arguments + QStringLiteral("\nISC_PASSWORD=s3cret\nISC_USER=ana\n"));
    }
}

TEST_F(FirebirdFakeTools, ReasonsFromWhatTheToolsSay)
{
    struct Case
    {
        const char* tool;
        const char* status;
        QByteArray says;
        const char* reason; // nullptr: ok
    };
    const std::vector<Case> cases = {
        {"nbackup", "exit 1",
         "[\nPROBLEM ON \"attach database\".\nUnable to complete network request to host "
         "\"localhost\".\n-Failed to establish a connection.\nSQLCODE:-902\n]\n",
         "servidor Firebird indisponível"},
        {"nbackup", "exit 1",
         "[\nPROBLEM ON \"end backup\".\nunsuccessful metadata update\n-ALTER DATABASE failed\n"
         "-Database is not in the physical backup mode\nSQLCODE:-607\n]\n",
         "unsuccessful metadata update: Database is not in the physical backup mode"},
        {"nbackup", "exit 3", {}, "nbackup falhou (código 3)"},
        {"nbackup", "kill -SEGV $$", {}, "nbackup terminou anormalmente"},
        {"gfix", "exit 0", {}, nullptr},
        // gfix ends well after finding damage.
        {"gfix", "exit 0",
         "Summary of validation errors\n\tNumber of data page errors\t: 1\n"
         "\tNumber of pointer page warnings\t: 1\n",
         "erros de validação (data page errors 1)"},
        // Warnings alone are no damage: the server uses such a database as it is.
        {"gfix", "exit 0", "Summary of validation errors\n\tNumber of pointer page warnings\t: 1\n",
         nullptr},
        {"gfix", "exit 1",
         "Error during scan of table 2 (RDB$FIELDS)\n-Missing crypt plugin, but page appears "
         "encrypted\n",
         "Error during scan of table 2 (RDB$FIELDS): Missing crypt plugin, but page appears "
         "encrypted"},
        {"gfix", "exit 0", "Unable to perform operation.  You must be either SYSDBA or owner\n",
         "Unable to perform operation.  You must be either SYSDBA or owner"},
    };
    for (const Case& c : cases) {
        FirebirdTools fake = tools(QString::fromUtf8(c.status), c.says);
        const QString db = m_dir.filePath(QStringLiteral("A.FDB"));
        const DatabaseOutcome outcome =
            QLatin1String(c.tool) == QLatin1String("gfix") ? fake.validate(db) : fake.thaw(db);
        EXPECT_EQ(outcome.ok, c.reason == nullptr) << c.says.toStdString();
        EXPECT_EQ(outcome.reason, QString::fromUtf8(c.reason ? c.reason : ""));
    }
}

TEST_F(FirebirdFakeTools, HungToolsEndAtTheCeilingAndMissingOnesAreNamed)
{
    FirebirdTools hung = tools(QStringLiteral("exec sleep 60"), {}, 1);
    EXPECT_EQ(hung.freeze(QStringLiteral("/a.fdb")).reason,
              QStringLiteral("tempo máximo do nbackup esgotado"));

    QProcessEnvironment bare;
    bare.insert(QStringLiteral("PATH"), m_dir.filePath(QStringLiteral("nothing-here")));
    FirebirdTools missing(bare);
    EXPECT_EQ(missing.freeze(QStringLiteral("/a.fdb")).reason,
              QStringLiteral("nbackup não encontrado"));
    EXPECT_EQ(missing.validate(QStringLiteral("/a.fdb")).reason,
              QStringLiteral("gfix não encontrado"));
}

// Real databases made by the sample script, embedded: no server needed.
class FirebirdDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("isql-fb")).isEmpty())
            GTEST_SKIP() << "isql-fb is missing (firebird3.0-utils)";
    }
    QString made(const QString& name, int rows)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        EXPECT_TRUE(test::createFirebirdDatabase(path, rows, &error)) << error.toStdString();
        return path;
    }
    QString copied(const QString& from, const QString& name)
    {
        const QString to = m_dir.filePath(name);
        QFile::remove(to);
        EXPECT_TRUE(QFile::copy(from, to));
        return to;
    }

    QTemporaryDir m_dir;
};

TEST_F(FirebirdDatabase, StateComesFromTheHeaderPage)
{
    const QByteArray sound = readAll(made(QStringLiteral("H.FDB"), 10));
    const auto setWord = [](QByteArray& b, int at, quint16 value) {
        b[at] = char(value & 0xFF);
        b[at + 1] = char(value >> 8);
    };
    const auto orFlags = [&](quint16 bits) {
        return [=](QByteArray& b) { setWord(b, 42, quint8(b[42]) | (quint8(b[43]) << 8) | bits); };
    };
    const std::vector<std::tuple<const char*, std::function<void(QByteArray&)>, FirebirdState>>
        cases = {
            {"as made", [](QByteArray&) {}, FirebirdState::Normal},
            {"frozen, other flags kept", orFlags(0x400), FirebirdState::Frozen},
            {"merging", orFlags(0x800), FirebirdState::Merging},
            {"frozen and merging at once", orFlags(0xC00), FirebirdState::Unreadable},
            {"Firebird 2.5, ODS 11", [&](QByteArray& b) { setWord(b, 18, 0x800B); },
             FirebirdState::OldFormat},
            {"InterBase 6, ODS 10 unmarked", [&](QByteArray& b) { setWord(b, 18, 10); },
             FirebirdState::OldFormat},
            {"InterBase, ODS 12 unmarked", [&](QByteArray& b) { setWord(b, 18, 12); },
             FirebirdState::OldFormat},
            {"not a header page", [](QByteArray& b) { b[0] = 5; }, FirebirdState::Unreadable},
            {"odd page size", [&](QByteArray& b) { setWord(b, 16, 3000); },
             FirebirdState::Unreadable},
            {"cut short", [](QByteArray& b) { b.truncate(600); }, FirebirdState::Unreadable},
            {"a Paradox table", [](QByteArray& b) { b = QByteArray(4096, 'P'); },
             FirebirdState::Unreadable},
        };
    const QString path = m_dir.filePath(QStringLiteral("patched.fdb"));
    for (const auto& [what, patch, expected] : cases) {
        QByteArray bytes = sound;
        patch(bytes);
        writeAll(path, bytes);
        EXPECT_EQ(readFirebirdState(path), expected) << what;
    }
    EXPECT_EQ(readFirebirdState(m_dir.filePath(QStringLiteral("none.fdb"))),
              FirebirdState::Unreadable);
}

TEST_F(FirebirdDatabase, DamagedCopiesFailValidation)
{
    const QString sound = made(QStringLiteral("D.FDB"), 5000);
    FirebirdTools tools;
    EXPECT_TRUE(tools.validate(sound).ok) << tools.validate(sound).reason.toStdString();
    EXPECT_FALSE(tools.fixUp(copied(sound, QStringLiteral("never-frozen.fdb"))).ok);

    // A data page near the middle, where the sales rows are.
    const QByteArray bytes = readAll(sound);
    const int pageSize = 8192;
    int page = int(bytes.size() / pageSize / 2);
    while ((page + 1) * pageSize < bytes.size() && bytes.at(page * pageSize) != 5)
        ++page;
    for (const int keep : {0, 16}) { // the whole page, or all but its page header
        QByteArray damaged = bytes;
        for (int i = keep; i < pageSize; ++i)
            damaged[page * pageSize + i] = char((i * 7919) >> 3);
        const QString path = m_dir.filePath(QStringLiteral("damaged.fdb"));
        writeAll(path, damaged);
        const DatabaseOutcome outcome = tools.validate(path);
        EXPECT_FALSE(outcome.ok) << "page " << page << " from byte " << keep;
        EXPECT_FALSE(outcome.reason.isEmpty());
    }
}

class FirebirdServer : public FirebirdDatabase
{
protected:
    void SetUp() override
    {
        FirebirdDatabase::SetUp();
        if (IsSkipped())
            return;
        if (const QString why = test::ensureFirebirdServer(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
    }
};

TEST_F(FirebirdServer, FreezeAndThawShowInTheHeaderAndTheDelta)
{
    const QString db = made(QStringLiteral("F.FDB"), 200);
    const QString delta = db + QStringLiteral(".delta");
    FirebirdTools tools;
    EXPECT_EQ(readFirebirdState(db), FirebirdState::Normal);
    ASSERT_TRUE(tools.freeze(db).ok);
    EXPECT_EQ(readFirebirdState(db), FirebirdState::Frozen);
    EXPECT_TRUE(QFile::exists(delta));
    EXPECT_TRUE(tools.freeze(db).reason.contains(QLatin1String("already in the physical backup")));
    ASSERT_TRUE(tools.thaw(db).ok);
    EXPECT_EQ(readFirebirdState(db), FirebirdState::Normal);
    EXPECT_FALSE(QFile::exists(delta));
    EXPECT_TRUE(tools.thaw(db).reason.contains(QLatin1String("not in the physical backup")));
}

TEST_F(FirebirdServer, RefusedFreezesSayWhy)
{
    const QString db = made(QStringLiteral("R.FDB"), 3);
    QProcessEnvironment wrong = QProcessEnvironment::systemEnvironment();
    wrong.insert(QStringLiteral("ISC_USER"), QStringLiteral("SYSDBA"));
    wrong.insert(QStringLiteral("ISC_PASSWORD"), QStringLiteral("not-the-password"));
    EXPECT_EQ(FirebirdTools(wrong).freeze(db).reason,
              QStringLiteral("usuário ou senha do Firebird recusados"));

    QTemporaryDir closed; // 0700: the server cannot enter it
    const QString hidden = closed.filePath(QStringLiteral("H.FDB"));
    ASSERT_TRUE(QFile::copy(db, hidden));
    FirebirdTools tools;
    EXPECT_TRUE(tools.freeze(hidden).reason.endsWith(QLatin1String("Permission denied")));
    EXPECT_TRUE(tools.freeze(m_dir.filePath(QStringLiteral("none.fdb")))
                    .reason.endsWith(QLatin1String("No such file or directory")));
    EXPECT_EQ(readFirebirdState(hidden), FirebirdState::Normal);
}

TEST_F(FirebirdServer, CopyTakenWhileFrozenUnderLoadFixesUpAndValidates)
{
    const QString db = made(QStringLiteral("L.FDB"), 2000);
    const QString delta = db + QStringLiteral(".delta");
    constexpr int seconds = 6;
    test::FirebirdWriter writer(db, seconds);
    ASSERT_TRUE(writer.start()) << writer.output().toStdString();
    FirebirdTools tools;
    ASSERT_TRUE(tools.freeze(db).ok);

    // The clients go on writing, into the delta; the main file stays still.
    const auto deltaGrowsFrom = [&](qint64 size) {
        return waitUntil([&] { return QFileInfo(delta).size() > size; }, seconds);
    };
    EXPECT_TRUE(deltaGrowsFrom(QFileInfo(delta).size()));
    const QString copy = copied(db, QStringLiteral("copy.fdb"));
    EXPECT_TRUE(deltaGrowsFrom(QFileInfo(delta).size()));
    EXPECT_EQ(readAll(db), readAll(copy));
    ASSERT_TRUE(tools.thaw(db).ok);

    ASSERT_TRUE(writer.waitForEnd());
    EXPECT_TRUE(writer.sawNoError()) << writer.output().toStdString();
    RecordProperty("changes_per_second", int(writer.changes() / seconds));
    EXPECT_GT(writer.changes(), 1000 * seconds);

    EXPECT_EQ(readFirebirdState(copy), FirebirdState::Frozen);
    const DatabaseOutcome fixed = tools.fixUp(copy);
    ASSERT_TRUE(fixed.ok) << fixed.reason.toStdString();
    EXPECT_EQ(readFirebirdState(copy), FirebirdState::Normal);
    const DatabaseOutcome valid = tools.validate(copy);
    EXPECT_TRUE(valid.ok) << valid.reason.toStdString();
}

} // namespace
} // namespace navlor
