#include "lib/platform/wildcard.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace navlor {
namespace {

struct Case
{
    const char* mask;
    const char* name;
    bool match;
};

TEST(Wildcard, FollowsTheWindowsRules)
{
    const Case cases[] = {
        // every name, with or without a dot
        {"*.*", "PDOXUSRS.NET", true},
        {"*.*", "NODOT", true},
        {"*.*", ".hidden", true},
        {"*", "a.b.c", true},
        // NAME.* also finds NAME
        {"NAVLOR.*", "NAVLOR", true},
        {"NAVLOR.*", "navlor.exe", true},
        {"NAVLOR.*", "NAVLORX", false},
        // case-insensitive globs
        {"_QSQ*.DB*", "_qsq1.db", true},
        {"_QSQ*.DB*", "_QSQ1.DBF", true},
        {"_QSQ*.DB*", "_QSQ1.TXT", false},
        {"P*.LCK", "pdoxusrs.lck", true},
        {"P*.LCK", "p.x.lck", true},
        {"P*.LCK", "xp.lck", false},
        {"*.LCK", "a.lck.bak", false},
        {"*.DB", "A.DB.DB", true},
        // a "*" before a dot does not swallow the last dot
        {"*.", "NOEXT", true},
        {"*.", "A.TXT", false},
        // "?" is one character, or none before a dot or the end
        {"A?.TXT", "AB.TXT", true},
        {"A?.TXT", "A.TXT", true},
        {"A?.TXT", "ABC.TXT", false},
        {"??", "A", true},
        {"A?C", "A.C", false},
        // literal names
        {"PDOXUSRS.NET", "pdoxusrs.net", true},
        {"PDOXUSRS.NET", "pdoxusrs.ne", false},
        {"ção.txt", "ÇÃO.TXT", true},
        {"", "A", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesWildcard(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)), c.match)
            << c.mask << " vs " << c.name;
    }
}

TEST(Wildcard, DetectsWildcards)
{
    EXPECT_TRUE(hasWildcards("C:\\*.LCK"));
    EXPECT_TRUE(hasWildcards("A?.TXT"));
    EXPECT_FALSE(hasWildcards("C:\\PDOXUSRS.NET"));
}

TEST(Wildcard, OrdersNamesWithoutRegardToCaseButStably)
{
    QStringList names{"b.txt", "A.TXT", "a.txt", "_x", "C", ".dot", "a"};
    std::sort(names.begin(), names.end(), windowsNameLess);
    // "_" (0x5F) sorts after the letters once they are upper-cased.
    EXPECT_EQ(names, (QStringList{".dot", "a", "A.TXT", "a.txt", "b.txt", "C", "_x"}));
}

TEST(Wildcard, OneMaskForManyNames)
{
    const WildcardMask lock("*.LCK");
    EXPECT_TRUE(lock.matches("pdoxusrs.lck"));
    EXPECT_TRUE(lock.matches(".lck"));
    EXPECT_TRUE(lock.matches("a.b.Lck"));
    EXPECT_FALSE(lock.matches("LCK"));
    EXPECT_FALSE(lock.matches("a.lck.bak"));
    EXPECT_FALSE(lock.matches("a.lcx"));
    EXPECT_FALSE(lock.matches(""));
    EXPECT_TRUE(WildcardMask(QString::fromUtf8("*ção")).matches(QString::fromUtf8("AÇÃO")));
    EXPECT_TRUE(WildcardMask("*.*").matchesEverything());
    EXPECT_FALSE(lock.matchesEverything());
    // a name too long for the table on the stack
    const QString name = QString(3000, u'x') + ".db";
    EXPECT_TRUE(WildcardMask("x*x?x*.D?").matches(name));
    EXPECT_FALSE(WildcardMask("x*y?x*.D?").matches(name));
}

TEST(Wildcard, OrderIsThatOfTheUpperCasedNames)
{
    // whatever the characters, the order is that of the names upper-cased, then ordinal
    const QStringList names{"a", "A", "_", "ß", "SS", "ss", "ção", "ÇÃO", "cao", "Z~",  "z{", "é",
                            "É", "é", "",  "ÿ", "Ÿ",  "µ",  "Μ",   "a b", "ab",  "a.b", "İ",  "i"};
    for (const QString& a : names) {
        for (const QString& b : names) {
            const int upper = a.toUpper().compare(b.toUpper());
            const bool expected = upper != 0 ? upper < 0 : a < b;
            EXPECT_EQ(windowsNameLess(a, b), expected)
                << a.toStdString() << " < " << b.toStdString();
        }
    }
}

} // namespace
} // namespace navlor
