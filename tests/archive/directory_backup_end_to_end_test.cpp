// The directory backup window against the real archiver stand-in and command interpreter: a
// directory moved into an archive and removed comes back byte for byte, and its listing shows.
#include "archive/directory_backup_window.h"

#include "lib/registry_settings.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kOrigin = QStringLiteral("C:\\MEUS DADOS\\MINHA EMPRESA");
const QString kArchive = QStringLiteral("C:\\BKP DESTINO\\MINHA EMPRESA.ARJ");

class DirectoryBackupWithArchiver : public ::testing::Test
{
protected:
    DirectoryBackupWithArchiver()
    {
        prefix.mkdir("C:\\VALDOROW\\EXE");
        prefix.mkdir("C:\\BKP DESTINO");
        prefix.mkdir("C:\\VALDOROTEMP");
        prefix.write("C:\\MEUS DADOS\\OUTRA\\FICA.DB", "fica");
        QFile::link(QStringLiteral(NAVLOR_ARJ_PATH), prefix.host("C:\\VALDOROW\\EXE") + "/ARJ.EXE");

        for (int i = 0; i < 5000; ++i)
            clientes.append(char((i * 13 + i / 251) & 0xff));
        files = {{"CLIENTES.DB", clientes},
                 {"Empresa.db", QByteArray("empresa\0dados", 13)},
                 {"LEIA ME.TXT", "leia\r\nme\r\n"}};
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            prefix.write(kOrigin + "\\" + it.key(), it.value());
    }
    ~DirectoryBackupWithArchiver() override { QDir::setCurrent(hostDirectory); }

    template <typename T> static T* control(QWidget* window, const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    // Every directory (as an empty value) and file under `windowsPath`, keyed by relative path.
    QMap<QString, QByteArray> tree(const QString& windowsPath, QDir::Filters kinds) const
    {
        QMap<QString, QByteArray> found;
        const QDir root(prefix.host(windowsPath));
        QDirIterator it(root.path(), kinds | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            QFile file(info.filePath());
            found[root.relativeFilePath(info.filePath()) + (info.isDir() ? "/" : "")] =
                info.isDir() || !file.open(QIODevice::ReadOnly) ? QByteArray() : file.readAll();
        }
        return found;
    }

    QString hostDirectory = QDir::currentPath();
    test::ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_PATH};
    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    QByteArray clientes;
    QMap<QString, QByteArray> files;
};

