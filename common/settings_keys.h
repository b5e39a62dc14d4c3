// The keys of the settings record, in the order the maker writes them.
#pragma once

#include <array>
#include <string_view>

namespace kelvane {

enum class ValueKind { String, Int16, Picture };

struct SettingsKey {
    std::string_view name;
    ValueKind kind;
};

inline constexpr std::array<SettingsKey, 36> kSettingsKeys{{
    {"Caption", ValueKind::String},   {"Text", ValueKind::String},
    {"Text1", ValueKind::String},     {"color", ValueKind::String},
    {"back", ValueKind::String},      {"refresh", ValueKind::String},
    {"picture", ValueKind::Picture},  {"picture1", ValueKind::Picture},
    {"value", ValueKind::Int16},      {"url", ValueKind::String},
    {"custom1", ValueKind::String},   {"custom2", ValueKind::String},
    {"custom3", ValueKind::String},   {"custom4", ValueKind::String},
    {"custom5", ValueKind::String},   {"custom6", ValueKind::String},
    {"custom7", ValueKind::String},   {"custom8", ValueKind::String},
    {"custom9", ValueKind::String},   {"custom10", ValueKind::String},
    {"custom11", ValueKind::String},  {"custom12", ValueKind::String},
    {"custom13", ValueKind::String},  {"custom14", ValueKind::String},
    {"custom15", ValueKind::String},  {"custom16", ValueKind::String},
    {"custom17", ValueKind::String},  {"custom18", ValueKind::String},
    {"custom19", ValueKind::String},  {"custom20", ValueKind::String},
    {"custom21", ValueKind::String},  {"custom22", ValueKind::String},
    {"custom23", ValueKind::String},  {"custom24", ValueKind::String},
    {"custom25", ValueKind::String},  {"custom26", ValueKind::String},
}};

}  // namespace kelvane
