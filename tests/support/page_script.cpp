#include "tests/support/page_script.h"

#include <webkit2/webkit2.h>

#include <memory>

#include "tests/support/pump.h"

namespace kelvane::test {

std::optional<std::string> run_script(Gtk::Widget& web_view, const std::string& script) {
    // Done, and the text if any; shared with the callback, which may come after this
    // function gave up waiting, and owns its copy.
    using Answer = std::optional<std::optional<std::string>>;
    auto* shared = new std::shared_ptr<Answer>(std::make_shared<Answer>());
    const auto keep = *shared;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(web_view.gobj()), script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<Answer>> owner(static_cast<std::shared_ptr<Answer>*>(data));
            JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
            char* text = value ? jsc_value_to_string(value) : nullptr;
            **owner = text ? std::optional<std::string>(text) : std::nullopt;
            g_free(text);
            g_clear_object(&value);
        },
        shared);
    pump_until([&] { return keep->has_value(); }, std::chrono::seconds(20));
    return keep->value_or(std::nullopt);
}

std::string page_text(Gtk::Widget& web_view) {
    return run_script(web_view, "document.body ? document.body.innerText : ''").value_or("");
}

std::string page_title(Gtk::Widget& web_view) {
    const char* title = webkit_web_view_get_title(WEBKIT_WEB_VIEW(web_view.gobj()));
    return title ? title : "";
}

}  // namespace kelvane::test