TEST_F(DirectoryBackupWithArchiver, MovedDirectoryComesBackAndItsListingShows)
{
    {
        TF_BKPDIR window;
        ASSERT_EQ(window.ARQ_ARJ(), "C:\\VALDOROW\\EXE\\ARJ.EXE");
        control<QLineEdit>(&window, "E_B_DIRORIGEM")->setText(kOrigin);
        control<QLineEdit>(&window, "E_B_DIRDESTINO")->setText("C:\\BKP DESTINO");
        control<QComboBox>(&window, "CB_B_OPERACAO")->setEditText("M");
        control<QCheckBox>(&window, "CB_REMOVEDIR")->setChecked(true);
        dialogs->confirmAnswers = {true};
        control<QPushButton>(&window, "BU_B_EXECUTAR")->click();
    }
    EXPECT_EQ(dialogs->messages, QStringList{"BKP CONCLUIDO"});
    ASSERT_TRUE(platform().fileExists(kArchive));
    EXPECT_FALSE(platform().directoryExists(kOrigin)) << "moved and removed";
    EXPECT_EQ(prefix.read("C:\\MEUS DADOS\\OUTRA\\FICA.DB"), "fica") << "a blank split nothing";
    const QString entry = "C:\\VALDOROW\\EXE\\ARJ.EXE#M#" + kArchive + "#" + kOrigin + "\\*.*#-R#";
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP0"), entry);

    // Opened again, the window offers the last store for a restore to its original place.
    dialogs->messages.clear();
    TF_BKPDIR window;
    EXPECT_EQ(control<QLineEdit>(&window, "E_R_ORIGEM")->text(), kArchive);
    EXPECT_EQ(control<QLineEdit>(&window, "E_R_DESTINO")->text(), kOrigin + "\\");
    control<QPushButton>(&window, "BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages, QStringList{QStringLiteral("RESTAURAÇÃO CONCLUIDA")});
    EXPECT_TRUE(dialogs->confirmations.size() == 1) << "only the move was confirmed";

    const QDir restored(prefix.host(kOrigin));
    EXPECT_EQ(restored.entryList(QDir::Files, QDir::Name),
              QStringList({"CLIENTES.DB", "Empresa.db", "LEIA ME.TXT"}));
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        EXPECT_EQ(prefix.read(kOrigin + "\\" + it.key()), it.value()) << it.key().toStdString();

    dialogs->fileAnswers = {{kArchive}};
    control<QPushButton>(&window, "BU_DIRETORIOS")->click();
    EXPECT_EQ(dialogs->fileRequests.last().directory, "C:\\BKP DESTINO\\");
    const QString shown = control<QTextEdit>(&window, "E_EDIT")->toPlainText();
    EXPECT_TRUE(shown.contains("ARJ 3")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("CLIENTES.DB")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("LEIA ME.TXT")) << shown.toStdString();
    EXPECT_EQ(shown.split(u'\n').size(),
              QString::fromLatin1(prefix.read("C:\\VALDOROTEMP\\LIST.LLL")).split("\r\n").size());
}

TEST_F(DirectoryBackupWithArchiver, MovedTreeWithSubdirectoriesComesBackWhole)
{
    QByteArray notas;
    for (int i = 0; i < 3000; ++i)
        notas.append(char((i * 7 + 0x80) & 0xff));
    prefix.write(kOrigin + "\\Notas Fiscais\\Ano 2023\\NFe Jan.bin", notas);
    prefix.write(kOrigin + "\\Notas Fiscais\\Ano 2023\\resumo.TXT", "total\r\n");
    prefix.write(kOrigin + "\\Notas Fiscais\\Indice.Db", QByteArray("\0\1\2\xff", 4));
    prefix.write(kOrigin + "\\fotos\\Logo Empresa.JPG", QByteArray("\xff\xd8\xff\0jf", 6));
    const QMap<QString, QByteArray> before = tree(kOrigin, QDir::AllEntries);
    ASSERT_EQ(tree(kOrigin, QDir::Files).size(), 7);

    {
        TF_BKPDIR window;
        control<QLineEdit>(&window, "E_B_DIRORIGEM")->setText(kOrigin);
        control<QLineEdit>(&window, "E_B_DIRDESTINO")->setText("C:\\BKP DESTINO");
        control<QComboBox>(&window, "CB_B_OPERACAO")->setEditText("M");
        control<QCheckBox>(&window, "CB_B_SUBDIR")->setChecked(true);
        // The archiver leaves the emptied subdirectories behind, so removal would fail.
        control<QCheckBox>(&window, "CB_REMOVEDIR")->setChecked(false);
        dialogs->confirmAnswers = {true};
        control<QPushButton>(&window, "BU_B_EXECUTAR")->click();
    }
    EXPECT_EQ(dialogs->messages, QStringList{"BKP CONCLUIDO"});
    ASSERT_TRUE(platform().fileExists(kArchive));
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP0"),
              "C:\\VALDOROW\\EXE\\ARJ.EXE#M#" + kArchive + "#" + kOrigin + "\\*.*#-R#");
    EXPECT_EQ(tree(kOrigin, QDir::Files), (QMap<QString, QByteArray>()))
        << "every file, at every level, moved into the archive";
    EXPECT_EQ(prefix.read("C:\\MEUS DADOS\\OUTRA\\FICA.DB"), "fica");

    dialogs->messages.clear();
    TF_BKPDIR window;
    ASSERT_EQ(control<QLineEdit>(&window, "E_R_ORIGEM")->text(), kArchive);
    ASSERT_EQ(control<QLineEdit>(&window, "E_R_DESTINO")->text(), kOrigin + "\\");
    control<QComboBox>(&window, "CB_R_OPERACAO")->setEditText("X");
    control<QPushButton>(&window, "BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages, QStringList{QStringLiteral("RESTAURAÇÃO CONCLUIDA")});
    EXPECT_EQ(dialogs->confirmations.size(), 1) << "only the move was confirmed";

    const QMap<QString, QByteArray> after = tree(kOrigin, QDir::AllEntries);
    EXPECT_EQ(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
}

TEST_F(DirectoryBackupWithArchiver, StoreWithSeveralMasksTakesEachKind)
{
    prefix.write(kOrigin + "\\NOTA.MB", "memo");
    {
        TF_BKPDIR window;
        control<QLineEdit>(&window, "E_B_DIRORIGEM")->setText(kOrigin);
        control<QLineEdit>(&window, "E_B_DIRDESTINO")->setText("C:\\BKP DESTINO");
        control<QComboBox>(&window, "CB_B_OPERACAO")->setEditText("A");
        control<QComboBox>(&window, "CB_B_TIPOS")->setEditText("*.DB *.TXT");
        control<QPushButton>(&window, "BU_B_EXECUTAR")->click();
    }
    EXPECT_EQ(dialogs->messages, QStringList{"BKP CONCLUIDO"});
    TF_BKPDIR window;
    dialogs->fileAnswers = {{kArchive}};
    control<QPushButton>(&window, "BU_DIRETORIOS")->click();
    const QString shown = control<QTextEdit>(&window, "E_EDIT")->toPlainText();
    for (const QString name : {"CLIENTES.DB", "Empresa.db", "LEIA ME.TXT", "NOTA.MB"})
        EXPECT_EQ(shown.contains(name), name != "NOTA.MB") << name.toStdString();
}

} // namespace
} // namespace navlor
