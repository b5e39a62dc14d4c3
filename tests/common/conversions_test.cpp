#include "common/conversions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using namespace std::string_literals;
using std::nullopt;

TEST(ParseNumber, DecimalNumbersWithBlanksSignsAndExponentsAndNothingElse) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"12", 12},   {" 12 ", 12}, {"\t12", 12}, {"+3", 3},  {"-4.5", -4.5}, {".5", 0.5},   {"5.", 5},
        {"1e3", 1000}, {"1E-2", 0.01}, {"2e+2", 200}, {"-0", 0}, {"", nullopt},  {" ", nullopt}, {"abc", nullopt},
        {"12abc", nullopt}, {"1 2", nullopt}, {"--1", nullopt}, {"+-1", nullopt}, {"-", nullopt}, {".", nullopt},
        {"1e", nullopt}, {"1e+", nullopt}, {"e5", nullopt}, {"1.2.3", nullopt}, {"inf", nullopt}, {"nan", nullopt},
        {"0x10", nullopt}, {"1,5", nullopt}, {"1e999", nullopt}};
    for (const auto& [text, number] : cases) EXPECT_EQ(parse_number(text), number) << '"' << text << '"';
}

// Each stored value through each conversion; nullopt where the step would fail.
struct ConversionCase {
    Value value;
    std::optional<std::string> text;
    std::optional<std::int32_t> colour;
    std::optional<float> number;
    std::optional<std::int16_t> code;
};

TEST(Conversions, RoundHalfToEvenAndFailOutsideTheirRange) {
    const Picture picture{{0x89, 'P', 'N', 'G', 0}};
    const ConversionCase cases[] = {
        {Value{}, ""s, 0, 0.0f, 0},  // a key the record lacks
        {"2.5"s, "2.5"s, 2, 2.5f, 2},
        {"3.5"s, "3.5"s, 4, 3.5f, 4},
        {"-2.5"s, "-2.5"s, -2, -2.5f, -2},
        {"1.6"s, "1.6"s, 2, 1.6f, 2},
        {"255.5"s, "255.5"s, 256, 255.5f, 256},
        {"4642.5"s, "4642.5"s, 4642, 4642.5f, 4642},
        {"32767.4"s, "32767.4"s, 32767, 32767.4f, 32767},
        {"32767.6"s, "32767.6"s, 32768, 32767.6f, nullopt},
        {"-32768.6"s, "-32768.6"s, -32769, -32768.6f, nullopt},
        {"16777215"s, "16777215"s, 16777215, 16777215.0f, nullopt},
        {"2147483647"s, "2147483647"s, 2147483647, 2147483647.0f, nullopt},
        {"-2147483648"s, "-2147483648"s, INT32_MIN, -2147483648.0f, nullopt},
        {"2147483648"s, "2147483648"s, nullopt, 2147483648.0f, nullopt},
        {"3e38"s, "3e38"s, nullopt, 3e38f, nullopt},
        {"-1e39"s, "-1e39"s, nullopt, nullopt, nullopt},
        {" kept as is "s, " kept as is "s, nullopt, nullopt, nullopt},
        {std::int16_t{-32768}, "-32768"s, -32768, -32768.0f, -32768},
        {std::int16_t{32767}, "32767"s, 32767, 32767.0f, 32767},
        {picture, nullopt, nullopt, nullopt, nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(to_text(c.value), c.text);
        EXPECT_EQ(to_colour(c.value), c.colour);
        EXPECT_EQ(to_number(c.value), c.number);
        EXPECT_EQ(to_code(c.value), c.code);
    }
    EXPECT_EQ(to_picture(picture), picture);
    EXPECT_EQ(to_picture("image.png"s), nullopt);
    EXPECT_EQ(to_picture(Value{}), nullopt);
}

// A locale whose decimal separator is the comma, compiled for the test from the system's
// locale sources, so it does not depend on which locales the machine has generated.
TEST(LocaleSeparator, CommaLocaleAcceptsItsSeparatorAndThePoint) {
    test::TempDir locales;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef and the locale sources are installed";
    setenv("LOCPATH", locales.path().c_str(), 1);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    EXPECT_EQ(parse_number("1,5"), 1.5);
    EXPECT_EQ(parse_number("1.5"), 1.5);
    EXPECT_EQ(to_number("4642,5"s), 4642.5f);
    EXPECT_EQ(parse_number("1,5,0"), nullopt);
    EXPECT_EQ(parse_number("1.5,0"), nullopt);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}

}  // namespace
}  // namespace kelvane
