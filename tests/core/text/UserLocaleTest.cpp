// The number texts run in the locale the environment names, as in the
// program (Qt sets the C library's locale from the user's at start-up).
// CTest runs these tests once as they come and once more with LC_ALL set to
// a decimal-comma locale: none of the texts may change.

#include "core/text/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class TUserLocale : public ::testing::Environment {
public:
    void SetUp() override { std::setlocale(LC_ALL, ""); }
};

const ::testing::Environment* const userLocale = ::testing::AddGlobalTestEnvironment(new TUserLocale);

// The run under the decimal-comma locale proves nothing unless the C
// library really took it (scripts/deps.sh makes it on a fresh machine).
TEST(UserLocale, DecimalCommaRunHasItsLocale) {
    const char* asked = std::getenv("LC_ALL");
    if (!asked || std::strncmp(asked, "de_DE", 5) != 0) GTEST_SKIP() << "run without a decimal-comma locale";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",") << asked << " is not installed";
}

struct CLocaleCase {
    double Value;
    std::chars_format Format;
    int Precision;
    const char* Text;
};

TEST(CLocaleText, WritesAPointWhateverTheLocale) {
    const CLocaleCase cases[] = {
        {5.0, std::chars_format::fixed, 1, "5.0"},
        {2.25, std::chars_format::fixed, 1, "2.2"},
        {0.25, std::chars_format::scientific, 7, "2.5000000e-01"},
        {1e-20, std::chars_format::general, 6, "1e-20"},
        {0.000125, std::chars_format::general, 6, "0.000125"},
        {1234567.0, std::chars_format::general, 6, "1.23457e+06"},
    };
    for (const CLocaleCase& c : cases)
        EXPECT_EQ(ivra::CLocaleText(c.Value, c.Format, c.Precision), c.Text) << c.Text;
}

} // namespace
