#include "app/console_params_dialog.h"

#include "ui_console_params_dialog.h"

#include "app/main_window.h"
#include "lib/console_flags.h"
#include "lib/dialogs.h"
#include "lib/param_store.h"
#include "lib/registry_settings.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/widgets/window_helpers.h"

#include <QLabel>

#include <stdexcept>

namespace navlor {

TF_NAVLOR_P* F_NAVLOR_P = nullptr;

namespace {

// The client area the dialog was designed for: 532 x 263 outside, less the frame.
constexpr int kDialogWidth = 524;
constexpr int kDialogHeight = 232;

TF_NAVLOR& mainWindow()
{
    if (!F_NAVLOR)
        throw std::logic_error("the parameters dialog needs the main window");
    return *F_NAVLOR;
}

} // namespace

TF_NAVLOR_P::TF_NAVLOR_P(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_NAVLOR_P>()), m_instance(F_NAVLOR_P, this)
{
    m_ui->setupUi(this);

    m_ui->BU_SALVAR->setIcon(loadGlyph(QStringLiteral("glyph_salvar.jpg")));
    m_ui->BU_SAIR->setIcon(loadGlyph(QStringLiteral("glyph_sair.jpg")));

    connect(m_ui->BU_SALVAR, &QPushButton::clicked, this, &TF_NAVLOR_P::BU_SALVARClick);
    connect(m_ui->BU_SAIR, &QPushButton::clicked, this, &TF_NAVLOR_P::BU_SAIRClick);

    fixSizeAndCentre();
    FormCreate();
}

TF_NAVLOR_P::~TF_NAVLOR_P() = default;

void TF_NAVLOR_P::fixSizeAndCentre()
{
    // The path follows its caption, however wide the host's font draws it.
    QLabel* caption = m_ui->Label2;
    m_ui->LA_PARAM->move(caption->x() + caption->sizeHint().width(), m_ui->LA_PARAM->y());
    m_ui->LA_PARAM->resize(kDialogWidth - m_ui->LA_PARAM->x() - caption->x(),
                           m_ui->LA_PARAM->height());

    setFixedSize(kDialogWidth, kDialogHeight);
    // Centred on the desktop, not over the main window; a moved dialog keeps its place.
    centreOnScreen(*this);
}

void TF_NAVLOR_P::FormCreate()
{
    const QString file = consoleParamFile(mainWindow().dataDirectory());
    m_ui->LA_PARAM->setText(file);

    // A file that is there but could not be read is not replaced by these few lines: the
    // store has told the operator, and only Sair is left.
    const std::optional<ParamFile> stored = readParamFile(file);
    m_lines = stored ? stored->table() : ParamSlots();
    m_ui->BU_SALVAR->setEnabled(stored.has_value());
    const ConsoleFlags flags = ConsoleFlags::asStored(consoleFlagsText(m_lines[kConsoleFlagsLine]));
    m_ui->CB_EXCLUILCK->setChecked(flags.deleteLockFiles);
    m_ui->CB_EXCLUIQSQ->setChecked(flags.deleteQueryTables);
    m_ui->CB_FECHARAUTOMAT->setChecked(flags.closeWhenDone);
    m_ui->CB_EXCLUINET->setChecked(flags.deleteNetFile);
    m_ui->CB_ATIVANETLOG->setChecked(flags.startNetlog);

    const QString arjOption = m_lines[kArjOptionLine];
    const int item = m_ui->E_XP->findText(arjOption, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (item >= 0)
        m_ui->E_XP->setCurrentIndex(item);
    m_ui->E_XP->setEditText(arjOption);

    m_ui->AutoRun2->setChecked(AUTOSTART_ATIVO(kConsoleAutostartName));
}

void TF_NAVLOR_P::BU_SALVARClick()
{
    ConsoleFlags flags;
    flags.deleteLockFiles = m_ui->CB_EXCLUILCK->isChecked();
    flags.deleteQueryTables = m_ui->CB_EXCLUIQSQ->isChecked();
    flags.closeWhenDone = m_ui->CB_FECHARAUTOMAT->isChecked();
    flags.deleteNetFile = m_ui->CB_EXCLUINET->isChecked();
    flags.startNetlog = m_ui->CB_ATIVANETLOG->isChecked();

    // The file's other lines are written back as they were read.
    ParamFile lines(m_lines);
    lines[kConsoleFlagsLine] = flags.text();
    lines[kArjOptionLine] = m_ui->E_XP->currentText();
    // The store has told the operator why; nothing else is changed, and Salvar can be tried
    // again or the dialog left with Sair.
    if (!writeParamFile(consoleParamFile(mainWindow().dataDirectory()), lines))
        return;

    if (m_ui->AutoRun2->isChecked()) {
        // The dialog stays open on the failure, the parameters already written.
        if (!AUTOSTART_LIGA(kConsoleAutostartName, mainWindow().programPath())) {
            dialogs().message(autostartFailure(kConsoleAutostartName));
            return;
        }
    } else {
        AUTOSTART_DESLIGA(kConsoleAutostartName);
    }
    accept();
}

void TF_NAVLOR_P::BU_SAIRClick()
{
    reject();
}

} // namespace navlor
