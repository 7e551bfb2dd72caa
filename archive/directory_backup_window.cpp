#include "archive/directory_backup_window.h"

#include "ui_directory_backup_window.h"

#include "archive/directory_store.h"
#include "lib/ansi_text.h"
#include "lib/archiver_location.h"
#include "lib/choose_directory.h"
#include "lib/databases/restored_databases.h"
#include "lib/dialogs.h"
#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/registry_settings.h"
#include "lib/text_utils.h"
#include "lib/widgets/console_window.h"
#include "lib/widgets/window_dialogs.h"
#include "lib/widgets/window_helpers.h"
#include "lib/work_guard.h"

#include <QLineEdit>

namespace navlor {

namespace {

const QString kBatchFlag = QStringLiteral("S");

QString openDialogFilter()
{
    return QStringLiteral("Todos arquivos|*.*|Compactados *.ARJ|*.ARJ|Base de Dados *.DB|*.DB");
}

QString missingArchiverMessage()
{
    return QStringLiteral("Programa ARJ.EXE não localizado no diretório ") +
           consoleGlobals().GB_DIR1 + QStringLiteral("\\EXE\\ARJ.EXE");
}

bool containsFiles(const QString& directory)
{
    return !PRIMEIRO_ARQUIVO(directory + QStringLiteral("\\*.*")).isEmpty();
}

} // namespace

TF_BKPDIR::TF_BKPDIR(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TF_BKPDIR>())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    layout()->setMenuBar(m_ui->MainMenu1);
    m_ui->CB_B_OPERACAO->setCurrentIndex(1);
    m_ui->CB_R_OPERACAO->setCurrentIndex(0);
    m_openDialog.filter = openDialogFilter();

    connectHandlers();
    centreOnDesktop();
    FormCreate();
}

TF_BKPDIR::~TF_BKPDIR() = default;

void TF_BKPDIR::connectHandlers()
{
    const auto onClick = [this](QPushButton* button, void (TF_BKPDIR::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    onClick(m_ui->BU_GUARDAR, &TF_BKPDIR::BU_GUARDARClick);
    onClick(m_ui->BU_RESTAURAR, &TF_BKPDIR::BU_RESTAURARClick);
    onClick(m_ui->BU_DIRETORIOS, &TF_BKPDIR::BU_DIRETORIOSClick);
    onClick(m_ui->BU_SAIR, &TF_BKPDIR::BU_SAIRClick);
    onClick(m_ui->BU_B_DIRORIGEM, &TF_BKPDIR::BU_B_DIRORIGEMClick);
    onClick(m_ui->BU_B_DIRDESTINO, &TF_BKPDIR::BU_B_DIRDESTINOClick);
    onClick(m_ui->BU_B_CRIADIR, &TF_BKPDIR::BU_B_CRIADIRClick);
    onClick(m_ui->BU_B_OPENDIALOG, &TF_BKPDIR::BU_B_OPENDIALOGClick);
    onClick(m_ui->BU_B_EXECUTAR, &TF_BKPDIR::BU_B_EXECUTARClick);
    onClick(m_ui->BU_R_ORIGEM, &TF_BKPDIR::BU_R_ORIGEMClick);
    onClick(m_ui->BU_R_DESTINO, &TF_BKPDIR::BU_R_DESTINOClick);
    onClick(m_ui->BU_R_EXECUTAR, &TF_BKPDIR::BU_R_EXECUTARClick);
    onClick(m_ui->BU_CONTEUDO, &TF_BKPDIR::BU_CONTEUDOClick);

    const auto onTrigger = [this](QAction* action, void (TF_BKPDIR::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    onTrigger(m_ui->Guardar1, &TF_BKPDIR::BU_GUARDARClick);
    onTrigger(m_ui->Restaurar1, &TF_BKPDIR::BU_RESTAURARClick);
    onTrigger(m_ui->Conteudo1, &TF_BKPDIR::BU_CONTEUDOClick);
    onTrigger(m_ui->DialogCriardiretorios1, &TF_BKPDIR::DialogCriardiretorios1Click);
    onTrigger(m_ui->Diretorios1, &TF_BKPDIR::Diretorios1Click);
    onTrigger(m_ui->Sair1, &TF_BKPDIR::BU_SAIRClick);
    onTrigger(m_ui->Sair2, &TF_BKPDIR::BU_SAIRClick);

    // Only the operator's changes apply an entry; the texts the window sets itself do not.
    connect(m_ui->CB_EXECUTAR->lineEdit(), &QLineEdit::textEdited, this,
            &TF_BKPDIR::CB_EXECUTARChange);
    connect(m_ui->CB_EXECUTAR, &QComboBox::textActivated, this, &TF_BKPDIR::CB_EXECUTARChange);
    connect(m_ui->E_B_DIRORIGEM, &QLineEdit::textChanged, this, &TF_BKPDIR::E_B_DIRORIGEMChange);
    connect(m_ui->E_B_DIRDESTINO, &QLineEdit::textChanged, this, &TF_BKPDIR::E_B_DIRDESTINOChange);
    connect(m_ui->E_C_TIPO, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = m_ui->E_C_TIPO->cursorPosition();
        m_ui->E_C_TIPO->setText(upperEach(text));
        m_ui->E_C_TIPO->setCursorPosition(cursor);
    });
}

void TF_BKPDIR::centreOnDesktop()
{
    resize(738, 512);
    centreOnScreen(*this);
}

void TF_BKPDIR::FormCreate()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_BKP);
    m_ui->CB_EXECUTAR->addItems(readDirectoryHistory());
    const QString last = LE_PROGRAMA(kHistorySection, QStringLiteral("BKP0"));
    m_ui->CB_EXECUTAR->setEditText(last);
    if (!last.isEmpty())
        CB_EXECUTARChange();
    if (m_ui->E_B_DIRORIGEM->text().isEmpty()) {
        m_ui->E_B_DIRORIGEM->setText(consoleGlobals().GB_DIRDEFAULT);
        m_ui->E_B_DIRDESTINO->setText(firstUseDestination());
        m_ui->CB_B_OPERACAO->setEditText(QStringLiteral("M"));
        m_ui->CB_B_SUBDIR->setChecked(true);
    }
    deriveArchiveName();
    m_arqArj = LOCALIZA_ARJ(consoleGlobals().GB_DIR1);
}

// ---- frame -------------------------------------------------------------------------------

void TF_BKPDIR::BU_GUARDARClick()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_BKP);
}

