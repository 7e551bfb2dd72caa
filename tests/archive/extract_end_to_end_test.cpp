// The extract window against the real archiver stand-in and command interpreter: an archive
// written by ARJ is listed, one entry is picked and extracted, and the bytes come back.
#include "archive/extract_window.h"

#include "lib/databases/firebird_tools.h"
#include "lib/widgets/console_window.h"
#include "tests/support/firebird_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace navlor {
namespace {

// The prefix is handed to the programs the platform starts; the host directory and the
// interpreter setting are put back afterwards.
class RealArchiver : public ::testing::Test
{
protected:
    // Every entry of the sample's archive back into C:\DADOS, through the window.
    void restoreEverythingIntoTheOriginalDirectories()
    {
        dialogs->onShowModal = [&](QWidget* window) {
            window->show();
            QApplication::processEvents();
            control<QPushButton>(window, "BU_EXTRAIR_ABRIR")->click();
            control<QListWidget>(window, "ESTOR_LISTBOX")->selectAll();
            control<QPushButton>(window, "BU_EXTR_MAIS")->click();
            control<QCheckBox>(window, "CB_ORIGINAIS")->setChecked(true);
            control<QPushButton>(window, "BU_EXTR_EXEC")->click();
            return 0;
        };
        openExtractWindow(nullptr, "C:\\BKP\\BKP00.ARJ", "C:\\DADOS");
    }

    RealArchiver()
    {
        prefix.mkdir("C:\\VALDOROW\\EXE");
        prefix.mkdir("C:\\NAVLOR");
        prefix.mkdir("C:\\RESTAURA");
        prefix.mkdir("C:\\TUDO");
        QFile::link(QStringLiteral(NAVLOR_ARJ_PATH), prefix.host("C:\\VALDOROW\\EXE") + "/ARJ.EXE");
        // Started from its own directory, the console finds the archiver there.
        platform().setCurrentDirectory("C:\\VALDOROW\\EXE");

        for (int i = 0; i < 4096; ++i)
            clientes.append(char((i * 7 + i / 256) & 0xff));
        prefix.write("C:\\DADOS\\CLIENTES.DB", clientes);
        prefix.write("C:\\DADOS\\Empresa.db", "empresa");
        prefix.write("C:\\DADOS\\SUB\\NOTAS.TXT", "notas\r\n");
        // The archive as the directory store writes it.
        prefix.write("C:\\NAVLOR\\MAKE.BAT",
                     "C:\\VALDOROW\\EXE\\ARJ.EXE A C:\\BKP\\BKP00.ARJ C:\\DADOS\\*.* -R\r\n");
        prefix.mkdir("C:\\BKP");
    }
    ~RealArchiver() override { QDir::setCurrent(hostDirectory); }

