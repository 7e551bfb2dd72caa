#include "lib/registry_settings.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kLocalKey = QStringLiteral("SOFTWARE\\VALDORO\\LOCAL");
const QString kGlobalsKey = QStringLiteral("Software\\VALDORO\\USER\\GLOBAIS_FB");

// A user without the right to change the machine-wide keys.
class NoMachineKeys : public test::ForwardingPlatform
{
public:
    bool regOpenKey(RegRoot root, const QString& key, bool create) override
    {
        return root != RegRoot::LocalMachine && ForwardingPlatform::regOpenKey(root, key, create);
    }
};

// A program started from a directory chosen by the test.
class ProgramAt : public test::ForwardingPlatform
{
public:
    QString path;
    QString programPath() override { return path; }
};

TEST(Autostart, SetTestRemove)
{
    test::TempPrefix prefix;
    // asking only looks: the autostart directory is made when an entry is written
    const QString autostart = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS")) + "/autostart";
    ASSERT_TRUE(QDir(autostart).removeRecursively());
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));
    EXPECT_FALSE(QFileInfo::exists(autostart));
    EXPECT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    EXPECT_TRUE(AUTOSTART_ATIVO("NAVLOR"));
    EXPECT_TRUE(QFileInfo(autostart).isDir());
    EXPECT_EQ(platform().regReadString(RegRoot::LocalMachine,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                       "NAVLOR"),
              QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE"));
    AUTOSTART_DESLIGA("NAVLOR");
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));
    AUTOSTART_DESLIGA("NAVLOR"); // removing what is not there changes nothing
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));
}

TEST(Autostart, WithoutRightsSettingFailsAndTheRestIsQuiet)
{
    test::TempPrefix prefix;
    EXPECT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\NAVLOR.EXE"));
    test::ScopedPlatform<NoMachineKeys> restricted;
    EXPECT_FALSE(AUTOSTART_LIGA("NAVLOR", "C:\\NAVLOR.EXE"));
    EXPECT_EQ(autostartFailure("NAVLOR"), "Failed to set data for 'NAVLOR'");
    EXPECT_NO_THROW(AUTOSTART_DESLIGA("NAVLOR"));
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));
}

TEST(ProgramValues, RoundTripAndMissingValuesReadEmpty)
{
    test::TempPrefix prefix;
    EXPECT_EQ(LE_PROGRAMA("NEVER", "BKP0"), "");
    EXPECT_TRUE(GRAVA_PROGRAMA("BKPDIR", "BKP0", QString::fromUtf8("C:\\DADOS\\Cópia")));
    EXPECT_TRUE(GRAVA_PROGRAMA("VLDRBKP", "EXT_ORIGEM", "D:\\"));
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP0"), QString::fromUtf8("C:\\DADOS\\Cópia"));
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP1"), "");
    EXPECT_EQ(LE_PROGRAMA("VLDRBKP", "EXT_ORIGEM"), "D:\\");
    EXPECT_EQ(LE_PROGRAMA("VLDRBKP", "BKP0"), "");
}

TEST(Location, TwoStartsFromDifferentDirectoriesLeaveOneValue)
{
    test::TempPrefix prefix;
    test::ScopedPlatform<ProgramAt> program;
    program->path = "C:\\VALDOROW\\NAVLOR.EXE";
    EXPECT_TRUE(REGISTRA_LOCAL());
    program->path = "D:\\OUTRO\\NAVLOR.EXE";
    EXPECT_TRUE(REGISTRA_LOCAL());
    EXPECT_EQ(platform().regReadString(RegRoot::CurrentUser, kLocalKey, "NAVLOR.EXE"),
              QStringLiteral("D:\\OUTRO\\"));
    EXPECT_FALSE(platform().regValueExists(RegRoot::CurrentUser, kLocalKey, "NAVLOR"));
}

TEST(Globals, TheConsoleHandsOnEmptyGlobalsInTheirOrder)
{
    const auto list = globalValueList(GlobalValues{}, "C:\\NETLOG\\NETLOG.EXE", "");
    QStringList names;
    for (const auto& [name, data] : list)
        names << name;
    EXPECT_EQ(names, QStringList({"GB_SISTEMA",    "GB_SISTEMAC",  "GB_SEN_USER",  "GB_SEN_NOMEC",
                                  "GB_SEN_NIVEL",  "GB_SEN_SENHA", "GB_SEN_GERAL", "GB_SEN_GERAL1",
                                  "GB_FILIAL",     "PROGRAMA",     "PARAM",        "GBPARAM",
                                  "GB_DIRDEFAULT", "GB_DIR1",      "GB_DIR2",      "GB_DIR3",
                                  "GB_DIR4",       "GB_DIR5",      "GB_DIRTEMP",   "GBCAMPO"}));

    GlobalValues set;
    set.GB_SEN_SENHA = "  segredo ";
    set.GBCAMPO[0] = "a";
    set.GBCAMPO[9] = "j";
    const auto filled = globalValueList(set, "P", "R");
    EXPECT_EQ(filled[5].second, "segredo");
    EXPECT_EQ(filled.last().second, "a#########j");

    test::TempPrefix prefix;
    ASSERT_TRUE(GRAVA_GLOBAIS("C:\\NETLOG\\NETLOG.EXE", "-x"));
    for (const QString& name : names) {
        const auto value = platform().regReadString(RegRoot::CurrentUser, kGlobalsKey, name);
        ASSERT_TRUE(value.has_value()) << name.toStdString();
        if (name == "PROGRAMA")
            EXPECT_EQ(*value, "C:\\NETLOG\\NETLOG.EXE");
        else if (name == "PARAM")
            EXPECT_EQ(*value, "-x");
        else if (name == "GBCAMPO")
            EXPECT_EQ(*value, "#########");
        else
            EXPECT_EQ(*value, "") << name.toStdString();
    }
}

} // namespace
} // namespace navlor