void TF_BKPDIR::BU_RESTAURARClick()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_RESTORE);
}

void TF_BKPDIR::BU_DIRETORIOSClick()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_CONTEUDO);
    BU_CONTEUDOClick();
}

void TF_BKPDIR::BU_SAIRClick()
{
    close();
}

void TF_BKPDIR::CB_EXECUTARChange()
{
    const HistoryFields fields = applyHistoryEntry(m_ui->CB_EXECUTAR->currentText());
    if (fields.entry != m_ui->CB_EXECUTAR->currentText())
        m_ui->CB_EXECUTAR->setEditText(fields.entry);
    m_ui->CB_B_OPERACAO->setEditText(fields.operation);
    m_ui->E_B_DIRDESTINO->setText(fields.destination);
    m_ui->E_B_DIRORIGEM->setText(fields.origin);
    m_ui->CB_B_SUBDIR->setChecked(fields.subdirs);
    m_ui->E_R_ORIGEM->setText(fields.restoreOrigin);
    m_ui->E_R_DESTINO->setText(fields.restoreTarget);
}

void TF_BKPDIR::E_B_DIRORIGEMChange()
{
    deriveArchiveName();
}

void TF_BKPDIR::E_B_DIRDESTINOChange()
{
    deriveArchiveName();
}

void TF_BKPDIR::deriveArchiveName()
{
    m_ui->E_NOMEARQ->setText(archiveNameFor(m_ui->E_B_DIRORIGEM->text()));
}

// ---- store tab ---------------------------------------------------------------------------

void TF_BKPDIR::BU_B_DIRORIGEMClick()
{
    const QString chosen =
        dialogs().browseFolder(QString(), chooserStart(m_ui->E_B_DIRORIGEM->text()));
    if (!chosen.isEmpty())
        m_ui->E_B_DIRORIGEM->setText(chosen);
    (void)platform().setCurrentDirectory(QStringLiteral("C:\\"));
}

void TF_BKPDIR::BU_B_DIRDESTINOClick()
{
    const QString chosen =
        dialogs().browseFolder(QString(), chooserStart(m_ui->E_B_DIRDESTINO->text()));
    if (!chosen.isEmpty())
        m_ui->E_B_DIRDESTINO->setText(chosen);
}

