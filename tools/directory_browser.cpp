#include "tools/directory_browser.h"

#include "ui_directory_browser.h"

#include "lib/platform/platform.h"
#include "lib/text_utils.h"
#include "lib/widgets/jpeg_image.h"
#include "lib/windows_path.h"
#include "tools/directory_choice.h"
#include "tools/directory_listing.h"
#include "tools/extension_filter.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>

namespace navlor {

Tf_dir* f_dir = nullptr;

namespace {

constexpr int kPathRole = Qt::UserRole;

} // namespace

Tf_dir::Tf_dir(QWidget* parent, const QString& defaultDirectory)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::Tf_dir>()), m_choice{defaultDirectory, QString(), QString()},
      m_instance(f_dir, this)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());

    m_ui->SpeedButton1->setIcon(loadGlyph(QStringLiteral("glyph_abrir.jpg")));
    m_ui->SpeedButton2->setIcon(loadGlyph(QStringLiteral("glyph_cancelar.jpg")));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Excluir1 = PopupMenu1->addAction(QStringLiteral("Excluir"));
    Excluir1->setObjectName(QStringLiteral("Excluir1"));
    OpenDialog1.title = QStringLiteral("OpenDialog");

    connectHandlers();
    FormCreate();
}

Tf_dir::~Tf_dir() = default;

void Tf_dir::connectHandlers()
{
    connect(m_ui->SpeedButton1, &QToolButton::clicked, this, &Tf_dir::SpeedButton1Click);
    connect(m_ui->SpeedButton2, &QPushButton::clicked, this, &Tf_dir::SpeedButton2Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &Tf_dir::BitBtn1Click);
    connect(m_ui->DriveComboBox1, &QComboBox::activated, this, &Tf_dir::driveChosen);
    connect(m_ui->FilterComboBox1, &QComboBox::currentIndexChanged, this, &Tf_dir::filterChosen);
    connect(m_ui->DirectoryListBox1, &QTreeWidget::itemClicked, this,
            &Tf_dir::DirectoryListBox1Click);
    connect(m_ui->DirectoryListBox1, &QTreeWidget::itemActivated, this,
            &Tf_dir::directoryActivated);
    connect(m_ui->FileListBox1, &QListWidget::currentItemChanged, this, &Tf_dir::fileChosen);
    connect(m_ui->FileListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                PopupMenu1->popup(m_ui->FileListBox1->viewport()->mapToGlobal(at));
            });
    connect(Excluir1, &QAction::triggered, this, &Tf_dir::Excluir1Click);
    // Enter in the directory list opens the directory; it does not close the window.
    m_ui->DirectoryListBox1->installEventFilter(this);
}

void Tf_dir::FormCreate()
{
    const QString start = startDirectory(m_choice);
    m_chosenDirectory = start;
    fillDrives();
    showDirectory(start.isEmpty() ? platform().currentDirectory() : start);
    m_ui->DIR_DIRETORIO->setText(start);
    rebuildFilter();
}

// ---- what the lists show -----------------------------------------------------------------

void Tf_dir::fillDrives()
{
    const QSignalBlocker blocker(m_ui->DriveComboBox1);
    m_ui->DriveComboBox1->clear();
    m_ui->DriveComboBox1->addItems(platform().logicalDrives());
}

void Tf_dir::showDirectory(const QString& directory)
{
    m_listDirectory = browserDirectory(directory);
    const QStringList chain = directoryChain(m_listDirectory);

    QTreeWidget* tree = m_ui->DirectoryListBox1;
    tree->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const QString& path : chain) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, parent ? windowsFileName(path) : path);
        item->setIcon(0, open);
        item->setData(0, kPathRole, path);
        parent = item;
    }
    if (parent) {
        for (const QString& name : visibleSubdirectories(m_listDirectory)) {
            auto* item = new QTreeWidgetItem(parent);
            item->setText(0, name);
            item->setIcon(0, closed);
            item->setData(0, kPathRole, pathIn(m_listDirectory, name));
        }
        tree->expandAll();
        tree->setCurrentItem(parent);
        tree->scrollToItem(parent);
    }

    // The drive list follows the directory shown.
    const QSignalBlocker blocker(m_ui->DriveComboBox1);
    const int drive = m_ui->DriveComboBox1->findText(m_listDirectory.left(2), Qt::MatchFixedString);
    if (drive >= 0)
        m_ui->DriveComboBox1->setCurrentIndex(drive);
    readFiles();
}

void Tf_dir::readFiles()
{
    {
        const QSignalBlocker blocker(m_ui->FileListBox1);
        m_ui->FileListBox1->clear();
        m_ui->FileListBox1->addItems(visibleFiles(m_listDirectory, m_mask));
    }
    // With nothing chosen the name field shows the mask in use.
    m_ui->DIR_ARQUIVO->setText(m_mask);
}

