#include "lib/widgets/windows_file_dialog.h"

#include "lib/platform/host_prefix.h"
#include "lib/platform/platform.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStandardItemModel>
#include <QToolButton>

#include <algorithm>

namespace navlor {

namespace {

bool isDriveLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool hasDrive(const QString& path)
{
    return path.size() >= 2 && isDriveLetter(path.at(0)) && path.at(1) == u':';
}

// "C:\..." as absoluteWindowsPath writes it.
bool isWindowsAbsolute(const QString& path)
{
    return path.size() >= 3 && hasDrive(path) && path.at(2) == u'\\';
}

// A typed name that only makes sense as a Windows path; a plain name stays Qt's.
bool speaksWindows(const QString& typed)
{
    return !typed.contains(u'"') &&
           (typed.contains(u'\\') || typed.contains(u'/') || hasDrive(typed));
}

// `outer` is `inner` or a directory above it.
bool holdsOrIs(const QString& outer, const QString& inner)
{
    if (outer.compare(inner, Qt::CaseInsensitive) == 0)
        return true;
    const QString prefix = outer.endsWith(u'\\') ? outer : outer + u'\\';
    return inner.startsWith(prefix, Qt::CaseInsensitive);
}

// Completes a name typed as a Windows path ("d:\vl" offers D:\VLDRBKPB), and a plain name in
// the current directory as Qt's own completer does, never offering the host's directories.
class WindowsPathCompleter : public QCompleter
{
public:
    WindowsPathCompleter(QFileSystemModel* model, WindowsFileDialog* dialog)
        : QCompleter(model, dialog), m_model(model), m_dialog(dialog)
    {
        setCaseSensitivity(Qt::CaseInsensitive);
    }

    QStringList splitPath(const QString& path) const override
    {
        // The directory part found on disk, the name being typed kept as it is.
        const qsizetype cut = std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'),
                                        hasDrive(path) ? qsizetype(1) : qsizetype(-1)}) +
                              1;
        const QString directory = absoluteWindowsPath(
            cut > 0 ? path.left(cut) : QStringLiteral("."), m_dialog->currentWindowsDirectory());
        const QString host = directory.isEmpty() ? QString() : platform().toHostPath(directory);
        if (host.isEmpty())
            return {path};
        // A drive nobody opened yet is read now; the completion follows when it is loaded.
        const QModelIndex listed = m_model->index(host);
        if (m_model->canFetchMore(listed))
            m_model->fetchMore(listed);
        QStringList parts = host.split(u'/', Qt::SkipEmptyParts);
        parts.prepend(QStringLiteral("/"));
        parts << path.mid(cut);
        return parts;
    }

    QString pathFromIndex(const QModelIndex& index) const override
    {
        const QString host = index.data(QFileSystemModel::FilePathRole).toString();
        if (!speaksWindows(completionPrefix()))
            return QFileInfo(host).fileName();
        return platform().fromHostPath(host);
    }

private:
    QFileSystemModel* m_model;
    WindowsFileDialog* m_dialog;
};

} // namespace

WindowsFileDialog::WindowsFileDialog(QWidget* parent, const QString& caption, FileMode mode)
    : QFileDialog(parent, caption)
{
    // Qt's widgets, which can be taught the prefix; a native dialog shows the host's paths.
    setOption(DontUseNativeDialog);
    setFileMode(mode);
    m_caption = windowTitle();
    m_nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    m_lookIn = findChild<QComboBox*>(QStringLiteral("lookInCombo"));
    m_sidebar = findChild<QListView*>(QStringLiteral("sidebar"));
    m_toParent = findChild<QToolButton*>(QStringLiteral("toParentButton"));
    m_parentAction = findChild<QAction*>(QStringLiteral("qt_goto_parent_action"));
    auto* model = findChild<QFileSystemModel*>();

    // Qt shares its places and history with every program's dialogs: host directories.
    m_foundSidebar = sidebarUrls();
    m_foundHistory = history();
    setHistory({});
    if (m_sidebar && m_sidebar->model())
        connect(m_sidebar->model(), &QAbstractItemModel::dataChanged, this,
                &WindowsFileDialog::nameDrives);
    QList<QUrl> drives;
    for (const QString& drive : platform().logicalDrives()) {
        const QString root = platform().toHostPath(drive + u'\\');
        if (!root.isEmpty())
            drives << QUrl::fromLocalFile(root);
    }
    setSidebarUrls(drives);

    if (m_lookIn) {
        m_lookIn->setEditable(false);
        connect(m_lookIn->model(), &QAbstractItemModel::dataChanged, this,
                &WindowsFileDialog::nameLookInPlaces);
    }
    if (model)
        connect(model, &QFileSystemModel::rootPathChanged, this,
                &WindowsFileDialog::showWhereItStands);
    if (m_nameEdit) {
        // After Qt's own judgement of the name, which knows no Windows paths.
        connect(m_nameEdit, &QLineEdit::textChanged, this, &WindowsFileDialog::judgeTypedName);
        if (model)
            m_nameEdit->setCompleter(new WindowsPathCompleter(model, this));
    }
    for (const char* name : {"listView", "treeView"}) {
        if (auto* view = findChild<QAbstractItemView*>(QLatin1String(name)))
            view->installEventFilter(this);
    }
}

