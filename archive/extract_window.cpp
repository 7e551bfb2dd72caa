#include "archive/extract_window.h"

#include "ui_extract_window.h"

#include "archive/entry_width_delegate.h"
#include "archive/extract_commands.h"
#include "archive/listing_text.h"
#include "archive/restore_targets.h"
#include "lib/ansi_text.h"
#include "lib/arj_headers.h"
#include "lib/arj_listing.h"
#include "lib/choose_directory.h"
#include "lib/databases/restored_databases.h"
#include "lib/dialogs.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/registry_settings.h"
#include "lib/system_info.h"
#include "lib/widgets/console_window.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/widgets/window_dialogs.h"
#include "lib/windows_path.h"
#include "lib/work_guard.h"

#include <QElapsedTimer>
#include <QHash>
#include <QListWidget>
#include <QSet>
#include <QShowEvent>
#include <QStringTokenizer>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

namespace navlor {

TF_BKP_EXTRAI1* F_BKP_EXTRAI1 = nullptr;

namespace {

const QString kListingFile = QStringLiteral("LIST.LLL");
const QString kListBatch = QStringLiteral("VLDRBKP_REST.BAT");
const QString kExtractBatch = QStringLiteral("VLDRBKP_REST1.BAT");
// The longest the window goes without handling its messages while a listing fills the list.
constexpr qint64 kMessageIntervalMs = 50;

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

// Why a file could not be opened, in the words the system uses for it.
QString fileErrorReason(const QString& path)
{
    Platform& p = platform();
    if (!p.directoryExists(upToLastBackslash(path)))
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
    const QString reason = platform().directoryExists(upToLastBackslash(path))
                               ? QStringLiteral("Acesso negado.")
                               : QStringLiteral("O sistema não pode encontrar o caminho "
                                                "especificado.");
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason);
}

} // namespace

TF_BKP_EXTRAI1::TF_BKP_EXTRAI1(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_BKP_EXTRAI1>()),
      m_entryWidths(std::make_shared<EntryWidths>()), m_instance(F_BKP_EXTRAI1, this)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    layout()->setMenuBar(m_ui->MainMenu1);

    m_ui->BU_EXTRAIR_ABRIR->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_DIR_DESTINO_DIALOG->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_EXTR_MAIS->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_ui->BU_EXTR_MENOS->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_ui->ED_SELEXTRAI->setCurrentText(QStringLiteral("*.*"));
    m_ui->CB_XP->setCurrentText(QString());
    // Entries are one line each: a long list is laid out without sizing every entry on every
    // layout, the delegate keeping the width of the widest.
    for (QListWidget* list : {m_ui->ESTOR_LISTBOX, m_ui->ESTOR_LISTBOX_SELEC}) {
        list->setUniformItemSizes(true);
        useWidestEntryDelegate(list, m_entryWidths);
    }

    m_openDialog.filter = initialFilter();

    connectHandlers();
    centreOnDesktop();
}

TF_BKP_EXTRAI1::~TF_BKP_EXTRAI1() = default;

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
    connect(m_ui->CB_ORIGINAIS, &QCheckBox::toggled, this, &TF_BKP_EXTRAI1::CB_ORIGINAISClick);
    connect(m_ui->Sair1, &QAction::triggered, this, &TF_BKP_EXTRAI1::Sair1Click);
    connect(m_ui->Sair2, &QAction::triggered, this, &TF_BKP_EXTRAI1::Sair1Click);
}

void TF_BKP_EXTRAI1::centreOnDesktop()
{
    resize(754, 426);
    centreOnScreen(*this);
}

void TF_BKP_EXTRAI1::setOrigin(const QString& archivePath)
{
    m_ui->E_EXT_ORIGEM->setText(archivePath);
}

void TF_BKP_EXTRAI1::setOriginalRoot(const QString& root)
{
    m_originalRoot = windowsDriveRoot(root);
    m_ui->LA_ORIGINAIS->setText(m_originalRoot);
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
    if (m_originalRoot.isEmpty())
        m_originalRoot = windowsDriveRoot(DIR_WINDOWS());
    if (m_originalRoot.isEmpty())
        m_originalRoot = QStringLiteral("C:\\");
    m_ui->LA_ORIGINAIS->setText(m_originalRoot);
}

