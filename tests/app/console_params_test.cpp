#include "app/console_params_dialog.h"
#include "app/main_window.h"

#include "lib/console_flags.h"
#include "lib/param_store.h"
#include "lib/platform/platform.h"
#include "lib/registry_settings.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace navlor {
namespace {

const QString kParamFile = "C:\\NAVLOR\\NAV_LOR";
const QString kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

template <typename T> T* child(QObject* parent, const char* name)
{
    if (auto* found = parent->findChild<T*>(name))
        return found;
    throw std::runtime_error(std::string("no control ") + name);
}

QCheckBox* box(QObject* parent, const char* name)
{
    return child<QCheckBox>(parent, name);
}

// The lines of a parameter file, CR LF after each.
QByteArray fileOf(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}

class ConsoleParamsTest : public ::testing::Test
{
protected:
    std::unique_ptr<TF_NAVLOR> createMain()
    {
        return std::make_unique<TF_NAVLOR>(QStringList{"/N"});
    }
    QString desktopFile() const { return prefix.autostartDir() + "/navlor-navlor.desktop"; }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
};

// ---- loading and saving ----------------------------------------------------------------------

TEST_F(ConsoleParamsTest, WithoutFileClosesAfterRunAndSavesTheDefaultsExactly)
{
    auto main = createMain();
    EXPECT_TRUE(box(main.get(), "CB_MINIMIZAR")->isChecked());

    TF_NAVLOR_P dialog;
    EXPECT_EQ(F_NAVLOR_P, &dialog);
    EXPECT_EQ(child<QLabel>(&dialog, "LA_PARAM")->text(), kParamFile);
    for (const char* name :
         {"CB_EXCLUILCK", "CB_EXCLUIQSQ", "CB_EXCLUINET", "CB_ATIVANETLOG", "AutoRun2"})
        EXPECT_FALSE(box(&dialog, name)->isChecked()) << name;
    EXPECT_TRUE(box(&dialog, "CB_FECHARAUTOMAT")->isChecked());
    EXPECT_EQ(child<QComboBox>(&dialog, "E_XP")->currentText(), "");

    dialog.show();
    child<QPushButton>(&dialog, "BU_SALVAR")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    QByteArray expected;
    for (int line = 1; line <= 9; ++line)
        expected += "#\r\n";
    expected += "NNS NN" + blanks(14) + "\r\n";
    EXPECT_EQ(prefix.read(kParamFile), expected);
    EXPECT_FALSE(QFile::exists(desktopFile()));
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(ConsoleParamsTest, FlagsCountAsExactlyTwentyCharacters)
{
    const QByteArray hash = "#";
    // longer: only the first 20 count, and 20 are written back
    prefix.write(kParamFile, fileOf({hash, hash, hash, hash, hash, hash, hash, hash, hash,
                                     "SNS SN" + blanks(14) + "NNNNN"}));
    auto main = createMain();
    EXPECT_TRUE(box(main.get(), "CB_MINIMIZAR")->isChecked());
    {
        TF_NAVLOR_P dialog;
        EXPECT_TRUE(box(&dialog, "CB_EXCLUILCK")->isChecked());
        EXPECT_FALSE(box(&dialog, "CB_EXCLUIQSQ")->isChecked());
        EXPECT_TRUE(box(&dialog, "CB_FECHARAUTOMAT")->isChecked());
        EXPECT_TRUE(box(&dialog, "CB_EXCLUINET")->isChecked());
        EXPECT_FALSE(box(&dialog, "CB_ATIVANETLOG")->isChecked());
        dialog.BU_SALVARClick();
    }
    EXPECT_TRUE(prefix.read(kParamFile).endsWith("#\r\nSNS SN" + blanks(14) + "\r\n"));

    // shorter: filled with blanks, so 3 stays set and 5 and 6 show unticked
    prefix.write(kParamFile, fileOf({hash, hash, hash, hash, hash, hash, hash, hash, hash, "SS"}));
    TF_NAVLOR_P dialog;
    EXPECT_TRUE(box(&dialog, "CB_EXCLUIQSQ")->isChecked());
    EXPECT_TRUE(box(&dialog, "CB_FECHARAUTOMAT")->isChecked());
    EXPECT_FALSE(box(&dialog, "CB_EXCLUINET")->isChecked());
    dialog.BU_SALVARClick();
    EXPECT_TRUE(prefix.read(kParamFile).endsWith("#\r\nSSS NN" + blanks(14) + "\r\n"));
}

TEST_F(ConsoleParamsTest, FlagThreeNKeepsTheConsoleOpenAfterTheRun)
{
    prefix.write(kParamFile, fileOf({"#", "#", "#", "#", "#", "#", "#", "#", "#", "SSNXSS"}));
    auto main = createMain();
    EXPECT_FALSE(box(main.get(), "CB_MINIMIZAR")->isChecked());
    TF_NAVLOR_P dialog;
    EXPECT_FALSE(box(&dialog, "CB_FECHARAUTOMAT")->isChecked());
    EXPECT_TRUE(box(&dialog, "CB_ATIVANETLOG")->isChecked());

    // a new start follows what was saved
    box(&dialog, "CB_FECHARAUTOMAT")->setChecked(true);
    dialog.BU_SALVARClick();
    EXPECT_TRUE(box(createMain().get(), "CB_MINIMIZAR")->isChecked());
}

TEST_F(ConsoleParamsTest, OtherLinesAreWrittenBackAsReadAndTheArjOptionAsTyped)
{
    QList<QByteArray> lines;
    for (int n = 1; n <= 15; ++n)
        lines << "LINHA " + QByteArray::number(n);
    lines[2] = "#";
    lines[4] = "A\xe7\xe3o  "; // Windows-1252, trailing blanks kept
    lines[9] = "NNNNNN";
    lines[10] = "-HF1";
    prefix.write(kParamFile, fileOf(lines));
    auto main = createMain();

    TF_NAVLOR_P dialog;
    auto* option = child<QComboBox>(&dialog, "E_XP");
    EXPECT_EQ(option->currentText(), "-HF1");
    box(&dialog, "CB_EXCLUILCK")->setChecked(true);
    option->setEditText("-HF2 -JE");
    dialog.BU_SALVARClick();

    lines[9] = "SNN NN" + blanks(14);
    lines[10] = "-HF2 -JE";
    EXPECT_EQ(prefix.read(kParamFile), fileOf(lines));
}

TEST_F(ConsoleParamsTest, SairWritesNothing)
{
    prefix.write(kParamFile, fileOf({"#", "#", "#", "#", "#", "#", "#", "#", "#", "SSSSSS", "X"}));
    ASSERT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    const QByteArray before = prefix.read(kParamFile);
    auto main = createMain();

    TF_NAVLOR_P dialog;
    EXPECT_TRUE(box(&dialog, "AutoRun2")->isChecked());
    for (QCheckBox* each : child<QGroupBox>(&dialog, "GroupBox1")->findChildren<QCheckBox*>())
        each->setChecked(false);
    child<QComboBox>(&dialog, "E_XP")->setEditText("-HF2");
    dialog.show();
    child<QPushButton>(&dialog, "BU_SAIR")->click();

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(prefix.read(kParamFile), before);
    EXPECT_TRUE(AUTOSTART_ATIVO("NAVLOR"));
}

TEST_F(ConsoleParamsTest, AFailedWriteKeepsTheDialogOpenUntilSalvarSucceeds)
{
    const QString dataDir = "C:\\NAVLOR";
    struct Breakage
    {
        const char* name;
        std::function<void()> make;
        qsizetype messages; // all of them the store's own, the last naming the file
    };
    const Breakage breakages[] = {
        {"no data directory", [&] { ASSERT_TRUE(QDir(prefix.host(dataDir)).removeRecursively()); },
         1},
        {"a directory in place of the file",
         [&] {
             QFile::remove(prefix.host(kParamFile));
             prefix.mkdir(kParamFile);
             ASSERT_TRUE(QFileInfo(prefix.host(kParamFile)).isDir());
         },
         3},
    };
    for (const Breakage& breakage : breakages) {
        SCOPED_TRACE(breakage.name);
        dialogs->messages.clear();
        auto main = createMain();
        TF_NAVLOR_P dialog;
        dialog.show();
        box(&dialog, "AutoRun2")->setChecked(true);
        breakage.make();

        dialog.BU_SALVARClick();
        ASSERT_EQ(dialogs->messages.size(), breakage.messages);
        EXPECT_TRUE(dialogs->messages.last().contains(kParamFile));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));

        ASSERT_TRUE(QDir(prefix.host(dataDir)).removeRecursively());
        prefix.mkdir(dataDir);
        dialog.BU_SALVARClick();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(prefix.read(kParamFile).endsWith("NNS NN" + blanks(14) + "\r\n"));
        EXPECT_TRUE(AUTOSTART_ATIVO("NAVLOR"));
        EXPECT_EQ(dialogs->messages.size(), breakage.messages);
        AUTOSTART_DESLIGA("NAVLOR");
    }
}

