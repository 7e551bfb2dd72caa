/* Preloaded with arj_preload.c: for an "x" or "e", arj writes nowhere through a link.
 *
 * navlor-arj judges every landing name before arj runs, but arj writes by path later, and the
 * target may be a shared folder where someone else plants a link in between: arj removes an
 * old file and creates it again by name, and follows a linked directory on the way. Here every
 * call arj makes to create, replace, remove or change a file below the target (NAVLOR_ARJ_ROOT)
 * walks down from the target's descriptor one directory at a time, never following a link,
 * and acts on the last name relative to its directory, again without following it. A name
 * that passes through or ends at a link, or climbs out, fails with an errno: arj says it
 * could not write it and ends with an error code. Anything outside the target (the archive,
 * list files, configuration) and every read keep arj's own calls. */

#undef _FORTIFY_SOURCE
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

static int g_guardRoot = -1;
static char g_guardPrefix[PATH_MAX]; /* the target as arj is given it, without a trailing "/" */
static size_t g_guardPrefixLength;
static int g_guardOn;
/* The name arj removed last: creating it again must make a new file, so whatever appears
 * there in between (a hard link to someone else's file) makes the create fail. */
static char g_guardRemoved[PATH_MAX];

static FILE* (*realGuardFopen)(const char*, const char*);

__attribute__((constructor)) static void guardStart(void)
{
    const char* root = getenv("NAVLOR_ARJ_ROOT");
    if (!root || !*root)
        return;
    g_guardOn = 1;
    /* Without a descriptor of the target every write arj makes fails. The target itself is
     * the one trusted path: navlor-arj was given it. */
    const size_t length = strlen(root);
    if (length < sizeof g_guardPrefix) {
        memcpy(g_guardPrefix, root, length + 1);
        g_guardPrefixLength = length;
        while (g_guardPrefixLength > 0 && g_guardPrefix[g_guardPrefixLength - 1] == '/')
            g_guardPrefix[--g_guardPrefixLength] = '\0';
        g_guardRoot = openat(AT_FDCWD, root, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    unsetenv("NAVLOR_ARJ_ROOT");
}

enum
{
    kGuardOutside = 1, /* not below the target: arj's own call */
    kGuardInside = 0,
    kGuardRefused = -1 /* errno set */
};

/* For a path below the target: the descriptor of its directory in `dir` (closed with
 * guardRelease()) and its last name in `leaf`. */
static int guardResolve(const char* path, int* dir, char leaf[NAME_MAX + 1])
{
    if (!g_guardOn || !path)
        return kGuardOutside;
    if (g_guardRoot < 0) {
        errno = ENOENT;
        return kGuardRefused;
    }
    if (strncmp(path, g_guardPrefix, g_guardPrefixLength) != 0 || path[g_guardPrefixLength] != '/')
        return kGuardOutside;
    const char* at = path + g_guardPrefixLength;
    while (*at == '/')
        ++at;
    if (*at == '\0')
        return kGuardOutside; /* the target itself */
    int current = g_guardRoot;
    for (;;) {
        const char* end = strchr(at, '/');
        const size_t length = end ? (size_t)(end - at) : strlen(at);
        const char* next = end;
        while (next && *next == '/')
            ++next;
        const int last = !next || *next == '\0';
        if (length > NAME_MAX) {
            errno = ENAMETOOLONG;
            break;
        }
        memcpy(leaf, at, length);
        leaf[length] = '\0';
        if (strcmp(leaf, "..") == 0 || (last && strcmp(leaf, ".") == 0)) {
            errno = EACCES;
            break;
        }
        if (last) {
            *dir = current;
            return kGuardInside;
        }
        at = next;
        if (strcmp(leaf, ".") == 0)
            continue;
        const int down =
            openat(current, leaf, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); /* ENOTDIR */
        if (current != g_guardRoot)
            close(current);
        if (down < 0)
            return kGuardRefused;
        current = down;
    }
    if (current != g_guardRoot)
        close(current);
    return kGuardRefused;
}

static void guardRelease(int dir)
{
    if (dir != g_guardRoot) {
        const int saved = errno;
        close(dir);
        errno = saved;
    }
}

/* ELOOP when `leaf` in `dir` is a link, for the calls that would otherwise act on the link. */
static int guardIsLink(int dir, const char* leaf)
{
    struct stat st;
    if (fstatat(dir, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        errno = ELOOP;
        return 1;
    }
    return 0;
}

/* O_EXCL for the create that follows arj's removal of the same name. */
static int guardCreateFlags(const char* path, int flags)
{
    flags |= O_NOFOLLOW;
    if ((flags & O_CREAT) && g_guardRemoved[0] && strcmp(path, g_guardRemoved) == 0)
        flags |= O_EXCL;
    g_guardRemoved[0] = '\0';
    return flags;
}

int open(const char* path, int flags, ...)
{
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list list;
        va_start(list, flags);
        mode = va_arg(list, mode_t);
        va_end(list);
    }
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int writes = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC));
    const int where = writes ? guardResolve(path, &dir, leaf) : kGuardOutside;
    if (where == kGuardOutside)
        return openat(AT_FDCWD, path, flags, mode);
    if (where == kGuardRefused)
        return -1;
    const int fd = openat(dir, leaf, guardCreateFlags(path, flags), mode);
    guardRelease(dir);
    return fd;
}

