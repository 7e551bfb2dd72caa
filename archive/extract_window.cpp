#include "archive/extract_window.h"

#include "ui_extract_window.h"

#include "archive/arj_listing.h"
#include "archive/extract_commands.h"
#include "lib/ansi_text.h"
#include "lib/choose_directory.h"
#include "lib/dialogs.h"
#include "lib/jpeg_image.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/registry_settings.h"
#include "lib/work_guard.h"

#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <optional>

namespace navlor {

TF_BKP_EXTRAI1* F_BKP_EXTRAI1 = nullptr;

namespace {

const QString kListingFile = QStringLiteral("LIST.LLL");
const QString kListBatch = QStringLiteral("VLDRBKP_REST.BAT");
const QString kExtractBatch = QStringLiteral("VLDRBKP_REST1.BAT");

QString initialFilter()
{
    return QStringLiteral("Todos os Arquivos   *.*|*.*|Arquivos  *.ARJ *.ZIP *.EXE "
                          "|*.arj;*.zip;*.exe|Arquivos *.DWG  *.PLT|*.dwg;*.plt|Arquivos "
                          "*.DOC|*.DOC|Arquivos *.db|*.DB*");
}

QString backupFilter()
{
    return QStringLiteral("Todos os Arquivos   *.*|*.*|Arquivos de BKP   *.arj|*.arj");
}

QString directoryOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'\\') + 1);
}

// Why a file could not be opened, in the words the system uses for it.
QString fileErrorReason(const QString& path)
{
    Platform& p = platform();
    if (!p.directoryExists(directoryOf(path)))
        return QStringLiteral("O sistema não pode encontrar o caminho especificado.");
    if (!p.fileExists(path))
        return QStringLiteral("O sistema não pode encontrar o arquivo especificado.");
    return QStringLiteral("Acesso negado.");
}

QString cannotOpen(const QString& path)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, fileErrorReason(path));
}

QString cannotCreate(const QString& path)
{
    const QString reason = platform().directoryExists(directoryOf(path))
                               ? QStringLiteral("Acesso negado.")
                               : QStringLiteral("O sistema não pode encontrar o caminho "
                                                "especificado.");
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason);
}

} // namespace

TF_BKP_EXTRAI1::TF_BKP_EXTRAI1(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_BKP_EXTRAI1>())
{
    m_ui->setupUi(this);
    F_BKP_EXTRAI1 = this;
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    layout()->setMenuBar(m_ui->MainMenu1);

    m_ui->BU_EXTRAIR_ABRIR->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_DIR_DESTINO_DIALOG->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_EXTR_MAIS->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_ui->BU_EXTR_MENOS->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_ui->ED_SELEXTRAI->setCurrentText(QStringLiteral("*.*"));
    m_ui->CB_XP->setCurrentText(QString());

    m_openDialog.filter = initialFilter();

    connectHandlers();
    centreOnDesktop();
}

TF_BKP_EXTRAI1::~TF_BKP_EXTRAI1()
{
    if (F_BKP_EXTRAI1 == this)
        F_BKP_EXTRAI1 = nullptr;
}

void TF_BKP_EXTRAI1::connectHandlers()
{
    connect(m_ui->BU_DIR_ORIGEM, &QPushButton::clicked, this, &TF_BKP_EXTRAI1::BU_DIR_ORIGEMClick);
    connect(m_ui->BU_EXTRAIR_ABRIR, &QPushButton::clicked, this,
            &TF_BKP_EXTRAI1::BU_EXTRAIR_ABRIRClick);
    connect(m_ui->BU_EXTR_MAIS, &QPushButton::clicked, this, &TF_BKP_EXTRAI1::BU_EXTR_MAISClick);
    connect(m_ui->BU_EXTR_MENOS, &QPushButton::clicked, this, &TF_BKP_EXTRAI1::BU_EXTR_MENOSClick);
    connect(m_ui->BU_DIR_DESTINO, &QPushButton::clicked, this,
            &TF_BKP_EXTRAI1::BU_DIR_DESTINOClick);
    connect(m_ui->BU_DIR_DESTINO_DIALOG, &QPushButton::clicked, this,
            &TF_BKP_EXTRAI1::BU_DIR_DESTINO_DIALOGClick);
    connect(m_ui->BU_EXTR_EXEC, &QPushButton::clicked, this, &TF_BKP_EXTRAI1::BU_EXTR_EXECClick);
    connect(m_ui->Sair1, &QAction::triggered, this, &TF_BKP_EXTRAI1::Sair1Click);
    connect(m_ui->Sair2, &QAction::triggered, this, &TF_BKP_EXTRAI1::Sair1Click);
}

