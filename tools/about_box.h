#pragma once

// The about box: the maker's contact data, each item a click away from an e-mail, the web
// site or a telephone call.

#include "lib/widgets/window_helpers.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TF_SOBRE;
}

namespace navlor {

// The maker's contact data, as the build was configured.
struct MakerContact
{
    QString phones; // the numbers as one line, shown
    QString email;
    QString site;  // host name, without a scheme
    QString phone; // the main number, dialled as it stands
};
const MakerContact& makerContact();

class TF_SOBRE : public QDialog
{
    Q_OBJECT

public:
    explicit TF_SOBRE(QWidget* parent = nullptr);
    ~TF_SOBRE() override;

    // The text of the status line LA_MSG (a control's hint shows there only while pointed at).
    QString statusText() const { return m_status; }
    void setStatusText(const QString& text);

    Ui::TF_SOBRE* form() const { return m_ui.get(); }

public slots:
    void LA_EMAILClick();
    void LA_SITEClick();
    void LA_FONEClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void fixSizeAndCentre();

    std::unique_ptr<Ui::TF_SOBRE> m_ui;
    QString m_status;
    SingleInstance<TF_SOBRE> m_instance; // F_SOBRE
};

// The about box while it exists, or null.
extern TF_SOBRE* F_SOBRE;

} // namespace navlor
