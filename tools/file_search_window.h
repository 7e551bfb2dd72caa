#pragma once

// The file search: every file matching a mask in a directory and all its subdirectories, with
// deletion of the files found one by one. The automatic backup drives it without showing it,
// to find the archiver: set the directory and the mask, click "Localizar", read the results.

#include "lib/widgets/window_helpers.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class TF_PESQARQ;
}

namespace navlor {

class TF_PESQARQ : public QDialog
{
    Q_OBJECT

public:
    explicit TF_PESQARQ(QWidget* parent = nullptr);
    ~TF_PESQARQ() override;

    // E_DIRETORIO (kept in capitals) and E_ARQUIVO.
    QString directory() const;
    void setDirectory(const QString& directory);
    QString mask() const;
    void setMask(const QString& mask);
    // LA_CONTA, the entries of ListBox1 and the status line PA_MSG.
    QString countText() const;
    QStringList entries() const;
    QString statusText() const;

    Ui::TF_PESQARQ* form() const { return m_ui.get(); }

public slots:
    void BU_LOCALIZARClick();
    void SpeedButton1Click();
    void ListBox1Click();
    void BU_EXCLUIClick();
    void BU_SAIRClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void connectHandlers();
    // Enter in the mask box searches; true when the key was taken.
    bool E_ARQUIVOKeyDown(int key);
    void keepDirectoryInCapitals(const QString& text);

    std::unique_ptr<Ui::TF_PESQARQ> m_ui;
    SingleInstance<TF_PESQARQ> m_instance; // F_PESQARQ
};

// The search window while it exists, or null.
extern TF_PESQARQ* F_PESQARQ;

} // namespace navlor