    template <typename T> static T* control(QWidget* window, const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    QString hostDirectory = QDir::currentPath();
    test::ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_PATH};
    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    QByteArray clientes;
};

TEST_F(RealArchiver, ListsPicksAndExtractsOneEntryByteForByte)
{
    ASSERT_GE(platform().runAndWait("C:\\NAVLOR\\MAKE.BAT", ShowMode::ShowNormal), 0);
    ASSERT_TRUE(platform().fileExists("C:\\BKP\\BKP00.ARJ"));

    QStringList listed;
    QString archiver;
    dialogs->onShowModal = [&](QWidget* window) {
        window->show();
        QApplication::processEvents();
        archiver = static_cast<TF_BKP_EXTRAI1*>(window)->ARQ_ARJ();

        control<QPushButton>(window, "BU_EXTRAIR_ABRIR")->click();
        auto* entries = control<QListWidget>(window, "ESTOR_LISTBOX");
        for (int i = 0; i < entries->count(); ++i)
            listed << entries->item(i)->text();
        const auto found = entries->findItems("DADOS\\CLIENTES.DB", Qt::MatchExactly);
        if (found.size() != 1)
            return 0;
        found.first()->setSelected(true);
        control<QPushButton>(window, "BU_EXTR_MAIS")->click();
        control<QLineEdit>(window, "E_EXT_DESTINO")->setText("C:\\RESTAURA");
        control<QPushButton>(window, "BU_EXTR_EXEC")->click();

        // Then the whole archive into another directory, each file below its stored path.
        control<QCheckBox>(window, "CB_TODOS")->setChecked(true);
        control<QLineEdit>(window, "E_EXT_DESTINO")->setText("C:\\TUDO");
        control<QPushButton>(window, "BU_EXTR_EXEC")->click();
        return 0;
    };
    openExtractWindow(nullptr, "C:\\BKP\\BKP00.ARJ");

    EXPECT_EQ(archiver, "C:\\VALDOROW\\EXE\\ARJ.EXE");
    EXPECT_EQ(dialogs->messages, QStringList()) << "no error or version message";
    listed.sort();
    EXPECT_EQ(listed,
              (QStringList{"DADOS\\CLIENTES.DB", "DADOS\\EMPRESA.DB", "DADOS\\SUB\\NOTAS.TXT"}));

    EXPECT_EQ(prefix.read("C:\\RESTAURA\\CLIENTES.DB"), clientes);
    EXPECT_EQ(QDir(prefix.host("C:\\RESTAURA")).entryList(QDir::Files), QStringList{"CLIENTES.DB"});

    EXPECT_EQ(dialogs->confirmations, QStringList{"Extrair todos arquivos ?"});
    EXPECT_EQ(prefix.read("C:\\TUDO\\DADOS\\CLIENTES.DB"), clientes);
    EXPECT_EQ(prefix.read("C:\\TUDO\\DADOS\\Empresa.db"), "empresa");
    EXPECT_EQ(prefix.read("C:\\TUDO\\DADOS\\SUB\\NOTAS.TXT"), "notas\r\n");
}

// Back into the directories they came from: a file changed since the backup is named before
// it is replaced, and a deleted one comes back.
TEST_F(RealArchiver, RestoresIntoTheOriginalDirectoriesAfterNamingNewerFiles)
{
    ASSERT_GE(platform().runAndWait("C:\\NAVLOR\\MAKE.BAT", ShowMode::ShowNormal), 0);
    QFile changed(prefix.host("C:\\DADOS\\CLIENTES.DB"));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write("changed later");
    changed.flush();
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTime().addSecs(3600),
                                    QFileDevice::FileModificationTime));
    changed.close();
    ASSERT_TRUE(QFile::remove(prefix.host("C:\\DADOS\\SUB\\NOTAS.TXT")));

    restoreEverythingIntoTheOriginalDirectories();

    EXPECT_EQ(dialogs->messages, QStringList());
    ASSERT_EQ(dialogs->confirmations.size(), 1);
    EXPECT_TRUE(dialogs->confirmations[0].contains("\n\nC:\\DADOS\\CLIENTES.DB\n\nContinuar?"))
        << dialogs->confirmations[0].toStdString();
    EXPECT_EQ(prefix.read("C:\\DADOS\\CLIENTES.DB"), clientes);
    EXPECT_EQ(prefix.read("C:\\DADOS\\SUB\\NOTAS.TXT"), "notas\r\n");
    EXPECT_EQ(prefix.read("C:\\DADOS\\Empresa.db"), "empresa");
}

// A link planted in the data directory (another user of a shared folder) is never written
// through; the window names the file that did not come back.
TEST_F(RealArchiver, ALinkPlantedAtALandingPathFailsThatFileAndIsSaid)
{
    ASSERT_GE(platform().runAndWait("C:\\NAVLOR\\MAKE.BAT", ShowMode::ShowNormal), 0);
    const QString victim = prefix.root() + QStringLiteral("/victim");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not yours");
    }
    const QString planted = prefix.host("C:\\DADOS\\Empresa.db");
    ASSERT_TRUE(QFile::remove(planted));
    ASSERT_TRUE(QFile::link(victim, planted));

    restoreEverythingIntoTheOriginalDirectories();

    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not yours");
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(dialogs->messages,
              QStringList{"ERRO - restauração incompleta - arquivos não restaurados:\n\n"
                          "C:\\DADOS\\EMPRESA.DB"});
    EXPECT_EQ(prefix.read("C:\\DADOS\\SUB\\NOTAS.TXT"), "notas\r\n");
}

