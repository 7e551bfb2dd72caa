// The directory cache navlor-arj preloads into arj, loaded here from the same image and asked
// what arj asks of a directory.

#include "compat/arj/host_arj.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>

namespace navlor::arj {
namespace {

class DirectoryCache : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const int fd = directoryCache();
        ASSERT_GE(fd, 0) << "no directory cache on this host";
        const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
        // Local: the cache answers only the calls made through it here.
        m_library = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << ::dlerror();
        m_opendir = reinterpret_cast<DIR* (*)(const char*)>(::dlsym(m_library, "opendir"));
        m_readdir = reinterpret_cast<dirent* (*)(DIR*)>(::dlsym(m_library, "readdir"));
        m_readdir64 = reinterpret_cast<dirent64* (*)(DIR*)>(::dlsym(m_library, "readdir64"));
        m_rewinddir = reinterpret_cast<void (*)(DIR*)>(::dlsym(m_library, "rewinddir"));
        m_closedir = reinterpret_cast<int (*)(DIR*)>(::dlsym(m_library, "closedir"));
        ASSERT_TRUE(m_opendir && m_readdir && m_readdir64 && m_rewinddir && m_closedir);
    }

    void TearDown() override
    {
        if (m_library)
            ::dlclose(m_library);
    }

    // The names as the cache gives them, in its order; "!" when the directory does not open.
    std::vector<std::string> names(const QString& directory)
    {
        DIR* d = m_opendir(QFile::encodeName(directory).constData());
        if (!d)
            return {"!"};
        std::vector<std::string> found;
        while (const dirent* e = m_readdir(d))
            found.emplace_back(e->d_name);
        m_closedir(d);
        return found;
    }

    // The same through the C library itself.
    static std::vector<std::string> realNames(const QString& directory)
    {
        DIR* d = ::opendir(QFile::encodeName(directory).constData());
        std::vector<std::string> found;
        while (const dirent* e = ::readdir(d))
            found.emplace_back(e->d_name);
        ::closedir(d);
        return found;
    }

    QString makeDirectory(const QString& name, int files)
    {
        const QString path = scratch.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        for (int i = 0; i < files; ++i)
            touch(path + QStringLiteral("/F%1.DB").arg(i));
        return path;
    }

    static void touch(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir scratch;
    void* m_library = nullptr;
    DIR* (*m_opendir)(const char*) = nullptr;
    dirent* (*m_readdir)(DIR*) = nullptr;
    dirent64* (*m_readdir64)(DIR*) = nullptr;
    void (*m_rewinddir)(DIR*) = nullptr;
    int (*m_closedir)(DIR*) = nullptr;
};

TEST_F(DirectoryCache, GivesTheDirectoryInItsOwnOrderAndServesLaterOpensFromTheFirstRead)
{
    const QString dir = makeDirectory("DADOS", 300);
    const std::vector<std::string> first = names(dir);
    EXPECT_EQ(first, realNames(dir));
    EXPECT_EQ(first.size(), 302u); // with "." and ".."

    // arj asks again for every name of its list: the first read answers.
    touch(dir + "/NOVO.DB");
    EXPECT_EQ(names(dir), first);

    // Four directories later the first one is read anew.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(names(makeDirectory(QStringLiteral("OUTRO%1").arg(i), 3)).size(), 5u);
    const std::vector<std::string> again = names(dir);
    EXPECT_EQ(again.size(), 303u);
    EXPECT_NE(std::find(again.begin(), again.end(), "NOVO.DB"), again.end());
}

TEST_F(DirectoryCache, StreamsStayRealDirectoryStreams)
{
    const QString dir = makeDirectory("DADOS", 20);
    const std::vector<std::string> listed = names(dir);

    DIR* d = m_opendir(QFile::encodeName(dir).constData());
    ASSERT_NE(d, nullptr);
    EXPECT_GE(::dirfd(d), 0);
    // Both entry points of one stream, then again from the start.
    const dirent* one = m_readdir(d);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(std::string(one->d_name), listed.at(0));
    const dirent64* two = m_readdir64(d);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(std::string(two->d_name), listed.at(1));
    m_rewinddir(d);
    std::vector<std::string> afresh;
    while (const dirent64* e = m_readdir64(d))
        afresh.emplace_back(e->d_name);
    EXPECT_EQ(afresh, listed);
    EXPECT_EQ(m_closedir(d), 0);

    // Two streams of one directory at once keep their own places.
    DIR* a = m_opendir(QFile::encodeName(dir).constData());
    DIR* b = m_opendir(QFile::encodeName(dir).constData());
    ASSERT_TRUE(a && b);
    m_readdir(a);
    EXPECT_EQ(std::string(m_readdir(b)->d_name), listed.at(0));
    EXPECT_EQ(std::string(m_readdir(a)->d_name), listed.at(1));
    m_closedir(a);
    m_closedir(b);

    EXPECT_EQ(names(scratch.filePath("NADA")), std::vector<std::string>{"!"});
}

} // namespace
} // namespace navlor::arj
