#pragma once

#include "lib/platform/clock.h"
#include "lib/platform/posix_platform.h"

#include <memory>

namespace navlor::test {

// The hosted-Windows backend of a test prefix, with the program's own path and the Windows
// directory set by the test: a test binary lives on Z:, but the console looks for its system
// directory on the drive it was started from.
class FixedPathsPlatform : public PosixPlatform
{
public:
    using PosixPlatform::PosixPlatform;

    QString programPath() override
    {
        return programPathValue.isEmpty() ? PosixPlatform::programPath() : programPathValue;
    }
    QString windowsDirectory() override
    {
        return windowsDirectoryValue.isEmpty() ? PosixPlatform::windowsDirectory()
                                               : windowsDirectoryValue;
    }

    QString programPathValue;
    QString windowsDirectoryValue;
};

// Installs a FixedPathsPlatform over the prefix at `root` for the lifetime of the object.
class ScopedFixedPaths
{
public:
    explicit ScopedFixedPaths(const QString& root)
    {
        auto backend = std::make_unique<FixedPathsPlatform>(root);
        backend->setClock(std::make_unique<FakeClock>());
        m_platform = backend.get();
        m_previous = setPlatform(std::move(backend));
    }
    ~ScopedFixedPaths() { setPlatform(std::move(m_previous)); }
    FixedPathsPlatform* operator->() { return m_platform; }

private:
    FixedPathsPlatform* m_platform;
    std::unique_ptr<Platform> m_previous;
};

} // namespace navlor::test