// ---- origin ------------------------------------------------------------------------------

void TF_BKP_EXTRAI1::BU_DIR_ORIGEMClick()
{
    // The Windows dialog takes a full path as its file name: it opens in that directory.
    const QString origin = m_ui->E_EXT_ORIGEM->text();
    m_openDialog.directory = upToLastBackslash(origin);
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
    const QString mask = m_ui->ED_SELEXTRAI->currentText();
    QList<ArjEntry> listed;
    QString text;
    QString banner;
    bool fromHeaders = false;
    if (std::optional<QList<ArjEntry>> read = headerEntries(origin, mask)) {
        listed = *std::move(read);
        text = headersText(origin, listed);
        fromHeaders = true;
    } else {
        std::optional<QByteArray> bytes = runListing(origin, mask);
        // The batch run leaves the normal cursor, under which any message is read.
        busy.reset();
        if (!bytes)
            return;
        // A long listing is held once, as the text shown; its lines are read off that text.
        text = listingText(*bytes);
        bytes.reset();
        banner = text.left(text.indexOf(u'\n'));
        listed = consoleListingEntries(text);
    }
    m_ui->RichEdit3->setPlainText(text);
    text.clear();
    m_ui->ESTOR_LISTBOX->clear();
    // The widths of the last archive's entries would only pile up.
    m_entryWidths->widths.clear();
    m_listed = std::move(listed);
    m_listedOrigin = origin;
    m_listedWhole = false;

    if (!fromHeaders && !arjVersionOk(banner))
        dialogs().message(QStringLiteral("Programa ARJ deve ter versão 2.60 - Versão atual = ") +
                          banner.left(18));
    busy.emplace();
    processMessages();

    // Entries go in by batches, the window handling its messages after the first entry, when
    // the list has doubled and at least every kMessageIntervalMs: a short listing shows entry
    // by entry and "Parar" is seen at once, while a long one costs a few layouts of the list
    // instead of one per entry.
    QListWidget* entries = m_ui->ESTOR_LISTBOX;
    QStringList pending;
    qsizetype nextPause = 1;
    QElapsedTimer sincePause;
    sincePause.start();
    bool stopped = false;
    for (qsizetype i = 0; i < m_listed.size(); ++i) {
        pending.append(m_listed.at(i).name);
        const qsizetype shown = i + 1;
        if (shown < nextPause && !sincePause.hasExpired(kMessageIntervalMs))
            continue;
        entries->addItems(pending);
        pending.clear();
        processMessages();
        sincePause.restart();
        nextPause = shown * 2;
        if (m_ui->CB_PARAR->isChecked() || m_closing) {
            stopped = true;
            break;
        }
    }
    if (!pending.isEmpty())
        entries->addItems(pending);
    m_listedWhole = !stopped && listsEverything(mask);

    m_openDialog.filter = backupFilter();
    busy.reset();
    processMessages();
}

std::optional<QList<ArjEntry>> TF_BKP_EXTRAI1::headerEntries(const QString& origin,
                                                             const QString& mask) const
{
    // A mask or an option of the operator's is the archiver's to apply.
    if (!listsEverything(mask) || !m_ui->CB_XP->currentText().trimmed().isEmpty())
        return std::nullopt;
    std::optional<QList<ArjHeaderEntry>> headers = readArjHeadersAt(origin);
    if (!headers)
        return std::nullopt;
    QList<ArjEntry> entries;
    entries.reserve(headers->size());
    for (ArjHeaderEntry& header : *headers) {
        // As a line of the listing names it, or not at all.
        QString name = arjConsoleEntryName(header.name);
        if (!name.isEmpty())
            entries.append(ArjEntry{std::move(name), header.size, header.modified,
                                    std::move(header.attributes)});
        header = {};
    }
    return entries;
}

