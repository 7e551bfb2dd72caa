#include "app/main_window.h"

#include "app/usage.h"

#include "ui_main_window.h"

#include "app/subsystem_windows.h"

#include "backup/backup_log.h"
#include "backup/backup_pass.h"
#include "backup/backup_run.h"
#include "backup/backup_window.h"
#include "lib/console_flags.h"
#include "lib/dates.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/registry_settings.h"
#include "lib/system_info.h"
#include "lib/text_utils.h"
#include "lib/widgets/input_gate.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/widgets/window_helpers.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShowEvent>
#include <QThread>

namespace navlor {

TF_NAVLOR* F_NAVLOR = nullptr;

namespace {

// The client area the window was designed for: 692 x 453 outside, less the frame.
constexpr int kClientWidth = 684;
constexpr int kClientHeight = 399;

} // namespace

TF_NAVLOR::TF_NAVLOR(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TF_NAVLOR>()), m_instance(F_NAVLOR, this)
{
    m_ui->setupUi(this);
    setMainConsole(this);
    m_opener = makeSubsystemWindows();
    setWindowOpener(m_opener.get());

    TM_GERAL.setParent(this);
    TM_GERAL.setObjectName(QStringLiteral("TM_GERAL"));
    TM_GERAL.setInterval(1000);
    TM_FECHAR.setParent(this);
    TM_FECHAR.setObjectName(QStringLiteral("TM_FECHAR"));
    TM_FECHAR.setInterval(20000);

    OpenDialog1 = FileDialogRequest{};
    OpenDialog2.filter = QStringLiteral("Todos Arquivos|*.*|Arq. de configuração *.GBL|*.gbl|"
                                        "Arquivos de rede *.LCK|p*.lck");
    OpenDialog2.multiSelect = true;

    // The message line shows any text, not only items of its list, and only the program
    // writes to it.
    m_ui->E_MSG->lineEdit()->setReadOnly(true);
    m_ui->E_MSG->setEditText(QString());

    loadPictures();
    m_ui->Image1->installEventFilter(this);
    connectHandlers();
    // Sair keeps its distance to the right edge, the message line spans the width.
    m_ui->centralwidget->installEventFilter(this);
    m_sairMargin = m_ui->Panel1->width() - m_ui->BU_SAIR->geometry().right();
    m_messageMargin = m_ui->Panel2->width() - m_ui->E_MSG->geometry().right();
    sizeAndCentre();
    FormCreate(arguments);
}

TF_NAVLOR::~TF_NAVLOR()
{
    // Only a program ending abnormally gets here mid-pass: the pass stops at its next safe
    // point, and the boxes it asks for meanwhile still need this thread.
    if (m_pass) {
        disconnect(m_pass.get(), nullptr, this, nullptr);
        requestInterrupt();
        while (m_pass->running())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (mainConsole() == this)
        setMainConsole(nullptr);
    if (windowOpener() == m_opener.get())
        setWindowOpener(nullptr);
}

void TF_NAVLOR::loadPictures()
{
    m_ui->I_IMAGE->setPixmap(loadPicture(QStringLiteral("navlor_banner.jpg")));
    m_ui->Image1->setPixmap(loadPicture(QStringLiteral("valdoro_logo.jpg")));
    m_ui->BU_BKPA->setIcon(loadGlyph(QStringLiteral("glyph_bkpa.jpg")));
    m_ui->BU_CANCELAR->setIcon(loadGlyph(QStringLiteral("glyph_cancelar.jpg")));
    m_ui->BU_SAIR->setIcon(loadGlyph(QStringLiteral("glyph_sair.jpg")));
}

void TF_NAVLOR::connectHandlers()
{
    connect(&TM_GERAL, &QTimer::timeout, this, &TF_NAVLOR::TM_GERALTimer);
    connect(&TM_FECHAR, &QTimer::timeout, this, &TF_NAVLOR::TM_FECHARTimer);

    connect(m_ui->BU_BKPA, &QPushButton::clicked, this, &TF_NAVLOR::BU_BKPAClick);
    connect(m_ui->BU_CANCELAR, &QPushButton::clicked, this, &TF_NAVLOR::BU_CANCELARClick);
    connect(m_ui->BU_SAIR, &QPushButton::clicked, this, &TF_NAVLOR::BU_SAIRClick);
    connect(m_ui->CB_PARARBKP, &QCheckBox::toggled, this,
            [this](bool checked) { m_stopFlag.store(checked); });

    const auto onTrigger = [this](QAction* action, void (TF_NAVLOR::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    onTrigger(m_ui->Parmetros1, &TF_NAVLOR::editConsoleParameters);
    onTrigger(m_ui->Diretorios1, &TF_NAVLOR::browseDirectories);
    onTrigger(m_ui->PesquisaArquivoseSubdiretrios1, &TF_NAVLOR::searchFilesInTree);
    onTrigger(m_ui->ExcluiarquivosQSQDB1, &TF_NAVLOR::deleteQueryTables);
    onTrigger(m_ui->ExcluirarquivosPdoxUsrsLck1, &TF_NAVLOR::deleteLockFiles);
    onTrigger(m_ui->ExcluirarquivoPdoxUsrsNet1, &TF_NAVLOR::deleteNetControlFile);
    onTrigger(m_ui->BKPDir1, &TF_NAVLOR::storeOrRestoreDirectory);
    onTrigger(m_ui->BKPAutomtico1, &TF_NAVLOR::BU_BKPAClick);
    onTrigger(m_ui->Sair1, &TF_NAVLOR::BU_SAIRClick);
    onTrigger(m_ui->ImprimirTela1, &TF_NAVLOR::printScreen);
    // The mark follows the Run value, not the click: the handler reads it as it stood.
    connect(m_ui->AUTORUN1, &QAction::triggered, this, [this](bool checked) {
        m_ui->AUTORUN1->setChecked(!checked);
        toggleAutostart();
    });
    onTrigger(m_ui->ArquivosdeConfiguraoGBL1, &TF_NAVLOR::editConfigurationFiles);
    onTrigger(m_ui->SetupBDE1, &TF_NAVLOR::runBdeSetup);
    onTrigger(m_ui->ExecutarBDEAdmin1, &TF_NAVLOR::runBdeAdministrator);
    onTrigger(m_ui->ExecutarDBD321, &TF_NAVLOR::runDatabaseDesktop);
    onTrigger(m_ui->PromptdoDOS1, &TF_NAVLOR::openCommandPrompt);
    onTrigger(m_ui->Sobre1, &TF_NAVLOR::showAbout);
    onTrigger(m_ui->Sair2, &TF_NAVLOR::BU_SAIRClick);
}

void TF_NAVLOR::sizeAndCentre()
{
    // Never smaller than designed; larger as the operator likes.
    const QSize designed(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    setMinimumSize(designed);
    resize(designed);
    centreOnScreen(*this);
}

void TF_NAVLOR::anchorToEdges()
{
    const QSize area = m_ui->centralwidget->size();
    m_ui->Panel1->resize(area.width(), m_ui->Panel1->height());
    m_ui->BU_SAIR->move(area.width() - m_sairMargin - m_ui->BU_SAIR->width() + 1,
                        m_ui->BU_SAIR->y());
    m_ui->Panel2->setGeometry(0, area.height() - m_ui->Panel2->height(), area.width(),
                              m_ui->Panel2->height());
    m_ui->E_MSG->resize(area.width() - m_messageMargin - m_ui->E_MSG->x() + 1,
                        m_ui->E_MSG->height());
}

// ---- creation and showing ----------------------------------------------------------------

void TF_NAVLOR::FormCreate(const QStringList& arguments)
{
    setTwoDigitYearWindow(kConsoleYearWindow);
    platform().setNumLockOn();
    // The separators and the date and time formats are the process-wide ones of lib/dates.

    // A kill in the middle of writing a parameter file leaves its temporary file behind; the
    // state's discovery removes it.
    m_state = discoverConsoleState();
    const QString dataDirectory = m_state.dataDirectory;
    m_ui->LA_WINDOWSVERSION->setText(VERSAO_WINDOWS());
    m_ui->LA_WINDOWS->setText(m_state.windowsDirectory);
    m_ui->LA_DIRATUAL->setText(m_state.programPath);
    m_ui->LA_DIR1->setText(m_state.systemDirectory);
    m_ui->LA_COMPREDE->setText(NOME_COMPUTADOR());
    m_ui->LA_DIRNAVLOR->setText(dataDirectory);

    // "Minimizar ao concluir" follows the console flags; a start without them closes itself.
    m_ui->CB_MINIMIZAR->setChecked(
        ConsoleFlags::forStartup(readConsoleFlags(dataDirectory)).closeWhenDone);

    // "/N" (any case) keeps the start-up run from starting.
    if (readCommandLine(arguments).startupPass)
        TM_GERAL.start();

    m_ui->AUTORUN1->setChecked(AUTOSTART_ATIVO(QStringLiteral("NAVLOR")));
    REGISTRA_LOCAL();
}

void TF_NAVLOR::FormShow()
{
    // Databases that a killed backup left frozen go back to normal as the console appears,
    // with or without the start-up pass.
    for (const QString& line : thawLeftoverDatabases(dataDirectory()))
        ADD_MSG(line);
    // What went wrong while nobody watched, for whoever looks now, with or without the pass:
    // the last pass's failed jobs, and jobs whose last good copy is too old.
    if (!m_warningsShown) {
        m_warningsShown = true;
        if (const std::optional<QString> failure = lastPassFailure(dataDirectory()))
            ADD_MSG(*failure);
        for (const QString& warning : overdueWarnings(dataDirectory(), today()))
            ADD_MSG(warning);
    }
    m_state.systemDirectory = systemDirectoryOf(m_state.programPath);
    m_ui->LA_DIR1->setText(m_state.systemDirectory);
    m_ui->LA_COMPREDE->setText(NOME_COMPUTADOR());
}

void TF_NAVLOR::showEvent(QShowEvent* event)
{
    // A restore from the task bar is not a new showing.
    if (!event->spontaneous())
        FormShow();
    QMainWindow::showEvent(event);
}

bool TF_NAVLOR::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->centralwidget && event->type() == QEvent::Resize)
        anchorToEdges();
    if (watched == m_ui->Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_ui->Image1->rect().contains(mouse->position().toPoint())) {
            showAbout();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- message line and shared values ------------------------------------------------------

void TF_NAVLOR::ADD_MSG(const QString& text)
{
    if (text.isEmpty())
        return;
    m_ui->E_MSG->addItem(text);
    m_ui->E_MSG->setCurrentIndex(m_ui->E_MSG->count() - 1);
    m_ui->E_MSG->setEditText(text);
    emit messageAdded(text);
}

void TF_NAVLOR::setMessageText(const QString& text)
{
    m_ui->E_MSG->setEditText(text);
}

void TF_NAVLOR::clearMessageText()
{
    m_ui->E_MSG->setEditText(QString());
}

QString TF_NAVLOR::dataDirectory() const
{
    return m_state.dataDirectory;
}

QString TF_NAVLOR::systemDirectory() const
{
    return m_state.systemDirectory;
}

QString TF_NAVLOR::programPath() const
{
    return m_state.programPath;
}

QString TF_NAVLOR::windowsDirectory() const
{
    return m_state.windowsDirectory;
}

QString TF_NAVLOR::messageText() const
{
    return m_ui->E_MSG->currentText();
}

QStringList TF_NAVLOR::messages() const
{
    QStringList list;
    for (int i = 0; i < m_ui->E_MSG->count(); ++i)
        list << m_ui->E_MSG->itemText(i);
    return list;
}

QWidget* TF_NAVLOR::stopControl() const
{
    return m_ui->CB_PARARBKP;
}

QList<QWidget*> TF_NAVLOR::batchControls() const
{
    return {m_ui->CB_PARARBKP, m_ui->BU_SAIR};
}

bool TF_NAVLOR::stopRequested() const
{
    return m_stopFlag.load();
}

void TF_NAVLOR::setStopRequested(bool stop)
{
    m_stopFlag.store(stop);
    if (QThread::currentThread() == thread())
        m_ui->CB_PARARBKP->setChecked(stop);
    else
        QMetaObject::invokeMethod(
            m_ui->CB_PARARBKP, [box = m_ui->CB_PARARBKP, stop] { box->setChecked(stop); },
            Qt::QueuedConnection);
}

// ---- timers and buttons ------------------------------------------------------------------

void TF_NAVLOR::TM_FECHARTimer()
{
    TM_FECHAR.stop();
    if (isMinimized() && m_ui->CB_MINIMIZAR->isChecked())
        close();
}

void TF_NAVLOR::BU_CANCELARClick()
{
    m_ui->CB_PARARBKP->setChecked(true);
    m_ui->CB_MINIMIZAR->setChecked(false);
    m_ui->BU_CANCELAR->setEnabled(false);
    m_ui->BU_BKPA->setEnabled(true);
    setMessageText(QStringLiteral("Parar/Cancelar"));
}

// The other buttons and the menu commands are in menu_commands.cpp.

} // namespace navlor
