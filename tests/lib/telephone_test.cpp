#include "lib/telephone.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(Telephone, NumberMadeDialable)
{
    EXPECT_EQ(dialableNumber(" 0800.701.2345 "), "08007012345");
    EXPECT_EQ(dialableNumber("(011)3333-4444 ramal 21"), "(011)33334444");
    // the pause goes back at the comma's place in the text as given
    EXPECT_EQ(dialableNumber("0800701,21"), "0800701,21");
    EXPECT_EQ(dialableNumber("0800-701.2345,21"), "0800701234521,");
    EXPECT_EQ(dialableNumber("0800,7.2.1"), "0800,721");
    EXPECT_EQ(dialableNumber("0800-7,2"), "080072,"); // past the cleaned end: appended
    EXPECT_EQ(dialableNumber("0,11,2.2"), "0,1122");
    EXPECT_EQ(dialableNumber(",123"), ",123");
    EXPECT_EQ(dialableNumber(""), "");
}

class CallRecorder : public test::ForwardingPlatform
{
public:
    QStringList calls;
    bool placeCall(const QString& number, const QString& party, const QString& application,
                   const QString& comment) override
    {
        calls << number << party << application << comment;
        return false; // the answer is not examined
    }
};

TEST(Telephone, CallPlacedWithPartyApplicationAndComment)
{
    test::TempPrefix prefix;
    test::ScopedPlatform<CallRecorder> recorder;
    DISCA_TELEFONE("0800.701.2345", QString::fromUtf8("VALDORO Informática"), "NAVLOR");
    EXPECT_EQ(recorder->calls, (QStringList{"08007012345", QString::fromUtf8("VALDORO Informática"),
                                            "NAVLOR", "Teste"}));
}

} // namespace
} // namespace navlor