std::optional<QByteArray> TF_BKP_EXTRAI1::runListing(const QString& origin, const QString& mask)
{
    Platform& p = platform();
    const QString listing = m_dirLocal + kListingFile;
    // A listing left from an earlier run would be taken for this archive's contents.
    if (p.fileExists(listing) && !p.deleteFile(listing)) {
        dialogs().message(QStringLiteral("Cannot delete file \"%1\". Acesso negado.").arg(listing));
        return std::nullopt;
    }
    const QString batch = m_dirLocal + kListBatch;
    const QString line =
        extractListCommand(m_arqArj, m_ui->CB_XP->currentText(), origin, mask, listing);
    if (!writeBatch(batch, {line}))
        return std::nullopt;
    EXECUTA_BAT(batch, ShowMode::ShowNormal, QStringLiteral("S"));
    std::optional<QByteArray> bytes = p.readFile(listing);
    if (!bytes)
        dialogs().message(cannotOpen(listing));
    return bytes;
}

// ---- selection ---------------------------------------------------------------------------

void TF_BKP_EXTRAI1::moveSelected(QListWidget* from, QListWidget* to)
{
    const int count = from->count();
    if (count == 0)
        return;
    // From the selection model at once: asking each item searches the whole selection.
    std::vector<bool> selected(count, false);
    bool any = false;
    for (const QModelIndex& index : from->selectionModel()->selectedIndexes()) {
        selected[index.row()] = true;
        any = true;
    }
    if (!any)
        return;

    QSet<QString> present;
    present.reserve(to->count() + count);
    for (int row = 0; row < to->count(); ++row)
        present.insert(to->item(row)->text());
    QStringList added;
    QStringList kept;
    // Where the current entry ends up, as removing the rows one by one would leave it: on the
    // nearest kept row above a removed one, else the first kept row below.
    const int current = from->currentRow();
    int newCurrent = -1;
    for (int row = 0; row < count; ++row) {
        QString text = from->item(row)->text();
        if (row == current)
            newCurrent = selected[row] ? int(kept.size()) - 1 : int(kept.size());
        if (!selected[row]) {
            kept.append(std::move(text));
        } else if (!present.contains(text)) {
            present.insert(text);
            added.append(std::move(text));
        }
    }
    if (current >= 0 && selected[current] && newCurrent < 0 && !kept.isEmpty())
        newCurrent = 0;

    to->addItems(added);
    // Rebuilt from the kept entries: taking items out one by one moves all those behind each.
    // The list keeps its scrolling, as it did losing entries one by one.
    from->clear();
    from->addItems(kept);
    if (newCurrent < 0)
        return;
    const bool autoScroll = from->hasAutoScroll();
    from->setAutoScroll(false);
    from->setCurrentRow(newCurrent, QItemSelectionModel::NoUpdate);
    from->setAutoScroll(autoScroll);
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
    // A folder chooser: a file dialog cannot pick an empty folder.
    const QString chosen = dialogs().browseFolder(QStringLiteral("Selecione diretório de Destino"),
                                                  m_ui->E_EXT_DESTINO->text());
    if (!chosen.isEmpty())
        m_ui->E_EXT_DESTINO->setText(chosen);
}

// ---- extraction --------------------------------------------------------------------------

void TF_BKP_EXTRAI1::CB_ORIGINAISClick()
{
    // The stored paths decide where each entry goes: the destination plays no part.
    const bool originals = m_ui->CB_ORIGINAIS->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->BU_DIR_DESTINO, m_ui->BU_DIR_DESTINO_DIALOG, m_ui->E_EXT_DESTINO})
        control->setEnabled(!originals);
}