void TF_BKP_EXTRAI1::centreOnDesktop()
{
    resize(754, 426);
    if (const QScreen* desktop = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TF_BKP_EXTRAI1::setOrigin(const QString& archivePath)
{
    m_ui->E_EXT_ORIGEM->setText(archivePath);
}

void TF_BKP_EXTRAI1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TF_BKP_EXTRAI1::FormShow()
{
    m_closing = false;
    m_dirLocal = extractLocalDirectory();
    m_ui->LA_DIR_LOCAL->setText(m_dirLocal);
    m_arqArj = LOCALIZA_ARJ_EXTRAI();
}

// ---- origin ------------------------------------------------------------------------------

void TF_BKP_EXTRAI1::BU_DIR_ORIGEMClick()
{
    // The Windows dialog takes a full path as its file name: it opens in that directory.
    const QString origin = m_ui->E_EXT_ORIGEM->text();
    m_openDialog.directory = directoryOf(origin);
    m_openDialog.fileName = origin.mid(m_openDialog.directory.size());
    const QStringList chosen = dialogs().openFiles(m_openDialog);
    if (chosen.isEmpty())
        return;
    m_ui->E_EXT_ORIGEM->setText(chosen.first());
    GRAVA_PROGRAMA(QStringLiteral("VLDRBKP"), QStringLiteral("EXT_ORIGEM"), chosen.first());
}

void TF_BKP_EXTRAI1::BU_EXTRAIR_ABRIRClick()
{
    m_ui->CB_PARAR->setChecked(false);
    const QString origin = m_ui->E_EXT_ORIGEM->text();
    if (origin.isEmpty())
        return;
    WorkGuard guard(m_working);
    if (!guard.entered())
        return;

    std::optional<BusyCursor> busy(std::in_place);
    processMessages();
    Platform& p = platform();
    const QString listing = m_dirLocal + kListingFile;
    // A listing left from an earlier run would be taken for this archive's contents.
    if (p.fileExists(listing) && !p.deleteFile(listing)) {
        dialogs().message(QStringLiteral("Cannot delete file \"%1\". Acesso negado.").arg(listing));
        return;
    }

    const QString batch = m_dirLocal + kListBatch;
    const QString line = extractListCommand(m_arqArj, m_ui->CB_XP->currentText(), origin,
                                            m_ui->ED_SELEXTRAI->currentText(), listing);
    if (!writeBatch(batch, {line}))
        return;
    EXECUTA_BAT(batch, SW_SHOWNORMAL, QStringLiteral("S"));
    // The batch run leaves the normal cursor, under which any message is read.
    busy.reset();

    const std::optional<QByteArray> bytes = p.readFile(listing);
    if (!bytes) {
        dialogs().message(cannotOpen(listing));
        return;
    }
    const QStringList lines = arjListingLines(*bytes);
    m_ui->RichEdit3->setPlainText(lines.join(u'\n'));
    m_ui->ESTOR_LISTBOX->clear();

    const QString banner = lines.value(0);
    if (!arjVersionOk(banner))
        dialogs().message(QStringLiteral("Programa ARJ deve ter versão 2.60 - Versão atual = ") +
                          banner.left(18));
    busy.emplace();
    processMessages();

    for (qsizetype i = kFirstArjEntryLine; i < lines.size(); ++i) {
        const QString name = arjEntryName(lines.at(i), i);
        if (name.isEmpty())
            continue;
        m_ui->ESTOR_LISTBOX->addItem(name);
        processMessages();
        if (m_ui->CB_PARAR->isChecked() || m_closing)
            break;
    }

    m_openDialog.filter = backupFilter();
    busy.reset();
    processMessages();
}

// ---- selection ---------------------------------------------------------------------------

void TF_BKP_EXTRAI1::moveSelected(QListWidget* from, QListWidget* to)
{
    if (from->count() == 0)
        return;
    QList<int> selected;
    for (int row = 0; row < from->count(); ++row) {
        if (!from->item(row)->isSelected())
            continue;
        selected << row;
        const QString text = from->item(row)->text();
        bool present = false;
        for (int t = 0; t < to->count() && !present; ++t)
            present = to->item(t)->text() == text;
        if (!present)
            to->addItem(text);
    }
    for (qsizetype i = selected.size() - 1; i >= 0; --i)
        delete from->takeItem(selected.at(i));
}

void TF_BKP_EXTRAI1::BU_EXTR_MAISClick()
{
    moveSelected(m_ui->ESTOR_LISTBOX, m_ui->ESTOR_LISTBOX_SELEC);
}

void TF_BKP_EXTRAI1::BU_EXTR_MENOSClick()
{
    moveSelected(m_ui->ESTOR_LISTBOX_SELEC, m_ui->ESTOR_LISTBOX);
}

// ---- target ------------------------------------------------------------------------------

void TF_BKP_EXTRAI1::BU_DIR_DESTINOClick()
{
    m_ui->E_EXT_DESTINO->setText(ESCOLHE_DIRETORIO(
        m_ui->E_EXT_DESTINO->text(), QStringLiteral("Selecione diretório de Destino")));
}

void TF_BKP_EXTRAI1::BU_DIR_DESTINO_DIALOGClick()
{
    m_openDialog.directory = m_ui->E_EXT_DESTINO->text();
    m_openDialog.fileName.clear();
    const QStringList chosen = dialogs().openFiles(m_openDialog);
    if (chosen.isEmpty())
        return;
    const QString directory = directoryOf(chosen.first());
    m_ui->E_EXT_DESTINO->setText(directory.chopped(directory.isEmpty() ? 0 : 1));
}

// ---- extraction --------------------------------------------------------------------------

void TF_BKP_EXTRAI1::BU_EXTR_EXECClick()
{
    const bool all = m_ui->CB_TODOS->isChecked();
    if (!all && m_ui->ESTOR_LISTBOX_SELEC->count() == 0)
        return;
    WorkGuard guard(m_working);
    if (!guard.entered())
        return;

    const QString option = m_ui->CB_XP->currentText();
    const QString origin = m_ui->E_EXT_ORIGEM->text();
    const QString target = m_ui->E_EXT_DESTINO->text();
    QStringList lines;
    if (all) {
        if (!dialogs().confirm(QStringLiteral("Extrair todos arquivos ?"),
                               QStringLiteral("Extração de Arquivos")))
            return;
        lines << extractAllCommand(m_arqArj, option, origin, target,
                                   m_ui->CB_MULTIVOL->isChecked());
    } else {
        for (int row = 0; row < m_ui->ESTOR_LISTBOX_SELEC->count(); ++row)
            lines << extractEntryCommand(m_arqArj, option, origin, target,
                                         m_ui->ESTOR_LISTBOX_SELEC->item(row)->text());
    }

    const QString batch = m_dirLocal + kExtractBatch;
    // Running the batch of an earlier extraction would restore other files.
    if (!writeBatch(batch, lines))
        return;
    EXECUTA_BAT(batch, SW_SHOWNORMAL, QStringLiteral("S"));
    m_ui->ESTOR_LISTBOX_SELEC->clear();
}

bool TF_BKP_EXTRAI1::writeBatch(const QString& file, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += toAnsi(line) + "\r\n";
    if (platform().writeFile(file, bytes))
        return true;
    dialogs().message(cannotCreate(file));
    return false;
}

void TF_BKP_EXTRAI1::Sair1Click()
{
    m_closing = true;
    close();
}

void openExtractWindow(QWidget* parent, const QString& archivePath)
{
    TF_BKP_EXTRAI1 window(parent);
    window.setOrigin(archivePath);
    dialogs().showModal(&window);
}

} // namespace navlor
