#include "common/conversions.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>

namespace kelvane {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// Integers round a fraction to the nearest whole number, a half to the even one.
template <typename Int>
std::optional<Int> to_integer(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return Int{0};
    if (auto* i = std::get_if<std::int16_t>(&value)) return static_cast<Int>(*i);
    auto* s = std::get_if<std::string>(&value);
    if (!s) return std::nullopt;
    auto number = parse_number(*s);
    if (!number) return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) return std::nullopt;
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
    text = trim_blanks(text);
    const char* locale_point = std::localeconv()->decimal_point;
    const char local_separator = locale_point && locale_point[0] && !locale_point[1] ? locale_point[0] : '.';

    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') normal += '-';
        ++i;
    }
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            digits = true;
            normal += c;
        } else if ((c == '.' || c == local_separator) && !point) {
            point = true;
            normal += '.';
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
        if (i == text.size() || !is_digit(text[i])) return std::nullopt;
        while (i < text.size() && is_digit(text[i])) normal += text[i++];
    }
    if (i != text.size()) return std::nullopt;

    double result = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), result);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(result)) return std::nullopt;
    return result;
}

std::optional<std::string> to_text(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return std::string();
    if (auto* s = std::get_if<std::string>(&value)) return *s;
    if (auto* i = std::get_if<std::int16_t>(&value)) return std::to_string(*i);
    return std::nullopt;
}

std::string number_to_text(float twips) {
    // Fixed notation, shortest that reads back: 100000 stays "100000", not "1e+05".
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, twips, std::chars_format::fixed);
    if (ec != std::errc()) return {};
    return std::string(text, end);
}

std::optional<std::int32_t> to_colour(const Value& value) { return to_integer<std::int32_t>(value); }

std::optional<std::int16_t> to_code(const Value& value) { return to_integer<std::int16_t>(value); }

std::optional<float> to_number(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0.0f;
    if (auto* i = std::get_if<std::int16_t>(&value)) return static_cast<float>(*i);
    auto* s = std::get_if<std::string>(&value);
    if (!s) return std::nullopt;
    auto number = parse_number(*s);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(*number);
}

std::optional<Picture> to_picture(const Value& value) {
    if (auto* p = std::get_if<Picture>(&value)) return *p;
    return std::nullopt;
}

}  // namespace kelvane
