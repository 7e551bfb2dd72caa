#pragma once

// A platform that passes every call to the one installed before it, so a test can make a few
// calls fail or answer differently and leave the rest to the real backend.

#include "lib/platform/platform.h"

#include <memory>

namespace navlor::test {

// deleteExactFile is left to the base, which goes through deleteFile: a fake sees every
// deletion there.
class ForwardingPlatform : public Platform
{
public:
    bool fileExists(const QString& p) override { return inner().fileExists(p); }
    bool directoryExists(const QString& p) override { return inner().directoryExists(p); }
    bool createDirectory(const QString& p) override { return inner().createDirectory(p); }
    bool removeDirectory(const QString& p) override { return inner().removeDirectory(p); }
    bool deleteFile(const QString& p) override { return inner().deleteFile(p); }
    bool copyFile(const QString& f, const QString& t) override { return inner().copyFile(f, t); }
    bool moveFile(const QString& f, const QString& t) override { return inner().moveFile(f, t); }
    QList<DirEntry> findFiles(const QString& p) override { return inner().findFiles(p); }
    std::optional<QByteArray> readFile(const QString& p) override { return inner().readFile(p); }
    std::optional<ChangeStamp> changeStamp(const QString& p) override
    {
        return inner().changeStamp(p);
    }
    bool writeFile(const QString& p, const QByteArray& d) override
    {
        return inner().writeFile(p, d);
    }
    AppendOutcome appendToFile(const QString& p, const QByteArray& d, qint64 r = 0,
                               const QString& rp = {}) override
    {
        return inner().appendToFile(p, d, r, rp);
    }
    std::unique_ptr<FileLock> tryLockFile(const QString& p) override
    {
        return inner().tryLockFile(p);
    }
    bool isLink(const QString& p) override { return inner().isLink(p); }
    bool removeLink(const QString& p) override { return inner().removeLink(p); }
    QString currentDirectory() override { return inner().currentDirectory(); }
    bool setCurrentDirectory(const QString& p) override { return inner().setCurrentDirectory(p); }
    QString programPath() override { return inner().programPath(); }
    QString toHostPath(const QString& p) override { return inner().toHostPath(p); }
    QString fromHostPath(const QString& p) override { return inner().fromHostPath(p); }
    int runAndWait(const QString& c, ShowMode s, const QString& d = {}) override
    {
        return inner().runAndWait(c, s, d);
    }
    int runBounded(const QString& c, ShowMode s, const BoundedRun& r) override
    {
        return inner().runBounded(c, s, r);
    }
    QString installationHint() override { return inner().installationHint(); }
    QStringList searchPath() override { return inner().searchPath(); }
    int removeInterruptedWrites(const QString& d) override
    {
        return inner().removeInterruptedWrites(d);
    }
    bool startProcess(const QString& c, ShowMode s) override { return inner().startProcess(c, s); }
    int winExec(const QString& c, ShowMode s) override { return inner().winExec(c, s); }
    bool regOpenKey(RegRoot r, const QString& k, bool c) override
    {
        return inner().regOpenKey(r, k, c);
    }
    std::optional<QString> regReadString(RegRoot r, const QString& k, const QString& n) override
    {
        return inner().regReadString(r, k, n);
    }
    bool regWriteString(RegRoot r, const QString& k, const QString& n, const QString& d) override
    {
        return inner().regWriteString(r, k, n, d);
    }
    bool regDeleteValue(RegRoot r, const QString& k, const QString& n) override
    {
        return inner().regDeleteValue(r, k, n);
    }
    bool regValueExists(RegRoot r, const QString& k, const QString& n) override
    {
        return inner().regValueExists(r, k, n);
    }
    VersionRecord versionRecord() override { return inner().versionRecord(); }
    QString windowsDirectory() override { return inner().windowsDirectory(); }
    QString computerName() override { return inner().computerName(); }
    void setNumLockOn() override { inner().setNumLockOn(); }
    bool openUrl(const QString& u) override { return inner().openUrl(u); }
    bool placeCall(const QString& n, const QString& p, const QString& a, const QString& c) override
    {
        return inner().placeCall(n, p, a, c);
    }

    Platform& inner() { return *m_inner; }

private:
    template <typename T> friend class ScopedPlatform;
    std::unique_ptr<Platform> m_inner;
};

// Installs a ForwardingPlatform subclass over the current platform for its lifetime.
template <typename T> class ScopedPlatform
{
public:
    ScopedPlatform() : m_platform(new T)
    {
        m_platform->m_inner = setPlatform(std::unique_ptr<Platform>(m_platform));
    }
    ~ScopedPlatform() { setPlatform(std::move(m_platform->m_inner)); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

    T* operator->() { return m_platform; }
    T& operator*() { return *m_platform; }

private:
    T* m_platform;
};

} // namespace navlor::test