std::optional<QList<ArjEntry>> TF_BKP_EXTRAI1::chosenEntries(const QString& origin, bool all)
{
    if (m_listedOrigin != origin || (all && !m_listedWhole)) {
        // The times come from a listing of this archive, taken now.
        const QString everything = QStringLiteral("*.*");
        if (std::optional<QList<ArjEntry>> read = headerEntries(origin, everything)) {
            m_listed = *std::move(read);
        } else {
            const std::optional<QByteArray> bytes = runListing(origin, everything);
            if (!bytes)
                return std::nullopt;
            m_listed = readArjListing(*bytes).entries;
        }
        m_listedOrigin = origin;
        m_listedWhole = true;
    }
    if (all)
        return m_listed;
    QHash<QString, qsizetype> rows;
    rows.reserve(m_listed.size());
    for (qsizetype i = 0; i < m_listed.size(); ++i)
        rows.insert(m_listed.at(i).name, i);
    QList<ArjEntry> chosen;
    for (int row = 0; row < m_ui->ESTOR_LISTBOX_SELEC->count(); ++row) {
        const QString name = m_ui->ESTOR_LISTBOX_SELEC->item(row)->text();
        const auto found = rows.constFind(name);
        chosen << (found != rows.cend() ? m_listed.at(*found) : ArjEntry{name, -1, {}});
    }
    return chosen;
}

void TF_BKP_EXTRAI1::BU_EXTR_EXECClick()
{
    const bool all = m_ui->CB_TODOS->isChecked();
    if (!all && m_ui->ESTOR_LISTBOX_SELEC->count() == 0)
        return;
    const bool originals = m_ui->CB_ORIGINAIS->isChecked();
    const QString target = originals ? m_originalRoot : m_ui->E_EXT_DESTINO->text().trimmed();
    // An empty target would put the files in the archiver's working directory.
    if (target.isEmpty()) {
        dialogs().message(QStringLiteral("Informe o diretório de destino"));
        return;
    }
    WorkGuard guard(m_working);
    if (!guard.entered())
        return;

    const QString title = QStringLiteral("Extração de Arquivos");
    if (all && !dialogs().confirm(QStringLiteral("Extrair todos arquivos ?"), title))
        return;
    const QString origin = m_ui->E_EXT_ORIGEM->text();
    const std::optional<QList<ArjEntry>> entries = chosenEntries(origin, all);
    if (!entries)
        return;
    const RestoreLayout layout =
        all || originals ? RestoreLayout::StoredPaths : RestoreLayout::Flat;
    const QStringList newer = newerTargets(*entries, target, layout);
    if (!newer.isEmpty() && !dialogs().confirm(newerFilesQuestion(newer), title))
        return;

    const QString option = m_ui->CB_XP->currentText();
    QStringList lines;
    QStringList landing;
    for (const ArjEntry& entry : *entries)
        landing << restoredPath(target, entry.name, layout);
    if (all) {
        lines << extractAllCommand(m_arqArj, option, origin, target,
                                   m_ui->CB_MULTIVOL->isChecked());
    } else {
        for (const ArjEntry& entry : *entries)
            lines << (originals
                          ? extractStoredEntryCommand(m_arqArj, option, origin, target, entry.name)
                          : extractEntryCommand(m_arqArj, option, origin, target, entry.name));
    }

    const QString batch = m_dirLocal + kExtractBatch;
    // Running the batch of an earlier extraction would restore other files.
    if (!writeBatch(batch, lines))
        return;
    const RestoredDatabases restored(landing);
    EXECUTA_BAT(batch, ShowMode::ShowNormal, QStringLiteral("S"));
    // The archiver's words stay in its console: whether every file came back is checked here,
    // before a restored database is fixed up, which changes it.
    const QStringList missing = notRestoredTargets(*entries, target, layout);
    postToConsole(restored.fixUpWritten());
    if (!missing.isEmpty()) {
        postToConsole({QStringLiteral("ERRO - restauração incompleta - %1 arquivo(s) não "
                                      "restaurado(s), o primeiro: %2")
                           .arg(missing.size())
                           .arg(missing.first())});
        dialogs().message(notRestoredText(missing));
    }
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

void openExtractWindow(QWidget* parent, const QString& archivePath, const QString& originalRoot)
{
    TF_BKP_EXTRAI1 window(parent);
    window.setOrigin(archivePath);
    window.setOriginalRoot(originalRoot);
    showModal(&window);
}

} // namespace navlor
