#include "tools/file_search_window.h"

#include "ui_file_search_window.h"

#include "lib/dialogs.h"
#include "lib/text_utils.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/widgets/window_dialogs.h"
#include "tools/directory_browser.h"
#include "tools/file_search.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace navlor {

TF_PESQARQ* F_PESQARQ = nullptr;

TF_PESQARQ::TF_PESQARQ(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_PESQARQ>()), m_instance(F_PESQARQ, this)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_ui->SpeedButton1->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->BU_EXCLUI->setIcon(loadGlyph(QStringLiteral("glyph_excluir.jpg")));
    m_ui->BU_SAIR->setIcon(loadGlyph(QStringLiteral("glyph_sair.jpg")));

    connectHandlers();
    FormCreate();
}

TF_PESQARQ::~TF_PESQARQ() = default;

void TF_PESQARQ::connectHandlers()
{
    connect(m_ui->BU_LOCALIZAR, &QPushButton::clicked, this, &TF_PESQARQ::BU_LOCALIZARClick);
    connect(m_ui->SpeedButton1, &QPushButton::clicked, this, &TF_PESQARQ::SpeedButton1Click);
    connect(m_ui->BU_EXCLUI, &QPushButton::clicked, this, &TF_PESQARQ::BU_EXCLUIClick);
    connect(m_ui->BU_SAIR, &QPushButton::clicked, this, &TF_PESQARQ::BU_SAIRClick);
    connect(m_ui->ListBox1, &QListWidget::itemSelectionChanged, this, &TF_PESQARQ::ListBox1Click);
    connect(m_ui->E_DIRETORIO, &QLineEdit::textChanged, this, &TF_PESQARQ::keepDirectoryInCapitals);
    // A key pressed by a person reaches the combo box; one sent to its editor, the editor.
    m_ui->E_ARQUIVO->installEventFilter(this);
    m_ui->E_ARQUIVO->lineEdit()->installEventFilter(this);
}

void TF_PESQARQ::FormCreate()
{
    m_ui->PA_MSG->setText(QStringLiteral("Clique em \"Diretório\" para selecionar o local de "
                                         "Pesquisa"));
    processMessages();
    m_ui->E_DIRETORIO->setText(QStringLiteral("C:"));
    m_ui->E_ARQUIVO->setCurrentText(QStringLiteral("*.LCK"));
}

void TF_PESQARQ::keepDirectoryInCapitals(const QString& text)
{
    const QString upper = upperEach(text);
    if (upper == text)
        return;
    const int cursor = m_ui->E_DIRETORIO->cursorPosition();
    m_ui->E_DIRETORIO->setText(upper);
    m_ui->E_DIRETORIO->setCursorPosition(cursor);
}

// ---- search ------------------------------------------------------------------------------

void TF_PESQARQ::BU_LOCALIZARClick()
{
    dialogs().setBusyCursor(true);
    m_ui->PA_MSG->setText(QStringLiteral("LOCALIZANDO"));
    m_ui->LA_CONTA->setText(QStringLiteral("00"));
    processMessages();
    m_ui->ListBox1->clear();

    const QList<FoundFile> found =
        searchFoundFiles(m_ui->E_DIRETORIO->text(), m_ui->E_ARQUIVO->currentText());
    QListWidget* list = m_ui->ListBox1;
    list->setUpdatesEnabled(false);
    for (const FoundFile& file : found) {
        // Each entry keeps where its file is, so a deletion takes that file and no other.
        auto* item = new QListWidgetItem(file.text, list);
        item->setData(Qt::UserRole, file.path);
    }
    list->setUpdatesEnabled(true);
    m_ui->LA_CONTA->setText(QString::number(found.size()));

    m_ui->PA_MSG->setText(QStringLiteral("LOCALIZAÇÃO CONCLUÍDA"));
    m_ui->BU_EXCLUI->setEnabled(false);
    dialogs().setBusyCursor(false);
    processMessages();
}

bool TF_PESQARQ::E_ARQUIVOKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    BU_LOCALIZARClick();
    return true;
}

bool TF_PESQARQ::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_ui->E_ARQUIVO || watched == m_ui->E_ARQUIVO->lineEdit()) &&
        event->type() == QEvent::KeyPress &&
        E_ARQUIVOKeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TF_PESQARQ::SpeedButton1Click()
{
    const QString remembered = m_ui->E_DIRETORIO->text();
    int result = QDialog::Rejected;
    QString chosen;
    {
        Tf_dir browser(this);
        result = showModal(&browser);
        chosen = browser.directoryLabel();
    }
    processMessages();
    // "Cancelar" keeps the label of the directory last shown; it is no choice.
    if (result != QDialog::Accepted || chosen.trimmed().isEmpty())
        chosen = remembered;
    m_ui->E_DIRETORIO->setText(chosen);
}

// ---- results -----------------------------------------------------------------------------

void TF_PESQARQ::ListBox1Click()
{
    if (m_ui->ListBox1->currentItem() && m_ui->ListBox1->currentItem()->isSelected())
        m_ui->BU_EXCLUI->setEnabled(true);
}

void TF_PESQARQ::BU_EXCLUIClick()
{
    QListWidgetItem* item = m_ui->ListBox1->currentItem();
    if (!item || !item->isSelected()) {
        dialogs().message(QStringLiteral("Deve selecionar 1 item para a Exclusão"));
        return;
    }
    const QString entry = item->text();
    if (!dialogs().confirm(QStringLiteral("Exclusão do arquivo: ") + entry,
                           QStringLiteral("Confirma Exclusão")))
        return;
    // A file that is in use or read-only stays, and so does its entry; the count is the
    // number found and is left as it is.
    if (!deleteFoundFile({entry, item->data(Qt::UserRole).toString()})) {
        m_ui->PA_MSG->setText(QStringLiteral("NÃO FOI POSSÍVEL EXCLUIR: ") + entry);
        return;
    }
    delete m_ui->ListBox1->takeItem(m_ui->ListBox1->row(item));
}

void TF_PESQARQ::BU_SAIRClick()
{
    close();
}

// ---- what the backup run reads -----------------------------------------------------------

QString TF_PESQARQ::directory() const
{
    return m_ui->E_DIRETORIO->text();
}

void TF_PESQARQ::setDirectory(const QString& directory)
{
    m_ui->E_DIRETORIO->setText(directory);
}

QString TF_PESQARQ::mask() const
{
    return m_ui->E_ARQUIVO->currentText();
}

void TF_PESQARQ::setMask(const QString& mask)
{
    m_ui->E_ARQUIVO->setCurrentText(mask);
}

QString TF_PESQARQ::countText() const
{
    return m_ui->LA_CONTA->text();
}

QStringList TF_PESQARQ::entries() const
{
    QStringList list;
    for (int i = 0; i < m_ui->ListBox1->count(); ++i)
        list << m_ui->ListBox1->item(i)->text();
    return list;
}

QString TF_PESQARQ::statusText() const
{
    return m_ui->PA_MSG->text();
}

} // namespace navlor