WindowsFileDialog::~WindowsFileDialog()
{
    // Qt saves these for the next dialog of any program: leave them as they were found.
    m_naming = true;
    setSidebarUrls(m_foundSidebar);
    setHistory(m_foundHistory);
}

void WindowsFileDialog::openAt(const QString& windowsDirectory)
{
    QStringList candidates{windowsDirectory, platform().windowsDirectory()};
    for (const QString& drive : platform().logicalDrives())
        candidates << drive + u'\\';
    for (const QString& candidate : std::as_const(candidates)) {
        if (candidate.isEmpty() || !platform().directoryExists(candidate))
            continue;
        const QString host = platform().toHostPath(candidate);
        if (host.isEmpty())
            continue;
        setDirectory(host);
        break;
    }
    showWhereItStands();
}

QString WindowsFileDialog::currentWindowsDirectory() const
{
    return platform().fromHostPath(directory().absolutePath());
}

QStringList WindowsFileDialog::selectedWindowsPaths() const
{
    QStringList chosen;
    for (const QString& host : selectedFiles()) {
        const QString windowsPath = platform().fromHostPath(host);
        if (!windowsPath.isEmpty())
            chosen << windowsPath;
    }
    return chosen;
}

QString WindowsFileDialog::typedHostPath(const QString& typed) const
{
    if (!speaksWindows(typed))
        return {};
    const QString windowsPath = absoluteWindowsPath(typed, currentWindowsDirectory());
    return windowsPath.isEmpty() ? QString() : platform().toHostPath(windowsPath);
}

void WindowsFileDialog::accept()
{
    QString typed = m_nameEdit ? m_nameEdit->text().trimmed() : QString();
    // Qt takes ".." up a level, past a drive's root into the host.
    if (typed == QLatin1String("..") && atDriveRoot()) {
        m_nameEdit->selectAll();
        return;
    }
    if (fileMode() == Directory && !typed.isEmpty()) {
        if (!offerToCreate(typed))
            return;
        typed = m_nameEdit->text().trimmed();
    }
    const QString host = typedHostPath(typed);
    const QFileInfo target(host);
    if (!host.isEmpty() && target.isDir()) {
        setDirectory(host);
        m_nameEdit->clear();
        // A file dialog enters the directory; a folder dialog takes it.
        if (fileMode() != Directory)
            return;
    } else if (!host.isEmpty() && target.isFile() && fileMode() != Directory) {
        setDirectory(target.absolutePath());
        m_nameEdit->setText(target.fileName());
    }
    // Anything else, a missing path among it, gets Qt's own answer.
    QFileDialog::accept();
}

bool WindowsFileDialog::offerToCreate(const QString& typed)
{
    const QString here = currentWindowsDirectory();
    if (here.isEmpty() || typed.contains(u'"') || (typed.contains(u'/') && !speaksWindows(typed)))
        return true;
    const QString wanted = speaksWindows(typed)
                               ? absoluteWindowsPath(typed, here)
                               : (here.endsWith(u'\\') ? here : here + u'\\') + typed;
    Platform& p = platform();
    if (wanted.isEmpty() || p.directoryExists(wanted) || p.fileExists(wanted))
        return true;
    QMessageBox ask(QMessageBox::Question, windowTitle(),
                    QStringLiteral("O diretório não existe:\n%1\n\nCriar o diretório?").arg(wanted),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    ask.setDefaultButton(QMessageBox::Ok);
    if (ask.exec() != QMessageBox::Ok)
        return false;
    // Level by level from the first one missing, as the folder browser creates it.
    QStringList missing;
    for (QString level = wanted; level.size() > 3 && !p.directoryExists(level);
         level = level.left(level.lastIndexOf(u'\\')))
        missing.prepend(level);
    for (const QString& level : missing) {
        if (!p.createDirectory(level)) {
            QMessageBox::warning(
                this, windowTitle(),
                QStringLiteral("Não foi possível criar o diretório:\n%1").arg(level));
            return false;
        }
    }
    // Taken as a typed Windows path from here on, so the dialog ends on it.
    m_nameEdit->setText(wanted);
    return true;
}

bool WindowsFileDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Backspace in the list goes up a level; above a drive's root is the host.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace && atDriveRoot())
        return true;
    return QFileDialog::eventFilter(watched, event);
}