// The window quotes the target "C:\\" and an entry with blanks; the archiver must still read
// them as two arguments, as ARJ reads its own command line.
TEST_F(RealArchiver, EntryWithBlanksComesOutIntoADriveRoot)
{
    prefix.write("C:\\MEUS DADOS\\MEU ARQ.DB", clientes);
    prefix.write("C:\\NAVLOR\\MAKE2.BAT",
                 "C:\\VALDOROW\\EXE\\ARJ.EXE A C:\\BKP\\B2.ARJ \"C:\\MEUS DADOS\\*.*\"\r\n");
    ASSERT_GE(platform().runAndWait("C:\\NAVLOR\\MAKE2.BAT", ShowMode::ShowNormal), 0);
    dialogs->onShowModal = [&](QWidget* window) {
        window->show(); // it looks for the archiver as it shows
        QApplication::processEvents();
        control<QPushButton>(window, "BU_EXTRAIR_ABRIR")->click();
        auto* entries = control<QListWidget>(window, "ESTOR_LISTBOX");
        const auto found = entries->findItems("MEUS DADOS\\MEU ARQ.DB", Qt::MatchExactly);
        if (found.size() != 1)
            return 0;
        found.first()->setSelected(true);
        control<QPushButton>(window, "BU_EXTR_MAIS")->click();
        control<QLineEdit>(window, "E_EXT_DESTINO")->setText("C:\\");
        control<QPushButton>(window, "BU_EXTR_EXEC")->click();
        return 0;
    };
    openExtractWindow(nullptr, "C:\\BKP\\B2.ARJ");
    EXPECT_EQ(dialogs->messages, QStringList());
    EXPECT_EQ(prefix.read("C:\\MEU ARQ.DB"), clientes);
}

// A Firebird database archived while frozen comes back fixed up; one that was frozen in the
// target already (a live one under its own backup) is left alone.
TEST_F(RealArchiver, FrozenFirebirdCopyComesBackReadyAndALiveOneIsLeftAlone)
{
    if (const QString why = test::ensureFirebirdServer(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    prefix.mkdir("C:\\DADOS\\FB");
    // Firebird's own path to them: it would read the prefix's "c:" as a host name.
    const QString source = QFileInfo(prefix.host("C:\\DADOS\\FB")).canonicalFilePath();
    const QString target = QFileInfo(prefix.host("C:\\TUDO")).canonicalFilePath();
    QString error;
    ASSERT_TRUE(test::createFirebirdDatabase(source + "/V.FDB", 200, &error))
        << error.toStdString();
    ASSERT_TRUE(test::createFirebirdDatabase(target + "/VIVO.FDB", 10, &error))
        << error.toStdString();
    for (const QString& directory : {source, target})
        ASSERT_EQ(test::makeServerReachable(directory), QString());
    FirebirdTools tools;
    ASSERT_TRUE(tools.freeze(source + "/V.FDB").ok);
    ASSERT_GE(platform().runAndWait("C:\\NAVLOR\\MAKE.BAT", ShowMode::ShowNormal), 0);
    ASSERT_TRUE(tools.thaw(source + "/V.FDB").ok);
    ASSERT_TRUE(tools.freeze(target + "/VIVO.FDB").ok);

    struct Console : ConsoleWindow
    {
        QString dataDirectory() const override { return {}; }
        QString systemDirectory() const override { return {}; }
        QString programPath() const override { return {}; }
        void ADD_MSG(const QString& text) override { messages << text; }
        QString messageText() const override { return messages.value(messages.size() - 1); }
        void setMessageText(const QString&) override {}
        bool stopRequested() const override { return false; }
        QList<QWidget*> batchControls() const override { return {}; }
        QStringList messages;
    } console;
    setMainConsole(&console);
    dialogs->onShowModal = [&](QWidget* window) {
        window->show(); // finds the archiver
        QApplication::processEvents();
        control<QCheckBox>(window, "CB_TODOS")->setChecked(true);
        control<QLineEdit>(window, "E_EXT_DESTINO")->setText("C:\\TUDO");
        control<QPushButton>(window, "BU_EXTR_EXEC")->click();
        return 0;
    };
    openExtractWindow(nullptr, "C:\\BKP\\BKP00.ARJ");
    setMainConsole(nullptr);

    const QString restored = target + "/DADOS/FB/V.FDB";
    EXPECT_EQ(readFirebirdState(restored), FirebirdState::Normal);
    EXPECT_TRUE(tools.validate(restored).ok);
    EXPECT_EQ(
        console.messages,
        QStringList{"Banco Firebird restaurado preparado para uso: C:\\TUDO\\DADOS\\FB\\V.FDB"});
    EXPECT_EQ(readFirebirdState(target + "/VIVO.FDB"), FirebirdState::Frozen);
    EXPECT_TRUE(tools.thaw(target + "/VIVO.FDB").ok);
}

} // namespace
} // namespace navlor
