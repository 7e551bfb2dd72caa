// The main window's buttons and menu items other than the start-up run: the windows it opens,
// the manual deletions over whole drives, the launchers, the autostart switch and the printing.

#include "app/main_window.h"

#include "ui_main_window.h"

#include "app/console_params_dialog.h"
#include "archive/directory_backup_window.h"
#include "backup/backup_window.h"
#include "lib/dialogs.h"
#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/registry_settings.h"
#include "lib/widgets/print_window.h"
#include "lib/widgets/window_dialogs.h"
#include "tools/about_box.h"
#include "tools/file_search_window.h"

namespace navlor {

namespace {

// Every file of the mask on the whole of the drive or tree the mask starts from.
int deleteOverTree(const QString& mask)
{
    return APAGA_ARQUIVOS(mask, FileWalk::Tree);
}

// Starts the first program file found for the path (its own directory first, then the tree
// below it); nothing happens when there is none.
void startFirstFound(const QString& path)
{
    // The first entry is all that is used, so the search stops at it instead of listing the
    // rest of the drive.
    const QString program = PRIMEIRO_ARQUIVO(path);
    if (!program.isEmpty())
        INICIA_PROGRAMA(program, QString());
}

} // namespace

// ---- buttons -----------------------------------------------------------------------------

void TF_NAVLOR::BU_SAIRClick()
{
    BU_CANCELARClick();
    m_ui->CB_PARARBKP->setChecked(true);
    close();
}

void TF_NAVLOR::BU_BKPAClick()
{
    BU_CANCELARClick();
    m_ui->BU_BKPA->setEnabled(false);
    {
        TF_BKPA window(this);
        showModal(&window);
    }
    processMessages();
    m_ui->BU_BKPA->setEnabled(true);
}

// ---- windows -----------------------------------------------------------------------------

void TF_NAVLOR::editConsoleParameters()
{
    {
        TF_NAVLOR_P dialog(this);
        showModal(&dialog);
    }
    // The dialog may have switched the autostart value either way.
    m_ui->AUTORUN1->setChecked(AUTOSTART_ATIVO(kConsoleAutostartName));
    processMessages();
}

void TF_NAVLOR::browseDirectories()
{
    dialogs().openFiles(OpenDialog1); // only to look: the choice is not used
}

void TF_NAVLOR::searchFilesInTree()
{
    {
        TF_PESQARQ search(this);
        showModal(&search);
    }
    processMessages();
}

void TF_NAVLOR::storeOrRestoreDirectory()
{
    openDirectoryBackupWindow(this);
    processMessages();
}

void TF_NAVLOR::showAbout()
{
    {
        TF_SOBRE about(this);
        about.setStatusText(QStringLiteral("NAVLOR - Servidor de Sistema - Backup/Restore"));
        showModal(&about);
    }
    processMessages();
}

void TF_NAVLOR::printScreen()
{
    IMPRIME_JANELA(this);
}

void TF_NAVLOR::editConfigurationFiles()
{
    OpenDialog2.directory = m_ui->LA_WINDOWS->text();
    OpenDialog2.filterIndex = 2;
    dialogs().openFiles(OpenDialog2); // only to look: the choice is not used
}

// ---- manual deletions --------------------------------------------------------------------

void TF_NAVLOR::deleteQueryTables()
{
    // The drive of the system directory, then drive C:, where the engine may also have left
    // its tables; "**" matches nothing.
    const QString drive = m_ui->LA_DIR1->text().left(2);
    const QString db = QStringLiteral("Deletando arquivos _QSQ*.DB = ");
    const QString mb = QStringLiteral("Deletando arquivos _QSQ*.MB = ");
    ADD_MSG(db + QString::number(deleteOverTree(drive + QStringLiteral("\\_QSQ*.DB"))));
    ADD_MSG(mb + QString::number(deleteOverTree(drive + QStringLiteral("\\_QSQ*.MB"))));
    ADD_MSG(db + QString::number(deleteOverTree(QStringLiteral("C:\\_QSQ*.DB"))));
    ADD_MSG(mb + QString::number(deleteOverTree(QStringLiteral("C:\\_QSQ*.MB"))));
}

void TF_NAVLOR::deleteLockFiles()
{
    const QString drive = m_ui->LA_DIR1->text().left(2);
    dialogs().setBusyCursor(true);
    processMessages();
    deleteOverTree(drive + QStringLiteral("\\PDOXUSRS.LCK"));
    deleteOverTree(drive + QStringLiteral("\\PARADOX.LCK"));
    deleteOverTree(QStringLiteral("C:\\PDOXUSRS.LCK"));
    deleteOverTree(QStringLiteral("C:\\PARADOX.LCK"));
    dialogs().setBusyCursor(false);
    processMessages();
}

void TF_NAVLOR::deleteNetControlFile()
{
    const QString drive = m_ui->LA_DIR1->text().left(2);
    dialogs().setBusyCursor(true);
    processMessages();
    deleteOverTree(drive + QStringLiteral("\\PDOXUSRS.NET"));
    deleteOverTree(QStringLiteral("C:\\PDOXUSRS.NET"));
    dialogs().setBusyCursor(false);
    processMessages();
}

// ---- launchers ---------------------------------------------------------------------------

void TF_NAVLOR::runBdeSetup()
{
    startFirstFound(m_ui->LA_DIR1->text() + QStringLiteral("\\BDE\\INSTALL\\SETUP.exe"));
}

void TF_NAVLOR::runBdeAdministrator()
{
    // The root of C: first, then the whole drive: this can take a while.
    startFirstFound(QStringLiteral("C:\\BDEAdmin.exe"));
}

void TF_NAVLOR::runDatabaseDesktop()
{
    startFirstFound(m_ui->LA_DIR1->text() + QStringLiteral("\\BDE\\DBD32.exe"));
}

void TF_NAVLOR::openCommandPrompt()
{
    // Found on the system's search path; a prompt of its own, not waited for.
    (void)platform().winExec(QStringLiteral("COMMAND.COM"), ShowMode::ShowNormal);
}

// ---- autostart ---------------------------------------------------------------------------

void TF_NAVLOR::toggleAutostart()
{
    // The mark shows what the Run key holds afterwards, also when writing it failed and the
    // error ends this handler.
    struct FollowRunKey
    {
        QAction* mark;
        ~FollowRunKey() { mark->setChecked(AUTOSTART_ATIVO(kConsoleAutostartName)); }
    } follow{m_ui->AUTORUN1};

    if (m_ui->AUTORUN1->isChecked())
        AUTOSTART_DESLIGA(kConsoleAutostartName);
    else if (!AUTOSTART_LIGA(kConsoleAutostartName, m_ui->LA_DIRATUAL->text()))
        dialogs().message(autostartFailure(kConsoleAutostartName));
}

} // namespace navlor
