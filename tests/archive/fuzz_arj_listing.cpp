// Fuzz target for the ARJ listing reader: the listing is written by whatever archiver is
// installed as ARJ.EXE, so any bytes at all must read without harm; what is read must be
// well-formed entry names, and those names written into a listing must read back the same.
// The same bytes, and every name read, are also judged as stored names by the archiver
// stand-in: no name it accepts may lead out of the directory it is extracted into.
//
// Built with clang's libFuzzer when it is available; otherwise NAVLOR_FUZZ_DRIVER gives it a
// main that feeds a fixed set of samples and then pseudo-random listings.

#include "compat/arj/stored_names.h"
#include "lib/ansi_text.h"
#include "lib/arj_listing.h"
#include "lib/platform/host_prefix.h"

#include <QByteArray>
#include <QDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "ARJ listing reader: %s\n", what);
        std::abort();
    }
}

// The name split on both separators the simple way, and judged component by component.
bool climbsOrRoots(const QString& stored)
{
    if (stored.startsWith(u'/') || stored.startsWith(u'\\') || stored.contains(u':'))
        return true;
    QString components = stored;
    components.replace(u'\\', u'/');
    for (QString component : components.split(u'/')) {
        component.remove(u' ');
        if (component.size() >= 2 && component.count(u'.') == component.size())
            return true;
    }
    return false;
}

void judgeStoredName(const QString& stored)
{
    const std::optional<QStringList> components = navlor::arj::safeStoredPath(stored);
    if (!components)
        return;
    check(!climbsOrRoots(stored), "a climbing or rooted name accepted");
    check(!components->isEmpty(), "nothing left of an accepted name");
    for (const QString& component : *components) {
        check(!component.isEmpty() && component != u'.', "empty or \".\" component");
        check(!component.contains(u'/') && !component.contains(u'\\') && !component.contains(u':'),
              "separator or drive inside a component");
    }
    // Where Windows and this host put it: below the target, never the target itself.
    const QString windows = navlor::absoluteWindowsPath(
        QStringLiteral("C:\\T\\") + components->join(u'\\'), QStringLiteral("C:\\"));
    check(windows.startsWith(QStringLiteral("C:\\T\\")), "leaves the target on Windows");
    QString host = stored;
    host.replace(u'\\', u'/');
    check(QDir::cleanPath(QStringLiteral("/t/") + host).startsWith(QStringLiteral("/t/")),
          "leaves the target on the host");
}

void readAndCheck(const QByteArray& bytes)
{
    judgeStoredName(QString::fromUtf8(bytes));
    judgeStoredName(QString::fromLatin1(bytes));
    using namespace navlor;
    const QStringList lines = arjListingLines(bytes);
    const ArjListing listing = readArjListing(bytes);
    check(listing.banner == lines.value(0), "banner is not the first line");
    check(listing.versionOk == arjVersionOk(listing.banner), "version check differs");
    check(listing.entries.size() <= std::max<qsizetype>(0, lines.size() - kFirstArjEntryLine),
          "more entries than lines from the tenth on");
    for (const QString& line : lines)
        check(!line.contains(u'\r') && !line.contains(u'\n'), "line end inside a line");

    // Names as a batch line gets them: not empty, no blanks or control characters at the
    // ends, upper case, and within the code page.
    const QStringList names = listing.names();
    for (const QString& name : names) {
        judgeStoredName(name);
        check(!name.isEmpty(), "empty entry");
        check(name.front().unicode() > 0x20 && name.back().unicode() > 0x20, "untrimmed entry");
        check(fromAnsi(toAnsi(name)) == name, "entry outside the code page");
        for (const QChar c : name) {
            const QChar upper = c.toUpper();
            check(upper == c || toAnsi(QString(upper)) == "?", "lower-case letter left");
        }
    }

    // The entries written as a listing of their own read back unchanged.
    QByteArray again("ARJ 3.10\r\n");
    for (int i = 1; i < kFirstArjEntryLine; ++i)
        again += "header\r\n";
    int number = 0;
    for (const QString& name : names) {
        again += QByteArray::number(++number).rightJustified(3, '0') + ") " + toAnsi(name) +
                 "\r\n 11 WIN32 100 90 0.900 26-06-01 21:59:58\r\n";
    }
    const ArjListing reread = readArjListing(again);
    check(reread.names() == names, "entries read back differently");
    const QDateTime written(QDate(2026, 6, 1), QTime(21, 59, 58));
    for (const ArjEntry& entry : reread.entries)
        check(entry.size == 100 && entry.modified == written, "details read back differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    readAndCheck(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}

#ifdef NAVLOR_FUZZ_DRIVER
#include "tests/support/fuzz_driver.h"

int main(int argc, char** argv)
{
    const char interesting[] = {'\r',   '\n',   ')',    '0',    '1', '9',  ' ', 'a',
                                'A',    '\t',   '\0',   '.',    '/', '\\', ':', '\x81',
                                '\xb5', '\x83', '\xff', '\xdf', '.', '.',  '/', '\\'};
    const navlor::test::FuzzDriverShape shape{
        {interesting, sizeof interesting}, 300, 4000, "listings"};
    return navlor::test::runFuzzDriver(argc, argv,
                                       {
                                           "",
                                           "\r\n",
                                           "ARJ 3",
                                           "ARJ 3\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n001) A\r\n",
                                           "\n\n\n\n\n\n\n\n\n1234)\xb5\x83\xdf\xff\r",
                                           "\n\n\n\n\n\n\n\n\n000)\x01\x02 \x1f",
                                           "\r\r\r\r\r\r\r\r\r99999) x\r",
                                           "A\\..\\..\\X.DB",
                                           "../..\\X.DB",
                                           "\\X.DB",
                                           "C:\\X.DB",
                                           "SUB\\..\\..\\NAV_LOR",
                                           ". .\\X",
                                           "\n\n\n\n\n\n\n\n\n001) A\\..\\..\\X.DB\r\n",
                                       },
                                       shape, [](const QByteArray& bytes) { readAndCheck(bytes); });
}
#endif
