#include "lib/platform/ini_registry.h"

#include "lib/platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace navlor {

namespace {

struct Value
{
    QString name;
    QString data;
};

struct Key
{
    QString path;
    QList<Value> values;
};

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    return out;
}

// Reads the escaped text up to the unescaped `end` character from `pos`; leaves `pos` after
// that character. False when the text ends first.
bool unescape(const QString& line, qsizetype& pos, QChar end, QString& out)
{
    out.clear();
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == end)
            return true;
        if (c != u'\\' || pos >= line.size()) {
            out += c;
            continue;
        }
        const QChar e = line.at(pos++);
        if (e == u'n') {
            out += u'\n';
        } else if (e == u'r') {
            out += u'\r';
        } else if (e == u't') {
            out += u'\t';
        } else if (e == u'x' && pos + 4 <= line.size()) {
            bool ok = false;
            const ushort code = line.mid(pos, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                pos += 4;
            }
        } else {
            out += e;
        }
    }
    return false;
}

class Store
{
public:
    explicit Store(QString path) : m_path(std::move(path)) {}

    void load()
    {
        m_keys.clear();
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        Key* current = nullptr;
        for (QString line : lines) {
            line = line.trimmed();
            if (line.startsWith(u'[') && line.endsWith(u']')) {
                QString path;
                qsizetype pos = 1;
                unescape(line.left(line.size() - 1), pos, QChar(), path);
                current = &ensureKey(normalizedRegistryKey(path));
                continue;
            }
            if (!current || line.isEmpty() || line.startsWith(u';'))
                continue;
            QString name;
            qsizetype pos = 0;
            if (line.startsWith(u'@')) {
                pos = 1;
            } else if (line.startsWith(u'"')) {
                pos = 1;
                if (!unescape(line, pos, u'"', name))
                    continue;
            } else {
                continue;
            }
            if (pos + 1 >= line.size() || line.at(pos) != u'=' || line.at(pos + 1) != u'"')
                continue;
            pos += 2;
            QString data;
            if (unescape(line, pos, u'"', data))
                setValue(*current, name, data);
        }
    }

    bool save() const
    {
        QString text = QStringLiteral("; NAVLOR registry\n");
        for (const Key& k : m_keys) {
            text += u'\n' + (u'[' + escaped(k.path) + u']') + u'\n';
            for (const Value& v : k.values) {
                const QString name =
                    v.name.isEmpty() ? QStringLiteral("@") : u'"' + escaped(v.name) + u'"';
                text += name + QStringLiteral("=\"") + escaped(v.data) + QStringLiteral("\"\n");
            }
        }
        QDir().mkpath(QFileInfo(m_path).path());
        return writeFileAtomically(m_path, text.toUtf8(), 0600);
    }

    // A key exists when it was made itself or holds sub-keys, as creating "A\B" makes "A".
    bool keyExists(const QString& path) const
    {
        if (path.isEmpty())
            return true;
        for (const Key& k : m_keys) {
            if (sameName(k.path, path) || k.path.startsWith(path + u'\\', Qt::CaseInsensitive))
                return true;
        }
        return false;
    }

    Key* findKey(const QString& path)
    {
        for (Key& k : m_keys) {
            if (sameName(k.path, path))
                return &k;
        }
        return nullptr;
    }

    Key& ensureKey(const QString& path)
    {
        Key* found = findKey(path);
        return found ? *found : add(path);
    }

    static const Value* findValue(const Key& k, const QString& name)
    {
        for (const Value& v : k.values) {
            if (sameName(v.name, name))
                return &v;
        }
        return nullptr;
    }

    static void setValue(Key& k, const QString& name, const QString& data)
    {
        for (Value& v : k.values) {
            if (sameName(v.name, name)) {
                v.data = data;
                return;
            }
        }
        k.values.append({name, data});
    }

    static bool removeValue(Key& k, const QString& name)
    {
        for (qsizetype i = 0; i < k.values.size(); ++i) {
            if (sameName(k.values.at(i).name, name)) {
                k.values.removeAt(i);
                return true;
            }
        }
        return false;
    }

private:
    Key& add(const QString& path)
    {
        m_keys.append({path, {}});
        return m_keys.last();
    }

    QString m_path;
    QList<Key> m_keys;
};

// Serialises the read-modify-write of one file between processes (the console and a sibling
// program it starts may write at the same time).
class RegistryFileLock
{
public:
    explicit RegistryFileLock(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).path());
        m_fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~RegistryFileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RegistryFileLock(const RegistryFileLock&) = delete;
    RegistryFileLock& operator=(const RegistryFileLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace

QString normalizedRegistryKey(const QString& key)
{
    return key.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

IniRegistry::IniRegistry(const QString& prefixRoot) : m_prefixRoot(prefixRoot) {}

QString IniRegistry::filePath(RegRoot root) const
{
    return m_prefixRoot + (root == RegRoot::CurrentUser ? QStringLiteral("/user.reg.ini")
                                                        : QStringLiteral("/system.reg.ini"));
}

bool IniRegistry::openKey(RegRoot root, const QString& key, bool create)
{
    const QString path = normalizedRegistryKey(key);
    Store store(filePath(root));
    store.load();
    if (store.keyExists(path))
        return true;
    if (!create)
        return false;
    RegistryFileLock lock(filePath(root));
    store.load();
    if (store.keyExists(path))
        return true;
    store.ensureKey(path);
    return store.save();
}

std::optional<QString> IniRegistry::read(RegRoot root, const QString& key,
                                         const QString& name) const
{
    Store store(filePath(root));
    store.load();
    const Key* k = store.findKey(normalizedRegistryKey(key));
    if (!k)
        return std::nullopt;
    const Value* v = Store::findValue(*k, name);
    if (!v)
        return std::nullopt;
    return v->data;
}

bool IniRegistry::write(RegRoot root, const QString& key, const QString& name, const QString& data)
{
    RegistryFileLock lock(filePath(root));
    Store store(filePath(root));
    store.load();
    Store::setValue(store.ensureKey(normalizedRegistryKey(key)), name, data);
    return store.save();
}

bool IniRegistry::remove(RegRoot root, const QString& key, const QString& name)
{
    RegistryFileLock lock(filePath(root));
    Store store(filePath(root));
    store.load();
    Key* k = store.findKey(normalizedRegistryKey(key));
    if (!k || !Store::removeValue(*k, name))
        return false;
    return store.save();
}

bool IniRegistry::exists(RegRoot root, const QString& key, const QString& name) const
{
    return read(root, key, name).has_value();
}

} // namespace navlor
