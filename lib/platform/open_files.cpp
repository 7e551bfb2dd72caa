#include "lib/platform/open_files.h"

#include <QFile>

#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

namespace navlor {

namespace {

bool isNumber(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

// Calls `found` for each process holding the file; stops when it returns false.
template <typename Found> void scan(const QString& hostPath, Found found)
{
    struct stat target;
    if (::stat(QFile::encodeName(hostPath).constData(), &target) != 0)
        return;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return;
    while (dirent* process = ::readdir(proc)) {
        if (!isNumber(process->d_name))
            continue;
        const std::string fdDir = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds)
            continue; // gone, or another user's process
        bool holding = false;
        while (dirent* fd = ::readdir(fds)) {
            if (!isNumber(fd->d_name))
                continue;
            // stat() through the fd link gives the open file itself, even when it was
            // renamed or reached by another name.
            struct stat st;
            const std::string entry = fdDir + '/' + fd->d_name;
            if (::stat(entry.c_str(), &st) == 0 && st.st_dev == target.st_dev &&
                st.st_ino == target.st_ino) {
                holding = true;
                break;
            }
        }
        ::closedir(fds);
        if (holding && !found(static_cast<qint64>(std::strtoll(process->d_name, nullptr, 10))))
            break;
    }
    ::closedir(proc);
}

} // namespace

QList<qint64> processesHoldingFile(const QString& hostPath)
{
    QList<qint64> pids;
    scan(hostPath, [&](qint64 pid) {
        pids << pid;
        return true;
    });
    return pids;
}

bool isFileOpenByAnyProcess(const QString& hostPath)
{
    bool open = false;
    scan(hostPath, [&](qint64) {
        open = true;
        return false;
    });
    return open;
}

} // namespace navlor
