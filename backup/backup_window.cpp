#include "backup/backup_window.h"

#include "ui_backup_window.h"

#include "backup/backup_log.h"
#include "backup/backup_run.h"
#include "backup/console_relay.h"
#include "backup/job_batch_text.h"
#include "backup/job_field_check.h"
#include "backup/pass_lock.h"
#include "backup/run_report.h"
#include "backup/window_console.h"
#include "lib/choose_directory.h"
#include "lib/dialogs.h"
#include "lib/param_store.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"
#include "lib/widgets/console_window.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/widgets/print_window.h"
#include "lib/widgets/window_helpers.h"
#include "lib/windows_path.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QThread>

#include <algorithm>
#include <memory>

namespace navlor {

TF_BKPA* F_BKPA = nullptr;

namespace {

// Columns of the map: number, last run, title, last archive, period.
constexpr int kMapColumnWidths[] = {37, 56, 229, 324, 86};

} // namespace

TF_BKPA::TF_BKPA(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_BKPA>()), m_instance(F_BKPA, this)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_console = makeWindowConsole(*this);

    QTableWidget* grid = m_ui->GRID_MAPA;
    for (int column = 0; column < grid->columnCount(); ++column)
        grid->setColumnWidth(column, kMapColumnWidths[column]);

    loadGlyphs();
    connectHandlers();
    centreOnScreen(*this);
    FormCreate();
}

TF_BKPA::~TF_BKPA()
{
    // Only a program ending abnormally gets here mid-run: the run stops at its next safe
    // point, and what it shows meanwhile still needs this thread.
    if (m_runThread) {
        disconnect(m_runThread.get(), nullptr, this, nullptr);
        m_cancel->cancel();
        while (!m_runThread->wait(50))
            QCoreApplication::sendPostedEvents();
    }
}

void TF_BKPA::loadGlyphs()
{
    m_ui->BU_SAIR->setIcon(loadGlyph(QStringLiteral("glyph_sair.jpg")));
    m_ui->BU_ABRIR->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_RESTAURA->setIcon(loadGlyph(QStringLiteral("glyph_bkpa.jpg")));
    m_ui->BU_SALVAR->setIcon(loadGlyph(QStringLiteral("glyph_salvar.jpg")));
    m_ui->BU_BAT_SALVAR->setIcon(loadGlyph(QStringLiteral("glyph_salvar.jpg")));
    m_ui->BU_EXECUTAR->setIcon(loadGlyph(QStringLiteral("glyph_bkpa.jpg")));
    m_ui->BU_BAT_EXECUTAR->setIcon(loadGlyph(QStringLiteral("glyph_bkpa.jpg")));
}

