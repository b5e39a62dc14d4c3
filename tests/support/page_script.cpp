#include "tests/support/page_script.h"

#include <webkit2/webkit2.h>

#include <memory>

#include "tests/support/pump.h"

namespace kelvane::test {

std::optional<std::string> run_script(Gtk::Widget& web_view, const std::string& script) {
    struct Answer {
        bool done = false;
        std::optional<std::string> text;
    };
    // Shared with the callback, which may come after this function gave up waiting; the
    // callback owns its copy.
    auto keep = std::make_shared<Answer>();
    auto* shared = new std::shared_ptr<Answer>(keep);
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(web_view.gobj()), script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<Answer>> owner(static_cast<std::shared_ptr<Answer>*>(data));
            Answer& answer = **owner;
            answer.done = true;
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr)) {
                if (char* text = jsc_value_to_string(value)) {
                    answer.text = text;
                    g_free(text);
                }
                g_object_unref(value);
            }
        },
        shared);
    pump_until([&] { return keep->done; }, std::chrono::seconds(20));
    return keep->text;
}

std::string page_text(Gtk::Widget& web_view) {
    return run_script(web_view, "document.body ? document.body.innerText : ''").value_or("");
}

std::string page_title(Gtk::Widget& web_view) {
    const char* title = webkit_web_view_get_title(WEBKIT_WEB_VIEW(web_view.gobj()));
    return title ? title : "";
}

}  // namespace kelvane::test