bool WindowsFileDialog::atDriveRoot() const
{
    return currentWindowsDirectory().size() == 3;
}

QPushButton* WindowsFileDialog::openButton() const
{
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!buttons)
        return nullptr;
    return buttons->button(acceptMode() == AcceptOpen ? QDialogButtonBox::Open
                                                      : QDialogButtonBox::Save);
}

void WindowsFileDialog::showWhereItStands()
{
    const QString here = currentWindowsDirectory();
    if (here.isEmpty() || m_caption.isEmpty())
        setWindowTitle(here.isEmpty() ? m_caption : here);
    else
        setWindowTitle(m_caption + QLatin1String(" - ") + here);
    nameLookInPlaces();
    const bool root = here.size() == 3;
    if (m_toParent && root)
        m_toParent->setEnabled(false);
    if (m_parentAction)
        m_parentAction->setEnabled(!root);
}

void WindowsFileDialog::nameDrives()
{
    auto* model = m_sidebar ? qobject_cast<QStandardItemModel*>(m_sidebar->model()) : nullptr;
    if (!model || m_naming)
        return;
    const QScopedValueRollback<bool> naming(m_naming, true);
    const QList<QUrl> urls = sidebarUrls();
    for (int row = 0; row < model->rowCount() && row < urls.size(); ++row) {
        const QString windowsPath = platform().fromHostPath(urls[row].toLocalFile());
        if (windowsPath.isEmpty())
            continue;
        QStandardItem* item = model->item(row);
        // A drive goes by its letter, as the Windows dialog names it.
        const QString name =
            windowsPath.size() == 3 ? windowsPath.left(2) : windowsPath.section(u'\\', -1);
        if (item->text() != name)
            item->setText(name);
        if (item->toolTip() != windowsPath)
            item->setToolTip(windowsPath);
    }
}

void WindowsFileDialog::nameLookInPlaces()
{
    auto* model = m_lookIn ? qobject_cast<QStandardItemModel*>(m_lookIn->model()) : nullptr;
    if (!model || m_naming)
        return;
    const QScopedValueRollback<bool> naming(m_naming, true);
    auto* view = qobject_cast<QListView*>(m_lookIn->view());
    const QString here = currentWindowsDirectory();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStandardItem* item = model->item(row);
        // Qt names each place by its host path; "Computer" is the host's root.
        QString place = item->text();
        if (place.startsWith(u'/'))
            place = platform().fromHostPath(place);
        else if (!isWindowsAbsolute(place))
            place.clear();
        // Where the dialog stands and the directories above it, up to the drive's root.
        const bool offered = !place.isEmpty() && !here.isEmpty() && holdsOrIs(place, here);
        if (offered && item->text() != place)
            item->setText(place);
        if (item->isEnabled() != offered)
            item->setEnabled(offered);
        if (view)
            view->setRowHidden(row, !offered);
    }
}

void WindowsFileDialog::judgeTypedName(const QString& typed)
{
    QPushButton* button = openButton();
    const QString name = typed.trimmed();
    if (!button || name.isEmpty())
        return;
    // A folder dialog takes a directory that is not there yet: it offers to create it.
    if (fileMode() == Directory && !name.contains(u'"') &&
        (speaksWindows(name) ? !typedHostPath(name).isEmpty() : !name.contains(u'/'))) {
        button->setEnabled(true);
        return;
    }
    if (!speaksWindows(name))
        return;
    const QFileInfo target(typedHostPath(name));
    if (fileMode() == Directory ? target.isDir() : target.exists())
        button->setEnabled(true);
}

} // namespace navlor
