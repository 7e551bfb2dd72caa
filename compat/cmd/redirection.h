#pragma once

// Redirection of the interpreter's own standard handles for the length of one command: what
// the command writes itself and what a program it starts inherits both land in the file, as
// they do when the command interpreter of Windows redirects a line.

#include <QList>
#include <QString>

namespace navlor::cmd {

class HandleRedirection
{
public:
    HandleRedirection() = default;
    ~HandleRedirection();
    HandleRedirection(const HandleRedirection&) = delete;
    HandleRedirection& operator=(const HandleRedirection&) = delete;

    // Points `handle` at the host file (created or emptied, or appended to); for handle 0
    // the file is read. False with a message when the file cannot be opened.
    bool toFile(int handle, const QString& hostPath, bool append, QString& error);
    // Makes `handle` a copy of `other` ("2>&1").
    bool toHandle(int handle, int other, QString& error);
    // Puts every handle back as it was; also done on destruction.
    void restore();

private:
    bool save(int handle, QString& error);

    struct Saved
    {
        int handle;
        int copy;
    };
    QList<Saved> m_saved;
};

} // namespace navlor::cmd