void TF_BKPDIR::BU_B_CRIADIRClick()
{
    const QString destination = m_ui->E_B_DIRDESTINO->text();
    if (DIRETORIO_EXISTE(destination)) {
        dialogs().message(QStringLiteral("Diretório já Existe: ") + destination);
        return;
    }
    (void)platform().createDirectory(destination);
    if (DIRETORIO_EXISTE(destination))
        dialogs().message(QStringLiteral("Diretório Criado com sucesso: ") + destination);
    else
        dialogs().message(QStringLiteral("Erro na criação do Diretório: ") + destination);
}

void TF_BKPDIR::BU_B_OPENDIALOGClick()
{
    QString start = m_ui->E_B_DIRDESTINO->text();
    if (start.endsWith(u'\\') && !start.endsWith(QStringLiteral(":\\")))
        start.chop(1);
    m_openDialog.directory = start;
    m_openDialog.fileName.clear();
    if (!dialogs().openFiles(m_openDialog).isEmpty())
        m_ui->E_B_DIRDESTINO->setText(m_openDialog.directory);
}

void TF_BKPDIR::BU_B_EXECUTARClick()
{
    WorkGuard guard(m_working);
    if (guard.entered())
        store();
}

void TF_BKPDIR::store()
{
    if (m_arqArj.isEmpty()) {
        dialogs().message(missingArchiverMessage());
        return;
    }
    const QString op = m_ui->CB_B_OPERACAO->currentText().left(1);
    const QString origin = m_ui->E_B_DIRORIGEM->text();
    const QString destination = m_ui->E_B_DIRDESTINO->text();
    const QString name = m_ui->E_NOMEARQ->text();
    QString entry = m_arqArj + u'#' + op + u'#';
    m_ui->CB_EXECUTAR->setEditText(entry);

    const bool move = op == QStringLiteral("M");
    if (move && origin.compare(consoleGlobals().GB_DIRDEFAULT, Qt::CaseInsensitive) == 0) {
        dialogs().message(
            QStringLiteral("Diretório de ORIGEM não pode ser o diretório atual do sistema- ") +
            origin);
        return;
    }
    if (!DIRETORIO_EXISTE(destination)) {
        dialogs().message(QStringLiteral("Diretório de DESTINO não localizado - ") + destination);
        BU_B_OPENDIALOGClick();
        return;
    }
    entry += destination + name + u'#';
    m_ui->CB_EXECUTAR->setEditText(entry);
    if (!DIRETORIO_EXISTE(origin)) {
        dialogs().message(QStringLiteral("Diretório de Origem não localizado - ") + origin);
        BU_B_DIRORIGEMClick();
        return;
    }
    if (move && !dialogs().confirm(QStringLiteral("ATENÇÃO:\rOs arquivos do diretório de Origem "
                                                  "serão excluídos após a Cópia\rContinuar ?"),
                                   QStringLiteral("Exclusão de Arquivos")))
        return;

    entry = storeEntry(m_arqArj, op, destination + name, origin, m_ui->CB_B_TIPOS->currentText(),
                       m_ui->CB_B_SUBDIR->isChecked());
    m_ui->CB_EXECUTAR->setEditText(entry);

    const QString command = storeCommandLine(entry);
    (void)platform().setCurrentDirectory(QStringLiteral("C:\\"));
    m_ui->la_exec->setText(command);
    processMessages();
    EXECUTA_BAT(command, ShowMode::ShowNormal, kBatchFlag);
    processMessages();

    if (!platform().fileExists(destination + name)) {
        dialogs().message(QStringLiteral("ERRO - ARQUIVO DE DESTINO NÃO CRIADO - ") + destination +
                          name);
        return;
    }

    QStringList items;
    for (int i = 0; i < m_ui->CB_EXECUTAR->count(); ++i)
        items << m_ui->CB_EXECUTAR->itemText(i);
    recordDirectoryHistory(entry, items);
    m_ui->CB_EXECUTAR->addItem(entry);
    m_ui->CB_EXECUTAR->setEditText(entry);

    if (move && m_ui->CB_REMOVEDIR->isChecked()) {
        processMessages();
        if (!platform().removeDirectory(origin))
            dialogs().message(QStringLiteral("Não foi possivel REMOVER o diretório - ") + origin);
    }
    dialogs().message(QStringLiteral("BKP CONCLUIDO"));
}

// ---- restore tab -------------------------------------------------------------------------