QStringList Tf_dir::fileNames() const
{
    QStringList names;
    for (int i = 0; i < m_ui->FileListBox1->count(); ++i)
        names << m_ui->FileListBox1->item(i)->text();
    return names;
}

void Tf_dir::rebuildFilter()
{
    const QList<FilterItem> items = filterItems(extensionFilter(fileNames()));
    {
        const QSignalBlocker blocker(m_ui->FilterComboBox1);
        m_ui->FilterComboBox1->clear();
        for (const FilterItem& item : items)
            m_ui->FilterComboBox1->addItem(item.caption, item.mask);
        m_ui->FilterComboBox1->setCurrentIndex(0);
    }
    // A new filter starts from its first entry, all files.
    const QString mask = items.isEmpty() ? QStringLiteral("*.*") : items.first().mask;
    if (mask != m_mask) {
        m_mask = mask;
        readFiles();
    }
}

// ---- operator's actions -------------------------------------------------------------------

void Tf_dir::openDirectory(const QString& directory)
{
    if (EM_BRANCO(directory))
        return;
    showDirectory(directory);
    DirectoryListBox1Change();
}

void Tf_dir::directoryActivated(QTreeWidgetItem* item)
{
    if (item)
        openDirectory(item->data(0, kPathRole).toString());
}

void Tf_dir::driveChosen(int index)
{
    if (index >= 0)
        openDirectory(m_ui->DriveComboBox1->itemText(index) + u'\\');
}

void Tf_dir::filterChosen(int index)
{
    const QString mask = m_ui->FilterComboBox1->itemData(index).toString();
    m_mask = mask.isEmpty() ? QStringLiteral("*.*") : mask;
    readFiles();
}

void Tf_dir::fileChosen(QListWidgetItem* item)
{
    m_ui->DIR_ARQUIVO->setText(item && !item->text().isEmpty() ? item->text() : m_mask);
}

void Tf_dir::DirectoryListBox1Change()
{
    m_ui->DIR_DIRETORIO->setText(m_listDirectory);
    m_chosenDirectory = m_listDirectory;
    rebuildFilter();
}

void Tf_dir::DirectoryListBox1Click()
{
    m_chosenDirectory = m_ui->DIR_DIRETORIO->text();
}

void Tf_dir::SpeedButton1Click()
{
    OpenDialog1.directory = m_ui->DIR_DIRETORIO->text();
    OpenDialog1.fileName = m_ui->DIR_ARQUIVO->text();
    const QStringList chosen = dialogs().openFiles(OpenDialog1);
    if (chosen.isEmpty())
        return;
    m_ui->DIR_ARQUIVO->setText(windowsFileName(chosen.first()));
    m_ui->DIR_DIRETORIO->setText(windowsDirectoryPart(chosen.first()));
    m_chosenDirectory = m_ui->DIR_DIRETORIO->text();
}

void Tf_dir::BitBtn1Click()
{
    if (!EM_BRANCO(m_ui->DIR_DIRETORIO->text()))
        m_chosenDirectory = m_ui->DIR_DIRETORIO->text();
    m_choice.resultDirectory = m_chosenDirectory;
    if (EM_BRANCO(m_choice.resultDirectory))
        m_choice.resultDirectory = m_listDirectory;
    m_choice.resultFileName = m_ui->DIR_ARQUIVO->text();
    accept();
}

void Tf_dir::SpeedButton2Click()
{
    m_choice.resultDirectory.clear();
    reject();
}

void Tf_dir::Excluir1Click()
{
    const QString name = m_ui->DIR_ARQUIVO->text().trimmed();
    if (EM_BRANCO(name))
        return;
    // A bare name lives in the directory in use; the label is empty until one is chosen.
    QString directory = m_ui->DIR_DIRETORIO->text();
    if (EM_BRANCO(directory))
        directory = m_listDirectory;
    const bool bare = !name.contains(u'\\') && !name.contains(u':');
    const QString path = bare ? pathIn(directory, name) : name;
    if (!platform().fileExists(path))
        return;
    if (!dialogs().confirm(QStringLiteral("Confirma Exclusão do arquivo "),
                           QStringLiteral("Exclusão")))
        return;
    // A file that could not be deleted (in use, read-only) stays listed.
    if (!platform().deleteFile(path))
        return;

    QListWidgetItem* selected = m_ui->FileListBox1->currentItem();
    const QString listed = selected ? pathIn(m_listDirectory, selected->text()) : QString();
    if (selected && listed.compare(path, Qt::CaseInsensitive) == 0) {
        selected->setText(QString());
        selected->setFlags(Qt::NoItemFlags);
    } else {
        // A name typed by hand: the list is read again, so it no longer shows the file.
        readFiles();
    }
}

bool Tf_dir::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->DirectoryListBox1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            directoryActivated(m_ui->DirectoryListBox1->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString Tf_dir::directoryLabel() const
{
    return m_ui->DIR_DIRETORIO->text();
}

} // namespace navlor
