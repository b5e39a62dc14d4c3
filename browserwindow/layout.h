// Where the five controls of the browser window stand: each of the twenty position
// settings "custom1" to "custom20" sets one edge of one control, in this order.
#pragma once

#include <array>
#include <string_view>

#include "platform/placement.h"

namespace kelvane {

// The five controls that the layout places.
enum class Control { Text1, Command1, Command2, Command3, WebBrowser1 };

struct LayoutField {
    std::string_view key;  // "custom"n, fed by the maker's position field Text n
    int field;             // n
    Control control;
    Edge edge;
    float design;          // the design value, in twips
};

inline constexpr std::array<LayoutField, 20> kLayoutFields{{
    {"custom4", 4, Control::Text1, Edge::Width, 3735},
    {"custom1", 1, Control::Text1, Edge::Height, 375},
    {"custom2", 2, Control::Text1, Edge::Top, 120},
    {"custom3", 3, Control::Text1, Edge::Left, 120},
    {"custom5", 5, Control::Command1, Edge::Width, 1695},
    {"custom6", 6, Control::Command1, Edge::Height, 375},
    {"custom7", 7, Control::Command1, Edge::Top, 120},
    {"custom8", 8, Control::Command1, Edge::Left, 3840},
    {"custom9", 9, Control::Command2, Edge::Width, 1695},
    {"custom10", 10, Control::Command2, Edge::Height, 375},
    {"custom11", 11, Control::Command2, Edge::Top, 120},
    {"custom12", 12, Control::Command2, Edge::Left, 5520},
    {"custom13", 13, Control::Command3, Edge::Width, 1455},
    {"custom14", 14, Control::Command3, Edge::Height, 375},
    {"custom15", 15, Control::Command3, Edge::Top, 120},
    {"custom16", 16, Control::Command3, Edge::Left, 7200},
    {"custom17", 17, Control::WebBrowser1, Edge::Width, 8535},
    {"custom18", 18, Control::WebBrowser1, Edge::Height, 4455},
    {"custom19", 19, Control::WebBrowser1, Edge::Top, 600},
    {"custom20", 20, Control::WebBrowser1, Edge::Left, 120},
}};

// A control's place in the design.
constexpr TwipsRect design_rect(Control control) {
    TwipsRect rect;
    for (const LayoutField& f : kLayoutFields) {
        if (f.control != control) continue;
        switch (f.edge) {
        case Edge::Left: rect.left = f.design; break;
        case Edge::Top: rect.top = f.design; break;
        case Edge::Width: rect.width = f.design; break;
        case Edge::Height: rect.height = f.design; break;
        }
    }
    return rect;
}

}  // namespace kelvane
