#pragma once

// A private X server for the runs that need a real window a pointer can click: Xvfb on a free
// display number, and the pointer driven by xdotool.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace navlor::e2e {

class PrivateDisplay
{
public:
    // Starts Xvfb on a free display from :90 to :189.
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // The tools a run needs that are not installed, by name; empty when all are.
    static QStringList missingTools();

    // Empty when the server runs; else what went wrong.
    const QString& error() const { return m_error; }
    // ":<number>", for DISPLAY.
    QString name() const { return QStringLiteral(":%1").arg(m_number); }

    // Id of the first shown window whose title matches `title`, or empty when none was shown
    // within `milliseconds`.
    QString waitForWindow(const QString& title, int milliseconds) const;
    // A left click at (x, y) of a window, in the window's own coordinates.
    bool click(const QString& window, int x, int y) const;

private:
    bool startOn(int number);
    bool xdotool(const QStringList& arguments, int milliseconds, QString* output = nullptr) const;

    QProcess m_server;
    int m_number = -1;
    QString m_error;
};

} // namespace navlor::e2e
