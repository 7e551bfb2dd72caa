#pragma once

// The machine-wide Run key of the hosted machine, kept where a Linux desktop looks for
// programs to start at every user's log-on: the system XDG autostart directory, one
// navlor-<name>.desktop file per value.

#include <QString>

#include <functional>
#include <optional>

namespace navlor {

// "Software\Microsoft\Windows\CurrentVersion\Run" in any case, with or without leading "\".
bool isMachineRunKey(const QString& key);

// Quoting of one argument of a desktop entry's Exec line (before the entry's own escaping).
QString desktopExecArgument(const QString& argument);

class XdgAutostart
{
public:
    // `toHost` maps a Windows path to a host path (empty: no such place).
    XdgAutostart(const QString& prefixRoot, std::function<QString(const QString&)> toHost);

    // autostart in the first directory of $XDG_CONFIG_DIRS (default /etc/xdg).
    static QString directory();

    // The key can always be opened to look; with `create`, when the directory exists or can be
    // made.
    bool open(bool create) const;
    std::optional<QString> read(const QString& name) const;
    // Needs the right to write the directory (an administrator's, normally).
    bool write(const QString& name, const QString& data) const;
    bool remove(const QString& name) const;

    QString filePath(const QString& name) const;

private:
    QString execLine(const QString& data) const;

    QString m_prefixRoot;
    std::function<QString(const QString&)> m_toHost;
};

} // namespace navlor
