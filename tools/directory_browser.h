#pragma once

// The directory browser: drive, directory tree and file list, for picking a directory (and a
// file) and for deleting a single file. Whoever opens it gives the directory to start from and
// reads the directory label DIR_DIRETORIO afterwards, or the browser's choice().

#include "lib/dialogs.h"
#include "lib/widgets/window_helpers.h"
#include "tools/directory_choice.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QMenu;
class QTreeWidgetItem;
class QListWidgetItem;

namespace Ui {
class Tf_dir;
}

namespace navlor {

class Tf_dir : public QDialog
{
    Q_OBJECT

public:
    explicit Tf_dir(QWidget* parent = nullptr, const QString& defaultDirectory = QString());
    ~Tf_dir() override;

    // The text of DIR_DIRETORIO: the directory in use, what callers read.
    QString directoryLabel() const;
    // The directory the directory list (and so the file list) shows.
    QString listDirectory() const { return m_listDirectory; }
    QString chosenDirectory() const { return m_chosenDirectory; }
    // The names the file list shows, in order (a deleted entry is blank).
    QStringList fileNames() const;

    // What choosing a directory in the list or a drive in the drive list does.
    void openDirectory(const QString& directory);

    // Where it started and, after "OK" or "Cancelar", what was chosen.
    const DirectoryChoice& choice() const { return m_choice; }

    Ui::Tf_dir* form() const { return m_ui.get(); }

public slots:
    void DirectoryListBox1Change();
    void DirectoryListBox1Click();
    void SpeedButton1Click();
    void BitBtn1Click();
    void SpeedButton2Click();
    void Excluir1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void connectHandlers();
    void fillDrives();
    void showDirectory(const QString& directory);
    void readFiles();
    void rebuildFilter();
    void filterChosen(int index);
    void fileChosen(QListWidgetItem* item);
    void driveChosen(int index);
    void directoryActivated(QTreeWidgetItem* item);

    std::unique_ptr<Ui::Tf_dir> m_ui;
    DirectoryChoice m_choice;
    QString m_chosenDirectory;
    QString m_listDirectory;
    QString m_mask = QStringLiteral("*.*");

public:
    QMenu* PopupMenu1 = nullptr;
    QAction* Excluir1 = nullptr;
    FileDialogRequest OpenDialog1;

private:
    SingleInstance<Tf_dir> m_instance; // f_dir
};

// The browser while it is open, or null.
extern Tf_dir* f_dir;

} // namespace navlor
