#include "lib/windows_path.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace navlor {
namespace {

struct PathOneCase
{
    const char* path;
    const char* expected;
};

struct PathTwoCase
{
    const char* directory;
    const char* name;
    const char* expected;
};

void expectEach(QString (*function)(const QString&), std::initializer_list<PathOneCase> cases)
{
    for (const PathOneCase& c : cases)
        EXPECT_EQ(function(QString::fromUtf8(c.path)), QString::fromUtf8(c.expected)) << c.path;
}

void expectEach(QString (*function)(const QString&, const QString&),
                std::initializer_list<PathTwoCase> cases)
{
    for (const PathTwoCase& c : cases)
        EXPECT_EQ(function(QString::fromUtf8(c.directory), QString::fromUtf8(c.name)),
                  QString::fromUtf8(c.expected))
            << c.directory << " + " << c.name;
}

TEST(WindowsPath, Joiners)
{
    expectEach(joinWindowsPath, {{"", "A.DB", "A.DB"},
                                 {"C:\\", "A.DB", "C:\\A.DB"},
                                 {"C:\\X", "\\A.DB", "C:\\X\\A.DB"},
                                 {"C:\\X\\", "\\A.DB", "C:\\X\\A.DB"},
                                 {"C:", "A.DB", "C:\\A.DB"},
                                 {"\\\\server\\share", "A.DB", "\\\\server\\share\\A.DB"},
                                 {"C:\\X", "..", "C:\\X\\.."}});
    // No separator is taken away, and none is left out for an empty directory.
    expectEach(appendWindowsPath, {{"", "A.DB", "\\A.DB"},
                                   {"C:\\", "A.DB", "C:\\A.DB"},
                                   {"C:\\X", "\\A.DB", "C:\\X\\\\A.DB"},
                                   {"C:\\X\\", "", "C:\\X\\"},
                                   {"C:\\X", "", "C:\\X\\"},
                                   {"C:", "A.DB", "C:\\A.DB"},
                                   {"\\\\server\\share", "*", "\\\\server\\share\\*"}});
}

TEST(WindowsPath, DirectoryAndNameParts)
{
    // The drive's ":" ends a directory part, and the two parts make up the path.
    expectEach(windowsDirectoryPart, {{"", ""},
                                      {"A.DB", ""},
                                      {"C:", "C:"},
                                      {"C:A.DB", "C:"},
                                      {"C:\\", "C:\\"},
                                      {"C:\\X\\A.DB", "C:\\X\\"},
                                      {"C:\\X\\", "C:\\X\\"},
                                      {"C:\\X\\..", "C:\\X\\"},
                                      {"\\\\server\\share", "\\\\server\\"}});
    expectEach(windowsFileName, {{"", ""},
                                 {"A.DB", "A.DB"},
                                 {"C:", ""},
                                 {"C:A.DB", "A.DB"},
                                 {"C:\\X\\", ""},
                                 {"C:\\X\\.", "."},
                                 {"\\\\server\\share", "share"}});
    // Only a "\" ends it here.
    expectEach(upToLastBackslash, {{"", ""},
                                   {"C:", ""},
                                   {"C:A.DB", ""},
                                   {"C:\\", "C:\\"},
                                   {"C:\\X\\A.DB", "C:\\X\\"},
                                   {"C:\\X\\", "C:\\X\\"},
                                   {"..\\A.DB", "..\\"},
                                   {"\\\\server\\share", "\\\\server\\"}});
}

TEST(WindowsPath, DoubledBackslashesAreReducedPairByPair)
{
    expectEach(singleBackslashes, {{"", ""},
                                   {"C:\\X", "C:\\X"},
                                   {"C:\\\\X\\\\", "C:\\X\\"},
                                   {"C:\\\\\\X", "C:\\\\X"},
                                   {"C:\\\\\\\\X", "C:\\\\X"},
                                   {"\\\\server\\share", "\\server\\share"}});
}

TEST(WindowsPath, Drives)
{
    struct DriveCase
    {
        const char* path;
        const char* drive;
        const char* rest;
    };
    for (const DriveCase& c :
         std::initializer_list<DriveCase>{{"", "", ""},
                                          {"C:", "C:", ""},
                                          {"c:\\X", "c:", "\\X"},
                                          {"C:..", "C:", ".."},
                                          {"1:\\X", "", "1:\\X"},
                                          {"\xC3\x87:\\X", "", "\xC3\x87:\\X"},
                                          {"\\\\server\\share", "", "\\\\server\\share"}}) {
        const WindowsDriveSplit split = splitWindowsDrive(QString::fromUtf8(c.path));
        EXPECT_EQ(split.drive, QString::fromUtf8(c.drive)) << c.path;
        EXPECT_EQ(split.rest, QString::fromUtf8(c.rest)) << c.path;
    }
    expectEach(windowsDriveRoot, {{"", ""},
                                  {"C:", "C:\\"},
                                  {"c:\\x", "C:\\"},
                                  {"C:\\", "C:\\"},
                                  {"..", ""},
                                  {"\\\\server\\share", ""}});
}

TEST(WindowsPath, DotsResolvedAsWindowsReadsThem)
{
    expectEach(resolveWindowsDots, {{"", ""},
                                    {"C:", "C:\\"},
                                    {"C:\\", "C:\\"},
                                    {"c:\\A\\.\\B\\..\\C\\", "C:\\A\\C"},
                                    {"C:\\..\\..", "C:\\"},
                                    {"C:\\A\\..\\..\\B", "C:\\B"},
                                    {"C:..\\A", "C:\\A"},
                                    {"C:/A//./B/", "C:\\A\\B"},
                                    {"C:\\A\\...", "C:\\A\\..."},
                                    {".", "."},
                                    {"A/..\\B", "A\\..\\B"},
                                    {"\\\\server\\share\\..", "\\\\server\\share\\.."}});
}

} // namespace
} // namespace navlor