FILE* fopen(const char* path, const char* mode)
{
    if (!realGuardFopen)
        realGuardFopen = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
    int flags = strchr(mode, '+') ? O_RDWR : O_WRONLY;
    if (mode[0] == 'w')
        flags |= O_CREAT | O_TRUNC;
    else if (mode[0] == 'a')
        flags |= O_CREAT | O_APPEND;
    else if (mode[0] != 'r' || !strchr(mode, '+'))
        flags = -1; /* a read, or a mode fopen refuses itself */
    if (flags >= 0 && strchr(mode, 'x'))
        flags |= O_EXCL;
    if (flags >= 0 && strchr(mode, 'e'))
        flags |= O_CLOEXEC;
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = flags >= 0 ? guardResolve(path, &dir, leaf) : kGuardOutside;
    if (where == kGuardOutside) {
        if (realGuardFopen)
            return realGuardFopen(path, mode);
        errno = ENOSYS;
        return NULL;
    }
    if (where == kGuardRefused)
        return NULL;
    const int fd = openat(dir, leaf, guardCreateFlags(path, flags), 0666);
    guardRelease(dir);
    if (fd < 0)
        return NULL;
    FILE* stream = fdopen(fd, mode);
    if (!stream) {
        const int saved = errno;
        close(fd);
        errno = saved;
    }
    return stream;
}

/* Removing a link would take away what shows the name is not arj's to write. */
int unlink(const char* path)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return unlinkat(AT_FDCWD, path, 0);
    if (where == kGuardRefused)
        return -1;
    int result = -1;
    if (!guardIsLink(dir, leaf)) {
        result = unlinkat(dir, leaf, 0);
        if (result == 0 || errno == ENOENT)
            snprintf(g_guardRemoved, sizeof g_guardRemoved, "%s", path);
    }
    guardRelease(dir);
    return result;
}

int rmdir(const char* path)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return unlinkat(AT_FDCWD, path, AT_REMOVEDIR);
    if (where == kGuardRefused)
        return -1;
    const int result = unlinkat(dir, leaf, AT_REMOVEDIR);
    guardRelease(dir);
    return result;
}

int mkdir(const char* path, mode_t mode)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return mkdirat(AT_FDCWD, path, mode);
    if (where == kGuardRefused)
        return -1;
    const int result = mkdirat(dir, leaf, mode);
    guardRelease(dir);
    return result;
}