void TF_BKPDIR::BU_R_ORIGEMClick()
{
    m_openDialog.filterIndex = 2;
    m_openDialog.directory = chooserStart(m_ui->E_R_ORIGEM->text());
    m_openDialog.fileName.clear();
    const QStringList chosen = dialogs().openFiles(m_openDialog);
    if (!chosen.isEmpty())
        m_ui->E_R_ORIGEM->setText(upperEach(chosen.first()));
}

void TF_BKPDIR::BU_R_DESTINOClick()
{
    const QString chosen =
        dialogs().browseFolder(QString(), chooserStart(m_ui->E_R_DESTINO->text()));
    if (!chosen.isEmpty())
        m_ui->E_R_DESTINO->setText(chosen);
}

void TF_BKPDIR::BU_R_EXECUTARClick()
{
    WorkGuard guard(m_working);
    if (guard.entered())
        restore();
}

void TF_BKPDIR::restore()
{
    if (m_arqArj.isEmpty()) {
        dialogs().message(missingArchiverMessage());
        return;
    }
    const QString archive = m_ui->E_R_ORIGEM->text();
    if (!platform().fileExists(archive)) {
        dialogs().message(QStringLiteral("Arquivo de Origem não localizado - ") + archive);
        BU_R_ORIGEMClick();
        return;
    }
    const QString op = m_ui->CB_R_OPERACAO->currentText().left(1);
    const QString target = m_ui->E_R_DESTINO->text();
    const bool exists = DIRETORIO_EXISTE(target);
    const bool hasFiles = exists && containsFiles(target);
    if (op == QStringLiteral("X") && hasFiles) {
        dialogs().message(QStringLiteral("------ OPERAÇÃO CANCELADA ------\rDIRETÓRIO DE DESTINO "
                                         "JÁ EXISTE E CONTEM ARQUIVOS\r") +
                          target);
        return;
    }
    if (op == QStringLiteral("E") && !exists) {
        dialogs().message(QStringLiteral("DIRETÓRIO DE DESTINO NÃO EXISTE\r") + target);
        return;
    }
    if (hasFiles &&
        !dialogs().confirm(QStringLiteral("Existem arquivos no diretório de destino\rSe continuar "
                                          "estes arquivos serão REGRAVADOS\rContinuar assim "
                                          "mesmo ?"),
                           QStringLiteral("DIRETÓRIO DE DESTINO")))
        return;

    const QString entry =
        restoreEntry(m_arqArj, op, archive, target, m_ui->CB_R_TIPOS->currentText());
    m_ui->CB_EXECUTAR->setEditText(entry);
    const RestoredDatabases restored(target);
    EXECUTA_BAT(entryCommandLine(entry), ShowMode::ShowNormal, kBatchFlag);
    postToConsole(restored.fixUpWritten());
    dialogs().message(QStringLiteral("RESTAURAÇÃO CONCLUIDA"));
}

// ---- contents tab ------------------------------------------------------------------------

void TF_BKPDIR::BU_CONTEUDOClick()
{
    WorkGuard guard(m_working);
    if (!guard.entered())
        return;
    m_openDialog.filterIndex = 2;
    m_openDialog.directory = windowsDirectoryPart(m_ui->E_R_ORIGEM->text());
    m_openDialog.fileName.clear();
    const QStringList chosen = dialogs().openFiles(m_openDialog);
    if (chosen.isEmpty())
        return;
    const QString name = upperEach(chosen.first());
    m_ui->E_EDIT->clear();

    Platform& p = platform();
    const QString listing = contentsListingFile();
    // A listing that stays from an earlier run would pass for this archive's contents.
    if (p.fileExists(listing) && !p.deleteFile(listing))
        return;
    EXECUTA_BAT(contentsCommand(m_arqArj, name, m_ui->E_C_TIPO->text(), listing), ShowMode::Hide,
                kBatchFlag);
    if (const std::optional<QByteArray> bytes = p.readFile(listing))
        m_ui->E_EDIT->setPlainText(fromAnsi(*bytes));
}

// ---- menu --------------------------------------------------------------------------------

void TF_BKPDIR::DialogCriardiretorios1Click()
{
    m_openDialog.directory = m_ui->E_B_DIRDESTINO->text();
}

void TF_BKPDIR::Diretorios1Click()
{
    ESCOLHE_DIRETORIO(QStringLiteral("c:\\valdorow"), QString());
}

void openDirectoryBackupWindow(QWidget* parent)
{
    TF_BKPDIR window(parent);
    showModal(&window);
}

} // namespace navlor