void TF_BKPA::connectHandlers()
{
    Ui::TF_BKPA& ui = *m_ui;
    connect(ui.LIST, &QListWidget::currentRowChanged, this, &TF_BKPA::LISTClick);
    connect(ui.LIST, &QListWidget::itemDoubleClicked, this, &TF_BKPA::LISTDblClick);
    connect(ui.BU_SAIR, &QPushButton::clicked, this, &TF_BKPA::BU_SAIRClick);
    connect(ui.BU_ABRIR, &QPushButton::clicked, this, &TF_BKPA::BU_ABRIRClick);
    connect(ui.BU_MAPA, &QPushButton::clicked, this, &TF_BKPA::BU_MAPAClick);
    connect(ui.BU_RESTAURA, &QToolButton::clicked, this, &TF_BKPA::BU_RESTAURAClick);
    connect(ui.BU_SALVAR, &QPushButton::clicked, this, &TF_BKPA::BU_SALVARClick);
    connect(ui.BU_MENU, &QPushButton::clicked, this, &TF_BKPA::BU_MENUClick);
    connect(ui.BU_BAT_MENU, &QPushButton::clicked, this, &TF_BKPA::BU_MENUClick);
    connect(ui.BU_EXECUTAR, &QPushButton::clicked, this, &TF_BKPA::BU_EXECUTARClick);
    connect(ui.BU_BAT_SALVAR, &QPushButton::clicked, this, &TF_BKPA::BU_BAT_SALVARClick);
    connect(ui.BU_BAT_EXECUTAR, &QPushButton::clicked, this, &TF_BKPA::BU_BAT_EXECUTARClick);
    connect(ui.BU_CANCELAR, &QPushButton::clicked, this, &TF_BKPA::BU_CANCELARClick);
    connect(ui.E_PERIODO, &QComboBox::activated, this, &TF_BKPA::E_PERIODOChange);
    connect(ui.CB_BATEXECUTE, &QCheckBox::clicked, this, &TF_BKPA::CB_BATEXECUTEClick);

    connect(ui.Diretorios1, &QAction::triggered, this, &TF_BKPA::Diretorios1Click);
    connect(ui.ImprimirTela1, &QAction::triggered, this, &TF_BKPA::ImprimirTela1Click);
    connect(ui.Parmetros1, &QAction::triggered, this, &TF_BKPA::BU_ABRIRClick);
    connect(ui.Mapa1, &QAction::triggered, this, &TF_BKPA::BU_MAPAClick);
    connect(ui.ExtrairRestaurarArquivos1, &QAction::triggered, this, &TF_BKPA::BU_RESTAURAClick);
    connect(ui.Sair1, &QAction::triggered, this, &TF_BKPA::BU_SAIRClick);
    connect(ui.Sair2, &QAction::triggered, this, &TF_BKPA::BU_SAIRClick);
    // The menu bar lives inside the dialog, so F12 must reach it from any control.
    ui.Sair1->setShortcutContext(Qt::WindowShortcut);
    addAction(ui.Sair1);

    for (QLineEdit* edit : {ui.E_ORIGEM, ui.E_DESTINO, ui.E_NOMEARQ, ui.E_ARQGRA})
        connect(edit, &QLineEdit::textChanged, this, &TF_BKPA::keepInCapitals);
    ui.E_DESTINO->installEventFilter(this);
    ui.LA_ORIGEM->installEventFilter(this);
    ui.LA_DESTINO->installEventFilter(this);
}

void TF_BKPA::keepInCapitals()
{
    auto* edit = qobject_cast<QLineEdit*>(sender());
    if (!edit || edit->text() == upperEach(edit->text()))
        return;
    const int cursor = edit->cursorPosition();
    edit->setText(upperEach(edit->text()));
    edit->setCursorPosition(cursor);
}

