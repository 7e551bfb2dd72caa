#include "compat/arj/add_masks.h"

#include "compat/arj/arj_names.h"

#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace navlor::arj {

namespace {

// Longer names keep their own lines: arj's path buffers are not trusted with them.
constexpr qsizetype kLongestMaskedName = 255;
// A mask for a single file saves arj nothing, and its directory would be read for it.
constexpr qsizetype kFewestMaskedNames = 2;

// arj trims control characters from a list line, but its "*" takes them in a directory.
bool controlByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// A directory part that a list line carries as it is: no wildcard arj could read into it,
// nothing a line would lose when trimmed, no component that names another directory.
bool maskableDirectory(QByteArrayView directory)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= directory.size(); ++i) {
        if (i < directory.size() && directory.at(i) != '/') {
            const char c = directory.at(i);
            if (controlByte(c) || c == '*' || c == '?' || c == '[' || c == ']' || c == '\\')
                return false;
            continue;
        }
        const QByteArrayView part = directory.sliced(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == "." || part == ".." || part.front() == ' ' ||
            part.back() == ' ')
            return false;
    }
    return true;
}

bool maskableName(const QByteArray& stored, qsizetype slash)
{
    if (stored.size() > kLongestMaskedName || stored.size() <= slash + 1)
        return false;
    for (qsizetype i = slash + 1; i < stored.size(); ++i) {
        if (controlByte(stored.at(i)))
            return false;
    }
    return true;
}

bool inDirectory(const QByteArray& stored, QByteArrayView directory)
{
    const qsizetype slash = directory.size();
    return stored.size() > slash + 1 && stored.at(slash) == '/' && stored.startsWith(directory) &&
           stored.indexOf('/', slash + 1) < 0;
}

enum class DirectoryMatch
{
    Partial,
    SameOrder,
    OtherOrder,
};

// Whether the regular files of the directory are the names of stored[from, to), and whether
// the directory gives them in that order; Partial when it holds anything else "*" could take:
// a file not selected, a link, device, pipe or hidden file. Subdirectories are never taken by
// a mask without "-r". `st`: the directory's, for its order file.
DirectoryMatch wholeDirectory(const QByteArray& root, QByteArrayView directory,
                              const QList<QByteArray>& stored, qsizetype from, qsizetype to,
                              struct stat& st)
{
    DIR* d = ::opendir((root + '/' + directory.toByteArray()).constData());
    if (!d)
        return DirectoryMatch::Partial;
    const int fd = ::dirfd(d);
    const qsizetype nameAt = directory.size() + 1;
    QSet<QByteArrayView> selected;
    selected.reserve(to - from);
    for (qsizetype i = from; i < to; ++i)
        selected.insert(QByteArrayView(stored.at(i)).sliced(nameAt));
    qsizetype next = from;
    bool inOrder = true;
    bool whole = ::fstat(fd, &st) == 0;
    while (whole) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) {
            whole = errno == 0 && next == to;
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat entry;
            if (::fstatat(fd, name, &entry, AT_SYMLINK_NOFOLLOW) != 0) {
                whole = false;
                break;
            }
            type = IFTODT(entry.st_mode);
        }
        if (type == DT_DIR)
            continue;
        whole = type == DT_REG && next < to && selected.contains(QByteArrayView(name));
        inOrder = inOrder && whole && QByteArrayView(stored.at(next)).sliced(nameAt) == name;
        ++next;
    }
    ::closedir(d);
    if (!whole)
        return DirectoryMatch::Partial;
    return inOrder ? DirectoryMatch::SameOrder : DirectoryMatch::OtherOrder;
}

// The order file of the directory `st` is of: the names of stored[from, to), one a line.
bool writeMaskOrder(const QString& orderDirectory, const struct stat& st,
                    const QList<QByteArray>& stored, qsizetype from, qsizetype to, qsizetype nameAt)
{
    if (orderDirectory.isEmpty())
        return false;
    QFile file(orderDirectory + QStringLiteral("/%1-%2")
                                    .arg(static_cast<qulonglong>(st.st_dev))
                                    .arg(static_cast<qulonglong>(st.st_ino)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QByteArray text;
    for (qsizetype i = from; i < to; ++i) {
        text += QByteArrayView(stored.at(i)).sliced(nameAt);
        text += '\n';
    }
    return file.write(text) == text.size() && file.flush();
}

} // namespace

QList<QByteArray> addListLines(const QString& rootHostPath, const QList<QByteArray>& stored,
                               const QString& orderDirectory)
{
    const QByteArray root = QFile::encodeName(rootHostPath);
    QList<QByteArray> lines;
    lines.reserve(stored.size());
    for (qsizetype from = 0; from < stored.size();) {
        const qsizetype slash = stored.at(from).lastIndexOf('/');
        qsizetype to = from + 1;
        bool maskable = false;
        if (slash > 0) {
            const QByteArrayView directory = QByteArrayView(stored.at(from)).first(slash);
            maskable = maskableDirectory(directory) && maskableName(stored.at(from), slash);
            for (; to < stored.size() && inDirectory(stored.at(to), directory); ++to)
                maskable = maskable && maskableName(stored.at(to), slash);
            struct stat st;
            const DirectoryMatch match = maskable && to - from >= kFewestMaskedNames
                                             ? wholeDirectory(root, directory, stored, from, to, st)
                                             : DirectoryMatch::Partial;
            if (match == DirectoryMatch::SameOrder ||
                (match == DirectoryMatch::OtherOrder &&
                 writeMaskOrder(orderDirectory, st, stored, from, to, slash + 1))) {
                lines << directory.toByteArray() + "/*";
                from = to;
                continue;
            }
        }
        for (; from < to; ++from)
            lines << listFileLine(stored.at(from));
    }
    return lines;
}

QString newMaskOrderDirectory(const QString& parent)
{
    QByteArray path = QFile::encodeName(parent) + "/order-XXXXXX";
    return ::mkdtemp(path.data()) ? QFile::decodeName(path) : QString();
}

MaskOrderScope::MaskOrderScope(const QString& orderDirectory)
    : m_had(qEnvironmentVariableIsSet(kMaskOrderVariable)), m_earlier(qgetenv(kMaskOrderVariable))
{
    if (orderDirectory.isEmpty())
        qunsetenv(kMaskOrderVariable);
    else
        qputenv(kMaskOrderVariable, QFile::encodeName(orderDirectory));
}

MaskOrderScope::~MaskOrderScope()
{
    if (m_had)
        qputenv(kMaskOrderVariable, m_earlier);
    else
        qunsetenv(kMaskOrderVariable);
}

bool writeAddList(const QString& path, const QList<QByteArray>& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + '\n';
    return file.write(text) == text.size() && file.flush();
}

} // namespace navlor::arj
