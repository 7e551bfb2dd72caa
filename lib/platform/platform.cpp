#include "lib/platform/platform.h"

#include "lib/platform/clock.h"

namespace navlor {

namespace {

std::unique_ptr<Platform>& current()
{
    static std::unique_ptr<Platform> instance;
    return instance;
}

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