bool TF_BKPA::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->E_DESTINO && event->type() == QEvent::FocusOut) {
        E_DESTINOExit();
    } else if (event->type() == QEvent::MouseButtonRelease &&
               (watched == m_ui->LA_ORIGEM || watched == m_ui->LA_DESTINO)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (watched == m_ui->LA_ORIGEM)
                LA_ORIGEMClick();
            else
                LA_DESTINOClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TF_BKPA::FormCreate()
{
    QTabWidget* pages = m_ui->PC_GERAL;
    // "Parâmetros" and "Mapa" are reached through their buttons only.
    for (QWidget* page : {m_ui->TS_PARAM, m_ui->TS_MAPA}) {
        const int index = pages->indexOf(page);
        // The page keeps its title; a hidden tab that is current would still draw its text.
        page->setWindowTitle(pages->tabText(index));
        pages->setTabText(index, QString());
        pages->setTabVisible(index, false);
    }
    pages->setCurrentWidget(m_ui->TS_MENU);
    m_ui->E_ITEM->setText(QStringLiteral("00"));
    fillJobList();
    loadJob();
    m_archiverOption = readArchiverOption(dataDirectory());
}

// ---- the job in the controls -------------------------------------------------------------

QString TF_BKPA::dataDirectory() const
{
    return m_console->dataDirectory();
}

BackupJob TF_BKPA::job() const
{
    const Ui::TF_BKPA& ui = *m_ui;
    BackupJob job;
    job.numberText = ui.E_ITEM->text();
    job.paramFileBase = ui.LA_DIRPARAM->text();
    job.title = ui.E_TITULO->text();
    job.active = ui.CB_ATIVAR->isChecked();
    job.subdirectories = ui.CB_SUBDIR->isChecked();
    job.runsOwnBatch = ui.CB_BATEXECUTE->isChecked();
    job.period = ui.E_PERIODO->currentText();
    job.masks = ui.E_TIPOARQ->currentText();
    job.source = ui.E_ORIGEM->text();
    job.destination = ui.E_DESTINO->text();
    job.archiveBaseName = ui.E_NOMEARQ->text();
    job.exclusions = ui.E_EXCLUIR->currentText();
    job.lastArchive = ui.E_ARQGRA->text();
    job.lastRunDate = ui.E_ULTIMATU->text();
    job.lastRunTime = ui.E_ULTHORA->text();
    job.optionItem = ui.E_OPCOES->currentText();
    job.batchText = ui.Memo1->toPlainText();
    return job;
}

void TF_BKPA::showJob(const BackupJob& job)
{
    Ui::TF_BKPA& ui = *m_ui;
    ui.E_ITEM->setText(job.numberText);
    ui.LA_DIRPARAM->setText(job.paramFileBase.isEmpty() ? QStringLiteral("___")
                                                        : job.paramFileBase);
    ui.E_TITULO->setText(job.title);
    ui.CB_ATIVAR->setChecked(job.active);
    ui.CB_SUBDIR->setChecked(job.subdirectories);
    ui.CB_BATEXECUTE->setChecked(job.runsOwnBatch);
    ui.E_PERIODO->setCurrentText(job.period);
    ui.E_TIPOARQ->setCurrentText(job.masks);
    ui.E_ORIGEM->setText(job.source);
    ui.E_DESTINO->setText(job.destination);
    ui.E_NOMEARQ->setText(job.archiveBaseName);
    ui.E_EXCLUIR->setCurrentText(job.exclusions);
    ui.E_ARQGRA->setText(job.lastArchive);
    ui.E_ULTIMATU->setText(job.lastRunDate);
    ui.E_ULTHORA->setText(job.lastRunTime);
    ui.E_OPCOES->setCurrentText(job.optionItem);
    if (ui.Memo1->toPlainText() != job.batchText)
        ui.Memo1->setPlainText(job.batchText);
    applyBatExecuteRule();
}

void TF_BKPA::fillJobList()
{
    QListWidget* list = m_ui->LIST;
    {
        // Refilling is no choice of the operator's.
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItems(jobListItems(dataDirectory()));
    }
    const std::optional<int> number = jobNumber(m_ui->E_ITEM->text());
    const QSignalBlocker quiet(list);
    list->setCurrentRow(number.value_or(0));
}

void TF_BKPA::loadJob()
{
    BackupJob current = job();
    navlor::loadJob(current, dataDirectory(), m_console->systemDirectory());
    showJob(current);
}

// A source that is not there (yet) is saved only when the operator says so.
bool TF_BKPA::sourceAcceptedForSaving()
{
    const QString source = m_ui->E_ORIGEM->text();
    if (trimControls(source).isEmpty() || platform().directoryExists(source))
        return true;
    return dialogs().confirm(
        QStringLiteral("O diretório de Origem não existe. Salvar assim mesmo?"));
}

void TF_BKPA::saveJob()
{
    BackupJob current = job();
    // A value the command interpreter would read as its own syntax is never stored.
    if (const std::optional<FieldFault> fault = commandSyntaxIn(current)) {
        dialogs().message(fieldFaultText(current.numberText, *fault));
        return;
    }
    if (!sourceAcceptedForSaving())
        return;
    // Unsaved, the controls keep what was typed for another try; the store has said why.
    if (!navlor::saveJob(current, dataDirectory()))
        return;
    showJob(current);
    fillJobList();
}

void TF_BKPA::applyBatExecuteRule()
{
    Ui::TF_BKPA& ui = *m_ui;
    const bool own = ui.CB_BATEXECUTE->isChecked();
    ui.Memo1->setEnabled(own);
    for (QWidget* control : std::initializer_list<QWidget*>{ui.E_TIPOARQ, ui.E_ORIGEM, ui.E_DESTINO,
                                                            ui.E_EXCLUIR, ui.CB_SUBDIR})
        control->setEnabled(!own);
}

// ---- handlers ----------------------------------------------------------------------------

void TF_BKPA::LISTClick()
{
    const int row = m_ui->LIST->currentRow();
    if (row >= 0)
        m_ui->E_ITEM->setText(jobNumberText(row));
}

void TF_BKPA::LISTDblClick()
{
    LISTClick();
    BU_ABRIRClick();
}

void TF_BKPA::BU_ABRIRClick()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_PARAM);
    loadJob();
}

