#include "browserwindow/configuration.h"

#include <functional>
#include <vector>

#include "common/conversions.h"
#include "platform/caption.h"
#include "platform/colors.h"
#include "platform/picture.h"

namespace kelvane {
namespace {

struct Target {
    BrowserWindow& window;
    Holders* holders;
};

// A step reads its key (if it has one), converts the value and applies it; any of the
// three may fail, which skips the step.
struct Step {
    std::string_view key;
    bool needs_holders;
    std::function<bool(Target&, const Value&)> run;
};

template <typename Convert, typename Apply>
std::function<bool(Target&, const Value&)> converted(Convert convert, Apply apply) {
    return [=](Target& t, const Value& value) {
        auto v = convert(value);
        return v && apply(t, *v);
    };
}

auto text(std::function<bool(Target&, const std::string&)> apply) { return converted(to_text, apply); }
auto colour(std::function<bool(Target&, std::int32_t)> apply) { return converted(to_colour, apply); }
auto number(std::function<bool(Target&, float)> apply) { return converted(to_number, apply); }
auto code(std::function<bool(Target&, std::int16_t)> apply) { return converted(to_code, apply); }
auto picture(std::function<bool(Target&, const Picture&)> apply) { return converted(to_picture, apply); }

// Steps that read a control an earlier step filled, not a key.
Step control_step(std::function<bool(Target&)> apply, bool needs_holders = false) {
    return {{}, needs_holders, [=](Target& t, const Value&) { return apply(t); }};
}

auto back_color_of(Control control) {
    return colour([=](Target& t, std::int32_t c) { return set_back_color(t.window.control(control), c); });
}

const std::vector<Step>& sequence() {
    static const std::vector<Step> steps = [] {
        std::vector<Step> s = {
            {"Text", false, text([](Target& t, const std::string& v) { set_caption(t.window.Command1, v); return true; })},
            {"back", false, text([](Target& t, const std::string& v) { set_caption(t.window.Command2, v); return true; })},
            {"refresh", false, text([](Target& t, const std::string& v) { set_caption(t.window.Command3, v); return true; })},
            {"picture", false, picture([](Target& t, const Picture& p) { t.window.set_icon(decode_picture(p)); return true; })},
            {"Text1", false, text([](Target& t, const std::string& v) { t.window.Text1.set_text(v); return true; })},
            {"Caption", false, text([](Target& t, const std::string& v) { t.window.set_title(v); return true; })},
            {"color", false, back_color_of(Control::Command1)},
            {"color", false, back_color_of(Control::Command2)},
            {"color", false, back_color_of(Control::Command3)},
            {"color", false, colour([](Target& t, std::int32_t c) { return t.window.set_back_color(c); })},
            {"color", false, back_color_of(Control::Text1)},
            control_step([](Target& t) { t.window.WebBrowser1.Navigate(t.window.Text1.get_text()); return true; }),
            {"picture1", false, picture([](Target& t, const Picture& p) { t.window.Image1 = decode_picture(p); return true; })},
            {"value", false, code([](Target& t, std::int16_t v) { t.window.Check1 = v; return true; })},
            control_step([](Target& t) { t.window.set_picture(t.window.Image1); return true; }),
            {"url", false, text([](Target& t, const std::string& v) { t.window.WindowsMediaPlayer1.set_URL(v); return true; })},
        };
        for (const LayoutField& field : kLayoutFields)
            s.push_back({field.key, false, number([field](Target& t, float twips) {
                             return t.window.client().set(t.window.control(field.control), field.edge, twips);
                         })});
        const std::vector<Step> window_steps = {
            {"custom21", false, number([](Target& t, float v) { return t.window.set_height(v); })},
            {"custom22", false, number([](Target& t, float v) { return t.window.set_width(v); })},
            {"custom23", false, code([](Target& t, std::int16_t v) { return t.window.set_border_style(v); })},
            {"custom23", true, text([](Target& t, const std::string& v) { t.holders->Text2 = v; return true; })},
            control_step([](Target& t) {
                auto border = to_code(Value(t.holders->Text2.raw()));
                return border && t.window.set_border_style(*border);
            }, true),
            {"Caption", true, text([](Target& t, const std::string& v) { t.holders->Text3 = v; return true; })},
            {"custom24", false, code([](Target& t, std::int16_t v) { return t.window.set_mouse_pointer(v); })},
            {"custom25", false, code([](Target& t, std::int16_t v) { return t.window.set_window_state(v); })},
            {"custom26", true, text([](Target& t, const std::string& v) { t.holders->Text4 = v; return true; })},
            control_step([](Target& t) {
                // The song switch wins: the player and the status bar share the bottom strip.
                // The flag is compared byte for byte: ustring's == would let "Ｔｒｕｅ" pass.
                if (t.window.Check1 == 1)
                    t.window.WindowsMediaPlayer1.show();
                else if (t.holders && t.holders->Text4.raw() == "True")
                    t.window.StatusBar1.show();
                return true;
            }),
        };
        s.insert(s.end(), window_steps.begin(), window_steps.end());
        return s;
    }();
    return steps;
}

}  // namespace

void configure(BrowserWindow& window, const ValueSource& source, Holders* holders) {
    Target target{window, holders};
    for (const Step& step : sequence()) {
        if (step.needs_holders && !holders) continue;
        try {
            step.run(target, step.key.empty() ? Value() : source.read(step.key));
        } catch (const std::exception&) {
            // A step that throws fails like any other: the next one still runs.
        } catch (const Glib::Exception&) {
        }
    }
}

}  // namespace kelvane
