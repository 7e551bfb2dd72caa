#pragma once

// Qt's own file dialog speaking the Windows paths of the hosted machine: it opens at a Windows
// directory, offers the drives as its places, shows where it stands as "C:\VALDOROW\DADOS" and
// takes a typed "D:\VLDRBKPB\EMPRESA1.ARJ".

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

class QAction;
class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;
class QToolButton;

namespace navlor {

class WindowsFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    WindowsFileDialog(QWidget* parent, const QString& caption, FileMode mode);
    ~WindowsFileDialog() override;

    // Opens at `windowsDirectory`; when it is empty or missing, at the Windows directory.
    void openAt(const QString& windowsDirectory);
    // Where the dialog stands; empty when that is on no drive.
    QString currentWindowsDirectory() const;
    // The chosen files (for a folder dialog: the folder), as Windows paths.
    QStringList selectedWindowsPaths() const;

protected:
    void accept() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The host path a typed name stands for when it is written as a Windows path ("D:\X",
    // "..\X", "\X"); empty for a plain name, which the dialog takes as Qt does.
    QString typedHostPath(const QString& typed) const;
    bool atDriveRoot() const;
    QPushButton* openButton() const;
    void showWhereItStands();
    void nameDrives();
    void nameLookInPlaces();
    void judgeTypedName(const QString& typed);
    // A folder dialog asks to create a typed directory that is not there; false when the
    // operator declined or it could not be made, and the dialog stays.
    bool offerToCreate(const QString& typed);

    QString m_caption;
    QList<QUrl> m_foundSidebar;
    QStringList m_foundHistory;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_lookIn = nullptr;
    QListView* m_sidebar = nullptr;
    QToolButton* m_toParent = nullptr;
    QAction* m_parentAction = nullptr;
    bool m_naming = false;
};

} // namespace navlor
