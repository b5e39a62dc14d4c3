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
        {" 12\t", 12},     {"+3", 3},          {"-4.5", -4.5},     {".5", 0.5},        {"5.", 5},
        {"1E-2", 0.01},    {"2e+2", 200},      {"", nullopt},      {" ", nullopt},     {"12abc", nullopt},
        {"1 2", nullopt},  {"+-1", nullopt},   {".", nullopt},     {"1e+", nullopt},   {"1.2.3", nullopt},
        {"inf", nullopt},  {"0x10", nullopt},  {"1,5", nullopt},   {"1e999", nullopt}};
    for (const auto& [text, number] : cases) EXPECT_EQ(parse_number(text), number) << '"' << text << '"';
}

// Each stored value through each conversion; nullopt where the step fails. Whole numbers
// take the nearest, a half the even one; each fails outside its own range.
TEST(Conversions, RoundHalfToEvenAndFailOutsideTheirRange) {
    const std::tuple<Value, std::optional<std::string>, std::optional<std::int32_t>, std::optional<float>,
                     std::optional<std::int16_t>> cases[] = {
        {Value{}, ""s, 0, 0.0f, 0},  // a key the record lacks
        {"2.5"s, "2.5"s, 2, 2.5f, 2},
        {"-3.5"s, "-3.5"s, -4, -3.5f, -4},
        {"1.6"s, "1.6"s, 2, 1.6f, 2},
        {"32767.4"s, "32767.4"s, 32767, 32767.4f, 32767},
        {"-32768.6"s, "-32768.6"s, -32769, -32768.6f, nullopt},
        {"2147483648"s, "2147483648"s, nullopt, 2147483648.0f, nullopt},
        {"-1e39"s, "-1e39"s, nullopt, nullopt, nullopt},
        {" kept as is "s, " kept as is "s, nullopt, nullopt, nullopt},
        {std::int16_t{-32768}, "-32768"s, -32768, -32768.0f, -32768},
        {Picture{{0x89, 'P', 'N', 'G'}}, nullopt, nullopt, nullopt, nullopt},
    };
    for (const auto& [value, text, colour, number, code] : cases) {
        EXPECT_EQ(to_text(value), text);
        EXPECT_EQ(to_colour(value), colour) << testing::PrintToString(text);
        EXPECT_EQ(to_number(value), number) << testing::PrintToString(text);
        EXPECT_EQ(to_code(value), code) << testing::PrintToString(text);
    }
}

// A locale whose decimal separator is the comma, compiled for the test from the system's
// locale sources, so it does not depend on which locales the machine has generated.
TEST(LocaleSeparator, CommaLocaleAcceptsItsSeparatorAndThePoint) {
    test::TempDir locales;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef and the locale sources are installed";
    setenv("LOCPATH", locales.path().c_str(), 1);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    for (const auto& [text, number] : {std::pair<const char*, std::optional<double>>{"1,5", 1.5}, {" 1.5", 1.5},
                                       {"-4642,5", -4642.5}, {"1,5,0", nullopt}, {"1.5,0", nullopt}})
        EXPECT_EQ(parse_number(text), number) << text;
    EXPECT_EQ(to_code("2,5"s), 2);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}

}  // namespace
}  // namespace kelvane