// ---- autostart and the main window -----------------------------------------------------------

TEST_F(ConsoleParamsTest, MenuItemOpensDialogAndItsCheckMarkFollowsTheRunValue)
{
    test::ScopedFixedPaths paths(prefix.root());
    paths->programPathValue = "c:\\valdorow\\navlor.exe";
    auto main = createMain();
    auto* autorun = child<QAction>(main.get(), "AUTORUN1");
    EXPECT_FALSE(autorun->isChecked());

    const auto saveWithAutostart = [&](bool on) {
        dialogs->onShowModal = [on](QWidget* window) {
            EXPECT_EQ(F_NAVLOR_P, window);
            box(window, "AutoRun2")->setChecked(on);
            child<QPushButton>(window, "BU_SALVAR")->click();
            return static_cast<QDialog*>(window)->result();
        };
        child<QAction>(main.get(), "Parmetros1")->trigger();
    };

    saveWithAutostart(true);
    EXPECT_EQ(dialogs->modalWindows, QStringList({"TF_NAVLOR_P"}));
    EXPECT_EQ(F_NAVLOR_P, nullptr);
    EXPECT_TRUE(QFile::exists(desktopFile()));
    EXPECT_EQ(platform().regReadString(RegRoot::LocalMachine, kRunKey, "NAVLOR"),
              "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_EQ(main->programPath(), "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_TRUE(autorun->isChecked());

    saveWithAutostart(false);
    EXPECT_FALSE(QFile::exists(desktopFile()));
    EXPECT_FALSE(autorun->isChecked());

    // closed with "Sair", the mark still shows what the Run key holds
    ASSERT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    dialogs->onShowModal = nullptr;
    child<QAction>(main.get(), "Parmetros1")->trigger();
    EXPECT_TRUE(autorun->isChecked());
}

TEST_F(ConsoleParamsTest, CreationMarksAutostartAndRecordsTheProgramLocation)
{
    test::ScopedFixedPaths paths(prefix.root());
    paths->programPathValue = "C:\\VALDOROW\\NAVLOR.EXE";
    EXPECT_FALSE(child<QAction>(createMain().get(), "AUTORUN1")->isChecked());
    EXPECT_EQ(
        platform().regReadString(RegRoot::CurrentUser, "\\SOFTWARE\\VALDORO\\LOCAL", "NAVLOR.EXE"),
        "C:\\VALDOROW\\");

    ASSERT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    EXPECT_TRUE(child<QAction>(createMain().get(), "AUTORUN1")->isChecked());
}

TEST_F(ConsoleParamsTest, RunValueThatCannotBeWrittenEndsTheSaveWithTheDialogOpen)
{
    auto main = createMain();
    const QString blocker = prefix.root() + "/../blocker";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    test::ScopedEnv xdg("XDG_CONFIG_DIRS", QFile::encodeName(blocker + "/xdg"));

    TF_NAVLOR_P dialog;
    dialog.show();
    box(&dialog, "AutoRun2")->setChecked(true);
    box(&dialog, "CB_EXCLUIQSQ")->setChecked(true);
    dialog.BU_SALVARClick(); // the failure is shown where it happens, nothing is thrown
    EXPECT_EQ(dialogs->messages, QStringList{"Failed to set data for 'NAVLOR'"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prefix.read(kParamFile).endsWith("NSS NN" + blanks(14) + "\r\n"));
}

// ---- layout ----------------------------------------------------------------------------------

// Every archiver option offered is one the backup passes on.
TEST_F(ConsoleParamsTest, OffersOnlyArchiverOptionsTheBackupAccepts)
{
    auto main = createMain();
    TF_NAVLOR_P dialog;
    auto* option = child<QComboBox>(&dialog, "E_XP");
    ASSERT_GT(option->count(), 1);
    for (int i = 0; i < option->count(); ++i)
        EXPECT_EQ(validArchiverOption(option->itemText(i)), option->itemText(i));
}

} // namespace
} // namespace navlor
