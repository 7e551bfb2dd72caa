#include "lib/platform/platform.h"

#include "lib/platform/clock.h"

#include <QMutex>
#include <QSet>

namespace navlor {

namespace {

std::unique_ptr<Platform>& current()
{
    static std::unique_ptr<Platform> instance;
    return instance;
}

// The default's locks: the paths held in this process, case folded.
QMutex g_heldMutex;
QSet<QString> g_heldPaths;

class RegisteredLock final : public FileLock
{
public:
    explicit RegisteredLock(QString key) : m_key(std::move(key)) {}
    ~RegisteredLock() override
    {
        const QMutexLocker locker(&g_heldMutex);
        g_heldPaths.remove(m_key);
    }

private:
    QString m_key;
};

} // namespace

Platform::Platform() : m_clock(std::make_unique<SystemClock>()) {}

Platform::~Platform() = default;

Clock& Platform::clock()
{
    return *m_clock;
}

void Platform::setClock(std::unique_ptr<Clock> clock)
{
    // A null clock would leave every wait without a clock to ask.
    m_clock = clock ? std::move(clock) : std::make_unique<SystemClock>();
}

QStringList Platform::logicalDrives()
{
    QStringList drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const QString drive = QString(QChar::fromLatin1(letter)) + u':';
        if (directoryExists(drive + u'\\'))
            drives << drive;
    }
    return drives;
}

QList<DirEntry> Platform::findFileKinds(const QString& pattern)
{
    return findFiles(pattern);
}

int Platform::runBounded(const QString& commandLine, ShowMode showMode, const BoundedRun& run)
{
    return runAndWait(commandLine, showMode, run.currentDirectory);
}

QStringList Platform::searchPath()
{
    const QString windows = windowsDirectory();
    return {windows, windows + QStringLiteral("\\SYSTEM32")};
}

QString Platform::installationHint()
{
    return {};
}

bool Platform::deleteExactFile(const QString& path)
{
    return deleteFile(path);
}

std::optional<ChangeStamp> Platform::changeStamp(const QString& path)
{
    for (const DirEntry& entry : findFiles(path)) {
        if (!entry.directory) {
            const qint64 ns = entry.modified.toMSecsSinceEpoch() * 1000000;
            return ChangeStamp{entry.size, ns, ns};
        }
    }
    return std::nullopt;
}

int Platform::removeInterruptedWrites(const QString& /*directory*/)
{
    return 0;
}

AppendOutcome Platform::appendToFile(const QString& path, const QByteArray& data, qint64 rotateAt,
                                     const QString& rotatedPath)
{
    AppendOutcome done = AppendOutcome::Appended;
    if (isLink(path)) {
        if (!removeLink(path))
            return AppendOutcome::Failed;
        done = AppendOutcome::LinkReplaced;
    }
    QByteArray contents;
    if (fileExists(path)) {
        // Unreadable, the file would be replaced by the new line alone.
        std::optional<QByteArray> old = readFile(path);
        if (!old)
            return AppendOutcome::Failed;
        contents = std::move(*old);
        // Not set aside, the full file still takes the line.
        if (rotateAt > 0 && contents.size() >= rotateAt &&
            (!fileExists(rotatedPath) || deleteFile(rotatedPath)) && moveFile(path, rotatedPath))
            contents.clear();
    } else if (directoryExists(path)) {
        return AppendOutcome::Failed;
    }
    if (!data.isEmpty() && !contents.isEmpty() && !contents.endsWith('\n'))
        contents += "\r\n";
    contents += data;
    return writeFile(path, contents) ? done : AppendOutcome::Failed;
}

std::unique_ptr<FileLock> Platform::tryLockFile(const QString& path)
{
    QString key = path.toCaseFolded();
    const QMutexLocker locker(&g_heldMutex);
    if (g_heldPaths.contains(key))
        return nullptr;
    g_heldPaths.insert(key);
    return std::make_unique<RegisteredLock>(std::move(key));
}

QString Platform::programBinary()
{
    return {};
}

void Platform::replaceProcess(const QString& /*hostProgram*/, const QStringList& /*arguments*/) {}

bool Platform::isLink(const QString& /*path*/)
{
    return false;
}

bool Platform::removeLink(const QString& /*path*/)
{
    return false;
}

Platform& platform()
{
    auto& instance = current();
    if (!instance)
        instance = createHostPlatform();
    return *instance;
}

std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement)
{
    std::unique_ptr<Platform> previous = std::move(current());
    current() = std::move(replacement);
    return previous;
}

} // namespace navlor
