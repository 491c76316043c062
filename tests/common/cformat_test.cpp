#include "common/cformat.h"
#include "common/numtext.h"
#include <clocale>
#include <gtest/gtest.h>

// The point must survive a process locale whose decimal mark is a comma, as
// Qt sets one from the environment at start-up.
TEST(CFormat, AlwaysWritesPoint)
{
    const char *previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    bool russian = std::setlocale(LC_ALL, "ru_RU.UTF-8") != nullptr;
    if (russian) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", 1.5);
        EXPECT_STREQ(buf, "1,5"); // the locale is really in force
    }
    EXPECT_EQ(CFormat("%5.0f  %.2f", 12.0, 3.456), "   12  3.46");
    EXPECT_EQ(CFormat("%20.10lf", -1.0 / 3), "       -0.3333333333");
    EXPECT_EQ(CFormat("%d", 7), "7");
    EXPECT_EQ(QCFormat("%5.0f - %.1f", 1.4, 2.25), QStringLiteral("    1 - 2.2"));
    std::string longText = CFormat("%300.1f", 1.0);
    EXPECT_EQ(longText.size(), 300u);
    EXPECT_EQ(longText.substr(297), "1.0");
    std::setlocale(LC_ALL, saved.c_str());
    if (!russian)
        GTEST_SKIP() << "ru_RU.UTF-8 locale not generated; checked under the C locale only";
}

// Number text ignores the C locale as well.
TEST(CFormat, NumberTextIgnoresLocale)
{
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8"))
        GTEST_SKIP() << "ru_RU.UTF-8 locale not generated";
    numtext::SetDecimalSeparator('.');
    EXPECT_DOUBLE_EQ(numtext::StrToFloat("2.5"), 2.5);
    EXPECT_EQ(numtext::FloatToStr(2.5), QStringLiteral("2.5"));
    std::setlocale(LC_ALL, "C");
}
