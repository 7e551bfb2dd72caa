#pragma once

// Takes single files back out of a backup archive: lists the archive through ARJ, lets the
// operator move entries into a selection and extracts them into a target directory, each step
// a batch file run by the batch runner.

#include "lib/arj_listing.h"
#include "lib/dialogs.h"
#include "lib/widgets/window_helpers.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QListWidget;

namespace Ui {
class TF_BKP_EXTRAI1;
}

namespace navlor {

struct EntryWidths;

class TF_BKP_EXTRAI1 : public QDialog
{
    Q_OBJECT

public:
    explicit TF_BKP_EXTRAI1(QWidget* parent = nullptr);
    ~TF_BKP_EXTRAI1() override;

    // The working directory (ending in "\") and the archiver, both set when the window shows.
    QString DIR_LOCAL() const { return m_dirLocal; }
    QString ARQ_ARJ() const { return m_arqArj; }

    // E_EXT_ORIGEM, the archive the window works on.
    void setOrigin(const QString& archivePath);
    // The drive root the archive's stored paths start from ("D:\"), where CB_ORIGINAIS
    // restores; empty: the system drive's.
    void setOriginalRoot(const QString& root);

    Ui::TF_BKP_EXTRAI1* form() const { return m_ui.get(); }

public slots:
    void FormShow();
    void BU_DIR_ORIGEMClick();
    void BU_EXTRAIR_ABRIRClick();
    void BU_EXTR_MAISClick();
    void BU_EXTR_MENOSClick();
    void BU_DIR_DESTINOClick();
    void BU_DIR_DESTINO_DIALOGClick();
    void BU_EXTR_EXECClick();
    void CB_ORIGINAISClick();
    void Sair1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectHandlers();
    void centreOnDesktop();
    // Replaces `file` with `lines`; shows the file error and answers false when it cannot.
    bool writeBatch(const QString& file, const QStringList& lines);
    static void moveSelected(QListWidget* from, QListWidget* to);
    // Lists `origin` (entries matching `mask`) into the listing file through the archiver; the
    // listing's bytes, or nothing once the operator has been told why not.
    std::optional<QByteArray> runListing(const QString& origin, const QString& mask);
    // The entries of `origin` read from its headers, named as its listing names them; nothing
    // where the archiver is to list them: a mask or an option given, a path that is no plain
    // local file, an archive the headers cannot vouch for.
    std::optional<QList<ArjEntry>> headerEntries(const QString& origin, const QString& mask) const;
    // The entries an extraction takes, with their times where a listing gave them.
    std::optional<QList<ArjEntry>> chosenEntries(const QString& origin, bool all);

    std::unique_ptr<Ui::TF_BKP_EXTRAI1> m_ui;
    QString m_dirLocal;
    QString m_arqArj;
    FileDialogRequest m_openDialog; // OpenDialog1
    bool m_working = false;         // a listing or an extraction is under way
    bool m_closing = false;
    QString m_originalRoot;
    // The entries of the last listing, of m_listedOrigin; whole unless masked or stopped.
    QList<ArjEntry> m_listed;
    QString m_listedOrigin;
    bool m_listedWhole = false;
    std::shared_ptr<EntryWidths> m_entryWidths; // shared by the delegates of both lists
    SingleInstance<TF_BKP_EXTRAI1> m_instance;  // F_BKP_EXTRAI1
};

// The extract window while it exists, or null.
extern TF_BKP_EXTRAI1* F_BKP_EXTRAI1;

// Opens the extract window on an archive (the last one of a backup job), modally, and releases
// it when the operator closes it. `originalRoot`: see setOriginalRoot().
void openExtractWindow(QWidget* parent, const QString& archivePath,
                       const QString& originalRoot = {});

} // namespace navlor