int rename(const char* from, const char* to)
{
    int fromDir = AT_FDCWD;
    int toDir = AT_FDCWD;
    char fromLeaf[NAME_MAX + 1];
    char toLeaf[NAME_MAX + 1];
    const int fromWhere = guardResolve(from, &fromDir, fromLeaf);
    if (fromWhere == kGuardRefused)
        return -1;
    const int toWhere = guardResolve(to, &toDir, toLeaf);
    int result = -1;
    if (toWhere != kGuardRefused)
        result = renameat(fromDir, fromWhere == kGuardInside ? fromLeaf : from, toDir,
                          toWhere == kGuardInside ? toLeaf : to);
    if (fromWhere == kGuardInside)
        guardRelease(fromDir);
    if (toWhere == kGuardInside)
        guardRelease(toDir);
    return result;
}

int chmod(const char* path, mode_t mode)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return fchmodat(AT_FDCWD, path, mode, 0);
    if (where == kGuardRefused)
        return -1;
    const int result = guardIsLink(dir, leaf) ? -1 : fchmodat(dir, leaf, mode, AT_SYMLINK_NOFOLLOW);
    guardRelease(dir);
    return result;
}

int lchown(const char* path, uid_t owner, gid_t group)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return fchownat(AT_FDCWD, path, owner, group, AT_SYMLINK_NOFOLLOW);
    if (where == kGuardRefused)
        return -1;
    const int result = fchownat(dir, leaf, owner, group, AT_SYMLINK_NOFOLLOW);
    guardRelease(dir);
    return result;
}

int utime(const char* path, const struct utimbuf* times)
{
    struct timespec both[2];
    if (times) {
        both[0].tv_sec = times->actime;
        both[0].tv_nsec = 0;
        both[1].tv_sec = times->modtime;
        both[1].tv_nsec = 0;
    }
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return utimensat(AT_FDCWD, path, times ? both : NULL, 0);
    if (where == kGuardRefused)
        return -1;
    const int result = guardIsLink(dir, leaf)
                           ? -1
                           : utimensat(dir, leaf, times ? both : NULL, AT_SYMLINK_NOFOLLOW);
    guardRelease(dir);
    return result;
}

/* The links and special files an archive made on Unix may hold: made in the target, never
 * through a link on the way. */
int symlink(const char* target, const char* path)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return symlinkat(target, AT_FDCWD, path);
    if (where == kGuardRefused)
        return -1;
    const int result = symlinkat(target, dir, leaf);
    guardRelease(dir);
    return result;
}

int link(const char* from, const char* to)
{
    int fromDir = AT_FDCWD;
    int toDir = AT_FDCWD;
    char fromLeaf[NAME_MAX + 1];
    char toLeaf[NAME_MAX + 1];
    const int fromWhere = guardResolve(from, &fromDir, fromLeaf);
    if (fromWhere == kGuardRefused)
        return -1;
    const int toWhere = guardResolve(to, &toDir, toLeaf);
    int result = -1;
    if (toWhere != kGuardRefused)
        result = linkat(fromDir, fromWhere == kGuardInside ? fromLeaf : from, toDir,
                        toWhere == kGuardInside ? toLeaf : to, 0);
    if (fromWhere == kGuardInside)
        guardRelease(fromDir);
    if (toWhere == kGuardInside)
        guardRelease(toDir);
    return result;
}

int mknod(const char* path, mode_t mode, dev_t device)
{
    int dir = -1;
    char leaf[NAME_MAX + 1];
    const int where = guardResolve(path, &dir, leaf);
    if (where == kGuardOutside)
        return mknodat(AT_FDCWD, path, mode, device);
    if (where == kGuardRefused)
        return -1;
    const int result = mknodat(dir, leaf, mode, device);
    guardRelease(dir);
    return result;
}

int mkfifo(const char* path, mode_t mode)
{
    return mknod(path, (mode & ~S_IFMT) | S_IFIFO, 0);
}
