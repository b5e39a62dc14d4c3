#include "common/conversions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using namespace std::string_literals;

Value text(const char* s) { return std::string(s); }

TEST(ParseNumber, AcceptsDecimalNumbersWithBlanksSignsAndExponents) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12", 12},  {" 12 ", 12}, {"\t12", 12}, {"12\t", 12}, {"+3", 3},      {"-4.5", -4.5},
        {".5", 0.5}, {"5.", 5},    {"1e3", 1000}, {"1E-2", 0.01}, {"2e+2", 200}, {"-0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto number = parse_number(c.text);
        ASSERT_TRUE(number.has_value());
        EXPECT_DOUBLE_EQ(*number, c.value);
    }
}

TEST(ParseNumber, RefusesEverythingElse) {
    for (const char* t : {"", " ", "\t", "abc", "12abc", "1 2", "--1", "+-1", "-", ".", "1e", "1e+", "e5", "1.2.3",
                          "inf", "nan", "0x10", "1,5", "1e999"}) {
        SCOPED_TRACE(t);
        EXPECT_FALSE(parse_number(t).has_value());
    }
}

TEST(ToCode, RoundsHalfToEvenWithinSixteenBits) {
    const struct {
        const char* text;
        std::int16_t code;
    } cases[] = {
        {"2.5", 2},       {"3.5", 4},         {"-2.5", -2},        {"0.5", 0},         {"1.6", 2},
        {"-32768", -32768}, {"32767.4", 32767}, {"-32768.4", -32768}, {"1e2", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(to_code(text(c.text)), c.code);
    }
    for (const char* t : {"32767.6", "32768", "40000", "-32768.6", "-40000", "", "abc"}) {
        SCOPED_TRACE(t);
        EXPECT_FALSE(to_code(text(t)).has_value());
    }
}

TEST(ToColour, CoversTheSigned32BitRange) {
    EXPECT_EQ(to_colour(text("16777215")), 16777215);
    EXPECT_EQ(to_colour(text("2147483647")), 2147483647);
    EXPECT_EQ(to_colour(text("-2147483648")), INT32_MIN);
    EXPECT_EQ(to_colour(text("255.5")), 256);
    EXPECT_FALSE(to_colour(text("2147483648")).has_value());
    EXPECT_FALSE(to_colour(text("-2147483649")).has_value());
    EXPECT_EQ(to_colour(std::int16_t{-1}), -1);
}

TEST(ToNumber, StaysWithinSinglePrecision) {
    EXPECT_EQ(to_number(text("4642.5")), 4642.5f);
    EXPECT_EQ(to_number(text("-120")), -120.0f);
    EXPECT_EQ(to_number(std::int16_t{-32768}), -32768.0f);
    EXPECT_TRUE(to_number(text("3e38")).has_value());
    EXPECT_FALSE(to_number(text("1e39")).has_value());
    EXPECT_FALSE(to_number(text("-1e39")).has_value());
    EXPECT_FALSE(to_number(text("twelve")).has_value());
}

TEST(MissingValue, ConvertsToZeroOrEmptyTextButNoPicture) {
    const Value missing;
    EXPECT_EQ(to_colour(missing), 0);
    EXPECT_EQ(to_number(missing), 0.0f);
    EXPECT_EQ(to_code(missing), 0);
    EXPECT_EQ(to_text(missing), ""s);
    EXPECT_FALSE(to_picture(missing).has_value());
}

TEST(ValueKinds, ConvertOnlyWhereTheyMakeSense) {
    EXPECT_EQ(to_text(std::int16_t{-123}), "-123"s);
    EXPECT_EQ(to_text(std::int16_t{32767}), "32767"s);
    EXPECT_EQ(to_text(text(" kept as is ")), " kept as is "s);
    EXPECT_EQ(to_code(std::int16_t{-7}), -7);

    const Picture picture{{0x89, 'P', 'N', 'G', 0}};
    EXPECT_EQ(to_picture(picture), picture);
    EXPECT_FALSE(to_picture(text("image.png")).has_value());
    EXPECT_FALSE(to_number(picture).has_value());
    EXPECT_FALSE(to_text(picture).has_value());
    EXPECT_FALSE(to_colour(picture).has_value());
    EXPECT_FALSE(to_code(picture).has_value());
}

// A locale whose decimal separator is the comma, compiled for the test from the system's
// locale sources, so it does not depend on which locales the machine has generated.
class LocaleSeparator : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string command = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << "localedef and the locale sources are installed";
        setenv("LOCPATH", locales.path().c_str(), 1);
    }
    void TearDown() override {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
    test::TempDir locales;
};

TEST_F(LocaleSeparator, CommaLocaleAcceptsItsSeparatorAndThePoint) {
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    EXPECT_EQ(parse_number("1,5"), 1.5);
    EXPECT_EQ(parse_number("1.5"), 1.5);
    EXPECT_EQ(to_number(text("4642,5")), 4642.5f);
    EXPECT_FALSE(parse_number("1,5,0").has_value());
    EXPECT_FALSE(parse_number("1.5,0").has_value());
}

}  // namespace
}  // namespace kelvane