void TF_BKPA::BU_SALVARClick()
{
    saveJob();
}

void TF_BKPA::BU_MENUClick()
{
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_MENU);
}

namespace {

// "Executar" on the run's own thread: the same lock as the start-up pass (a click during a
// pass waits for it), then the job, asking before a job that is not due.
void runOwnJob(BackupJob& job, const QString& archiverOption, const QString& dataDirectory,
               bool parametersShowing, BackupConsole& console)
{
    const QString number = job.numberText;
    InterruptDeferral running;
    const PassLock lock(dataDirectory, console.archiverCeilingSeconds(),
                        [&console] { console.ADD_MSG(passLockWaitText()); }, {});
    if (lock.held()) {
        (void)executeJob(job, archiverOption, console, parametersShowing, true);
    } else if (cancelRequested()) {
        console.ADD_MSG(QStringLiteral("ERRO - BKP (") + number + QStringLiteral(") - ") +
                        cancelledReason());
        (void)logged(BackupLog(dataDirectory).jobError(number, {}, cancelledReason()), console);
    } else if (!interruptRequested()) {
        dialogs().message(
            QStringLiteral("Outra execução do NAVLOR não terminou - BKP não executado"));
    }
}

} // namespace

void TF_BKPA::BU_EXECUTARClick()
{
    // A click taken in while a run goes on must not start a second run.
    if (m_running)
        return;
    m_running = true;
    m_cancel = std::make_unique<CancelRequest>();
    setRunControls(true);
    // The run goes on a thread of its own: the window answers meanwhile because nothing
    // blocks it. What the run shows and asks is relayed to this thread.
    auto current = std::make_shared<BackupJob>(job());
    const bool parametersShowing = m_ui->PC_GERAL->currentWidget() == m_ui->TS_PARAM;
    auto relay = std::shared_ptr<BackupConsole>(relayToThreadOf(*this, *m_console));
    const QString archiverOption = m_archiverOption;
    const QString data = dataDirectory();
    m_runThread.reset(QThread::create(
        [=] { runOwnJob(*current, archiverOption, data, parametersShowing, *relay); }));
    connect(
        m_runThread.get(), &QThread::finished, this, [this, current] { endOwnRun(*current); },
        Qt::QueuedConnection);
    m_runThread->start();
}

void TF_BKPA::endOwnRun(const BackupJob& job)
{
    m_runThread->wait();
    m_runThread.reset();
    setRunControls(false);
    m_cancel.reset();
    m_running = false;
    showJob(job);
    emit runFinished();
}

// While "Executar" runs only "Cancelar" takes a click: nothing else may start or close.
void TF_BKPA::setRunControls(bool running)
{
    m_ui->PC_GERAL->setEnabled(!running);
    m_ui->MainMenu1->setEnabled(!running);
    for (QAction* action : actions())
        action->setEnabled(!running);
    m_ui->BU_CANCELAR->setEnabled(running);
    if (running)
        m_ui->BU_CANCELAR->setFocus();
}

void TF_BKPA::BU_CANCELARClick()
{
    if (m_cancel)
        m_cancel->cancel();
}

void TF_BKPA::showStatus(const QString& text)
{
    m_ui->LA_MSG->setText(text);
}

