// Conversions of stored values to what a setting is applied as. Each returns an empty
// optional when the value does not convert; the step that applies it is then skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/settings_record.h"

namespace kelvane {

// A number written as text: blanks around it, an optional sign, decimal digits with
// '.' or the locale's decimal separator, and an optional exponent. Anything else,
// the empty text included, is not a number.
std::optional<double> parse_number(std::string_view text);

std::optional<std::string> to_text(const Value& value);
// Twips as text: a whole number as its digits alone ("1695"), a fraction with its
// decimals ("4642.5"), in the fewest digits that read back as the same number.
std::string number_to_text(float twips);
// A colour number 0x00BBGGRR as a signed 32-bit integer.
std::optional<std::int32_t> to_colour(const Value& value);
// Twips, single precision.
std::optional<float> to_number(const Value& value);
// A window code as a signed 16-bit integer.
std::optional<std::int16_t> to_code(const Value& value);
std::optional<Picture> to_picture(const Value& value);

}  // namespace kelvane