void TF_BKPA::closeEvent(QCloseEvent* event)
{
    // Closing under a run would leave it without its window: refused until it ends.
    if (m_cancel) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TF_BKPA::reject()
{
    if (m_cancel)
        return; // Escape during a run
    QDialog::reject();
}

void TF_BKPA::E_PERIODOChange()
{
    const QString period = m_ui->E_PERIODO->currentText();
    if (m_ui->CB_ATIVAR->isChecked() && period.left(1) != m_ui->E_TITULO->text().left(1))
        m_ui->E_TITULO->setText(period);
}

void TF_BKPA::CB_BATEXECUTEClick()
{
    applyBatExecuteRule();
}

void TF_BKPA::E_DESTINOExit()
{
    const QString text = m_ui->E_DESTINO->text();
    if (text.contains(u' '))
        m_ui->E_DESTINO->setText(QString(text).replace(u' ', u'_'));
}

void TF_BKPA::LA_ORIGEMClick()
{
    const QString chosen =
        ESCOLHE_DIRETORIO(m_ui->E_ORIGEM->text(), QStringLiteral("Selecionar Diretório"));
    // A cancelled choice over a text that is no directory gives nothing: keep what was typed.
    if (!chosen.isEmpty())
        m_ui->E_ORIGEM->setText(chosen);
}

void TF_BKPA::LA_DESTINOClick()
{
    const QString chosen =
        ESCOLHE_DIRETORIO(m_ui->E_DESTINO->text(), QStringLiteral("Selecionar Diretório"));
    if (!chosen.isEmpty())
        m_ui->E_DESTINO->setText(chosen);
}

void TF_BKPA::Diretorios1Click()
{
    OpenDialog1.directory = m_ui->E_DESTINO->text();
    dialogs().openFiles(OpenDialog1); // only to look: the choice is not used
}

void TF_BKPA::ImprimirTela1Click()
{
    IMPRIME_JANELA(this);
}

void TF_BKPA::BU_MAPAClick()
{
    QTableWidget* grid = m_ui->GRID_MAPA;
    grid->setHorizontalHeaderLabels({QStringLiteral("Num"), QStringLiteral("Data"),
                                     QStringLiteral("Titulo"), QStringLiteral("Arq."),
                                     QStringLiteral("Período")});
    m_ui->PC_GERAL->setCurrentWidget(m_ui->TS_MAPA);
    // The header is the grid's fixed row; grid row n + 1 is table row n.
    grid->setRowCount(1);
    const QString remembered = m_ui->E_ITEM->text();
    const QString dataDir = dataDirectory();

    const auto cell = [grid](int row, int column, const QString& text) {
        QTableWidgetItem* item = grid->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            grid->setItem(row, column, item);
        }
        item->setText(text);
        if (column == 0) {
            // The fixed column: a heading, not a value to select.
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(grid->palette().button());
        }
    };
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        // One that cannot be read (the operator has been told) shows as an empty row.
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        grid->setRowCount(number + 1);
        cell(number, 0, jobNumberText(number));
        if (!file || (*file)[kJobTitleLine].isEmpty())
            continue;
        cell(number, 1, (*file)[kJobLastDateLine]);
        cell(number, 2, (*file)[kJobTitleLine]);
        cell(number, 3, (*file)[kJobLastArchiveLine]);
        cell(number, 4, (*file)[kJobPeriodLine]);
    }

    m_ui->E_ITEM->setText(remembered);
    const QSignalBlocker quiet(m_ui->LIST);
    m_ui->LIST->setCurrentRow(jobNumber(remembered).value_or(0));
}

void TF_BKPA::BU_RESTAURAClick()
{
    BU_ABRIRClick();
    if (WindowOpener* opener = windowOpener())
        // The archive keeps the job's paths without their drive.
        opener->openExtractWindow(this, m_ui->E_ARQGRA->text(),
                                  windowsDriveRoot(m_ui->E_ORIGEM->text()));
}

void TF_BKPA::BU_BAT_SALVARClick()
{
    const std::optional<int> number = jobNumber(m_ui->E_ITEM->text());
    if (!number)
        return;
    if (!saveJobBatch(dataDirectory(), *number, m_ui->Memo1->toPlainText()))
        dialogs().message(QStringLiteral("Não foi possivel GRAVAR o arquivo - ") +
                          jobBatFile(dataDirectory(), *number));
}

void TF_BKPA::BU_BAT_EXECUTARClick()
{
    const std::optional<int> number = jobNumber(m_ui->E_ITEM->text());
    if (!number)
        return;
    // The saved file runs, not what the memo holds unsaved.
    const QString file = jobBatFile(dataDirectory(), *number);
    if (platform().fileExists(file))
        EXECUTA_BAT(file, ShowMode::ShowNormal, QStringLiteral("S"));
}

void TF_BKPA::BU_SAIRClick()
{
    close();
}

} // namespace navlor
