#include "maker/compiler/menu_entry.h"

#include <glib.h>

#include <memory>

#include "maker/artwork.h"
#include "platform/desktop_id.h"
#include "platform/picture.h"
#include "platform/user_folders.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Larger pictures are scaled down to this for the menu.
constexpr int kLargestIcon = 256;

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }

// A value as an entry carries it: backslashes, line breaks and tabs escaped, and spaces
// at either end kept from being trimmed away. None for text that is not UTF-8 or holds
// other control characters.
std::optional<std::string> escaped(const std::string& text) {
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case ' ': out += (i == 0 || i + 1 == text.size()) ? "\\s" : " "; break;
        default:
            if (is_control(static_cast<unsigned char>(c))) return std::nullopt;
            out += c;
        }
    }
    return out;
}

// The Exec line that starts the program: its path quoted, since folders and file names
// may hold spaces and the characters that the line reserves, with '%' doubled so that
// it is no field code. GLib looks for the line's first word as it stands, '%%' and
// all, and drops an entry whose program it cannot find; so a path with '%' is handed
// to the shell as an argument, which it starts as it stands, whatever else it holds.
std::string exec_line(const std::string& path) {
    std::string out = path.find('%') == std::string::npos ? "\"" : "sh -c \"exec \\\"\\$0\\\"\" \"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

// The menu shows the program's caption; one line, and the file name when it is blank.
std::string menu_name(const SettingsRecord& record, const std::string& file_name) {
    const auto* caption = std::get_if<std::string>(&record.ReadProperty("Caption"));
    std::string name = caption ? *caption : std::string();
    for (char& c : name)
        if (is_control(static_cast<unsigned char>(c))) c = ' ';
    const bool blank = name.find_first_not_of(' ') == std::string::npos;
    if (blank || !g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr)) return file_name;
    return name;
}

// Writes `bytes` to `path` whole, or leaves `path` as it was. Empty, or what went wrong.
std::string write_whole(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return path.parent_path().string() + ": " + ec.message();
    GError* error = nullptr;
    if (g_file_set_contents_full(path.c_str(), bytes.data(), static_cast<gssize>(bytes.size()),
                                 G_FILE_SET_CONTENTS_CONSISTENT, 0644, &error))
        return {};
    std::string what = error->message;
    g_error_free(error);
    return what;
}

std::optional<std::string> png_bytes(const Glib::RefPtr<Gdk::Pixbuf>& image) {
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* error = nullptr;
    if (!gdk_pixbuf_save_to_buffer(image->gobj(), &buffer, &size, "png", &error, nullptr)) {
        g_clear_error(&error);
        return std::nullopt;
    }
    std::unique_ptr<gchar, decltype(&g_free)> owned(buffer, g_free);
    return std::string(buffer, size);
}

// The chosen picture no larger than a menu needs, or our own browser icon when none was
// chosen or it does not decode; as PNG bytes.
std::optional<std::string> icon_png(const SettingsRecord& record) {
    Glib::RefPtr<Gdk::Pixbuf> icon;
    if (const auto* chosen = std::get_if<Picture>(&record.ReadProperty("picture"))) icon = decode_picture(*chosen);
    if (!icon) {
        // Drawn and encoded once: it is the same for every program.
        static const std::optional<std::string> ours = png_bytes(browser_icon());
        return ours;
    }
    const int largest = std::max(icon->get_width(), icon->get_height());
    if (largest > kLargestIcon)
        icon = icon->scale_simple(std::max(1, icon->get_width() * kLargestIcon / largest),
                                  std::max(1, icon->get_height() * kLargestIcon / largest), Gdk::INTERP_BILINEAR);
    return png_bytes(icon);
}

}  // namespace

std::optional<std::string> menu_entry_text(const MenuEntry& entry) {
    const auto name = escaped(entry.name);
    const auto exec = escaped(exec_line(entry.program.string()));
    const auto program = escaped(entry.program.string());
    const auto icon = escaped(entry.icon.string());
    const auto window_class = escaped(entry.window_class);
    if (!name || !exec || !program || !icon || !window_class) return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.4\n"
           "Name=" + *name + "\n"
           "Comment=A web browser made with Kelvane\n"
           "Exec=" + *exec + "\n"
           "TryExec=" + *program + "\n"
           "Icon=" + *icon + "\n"
           "Terminal=false\n"
           "Categories=Network;WebBrowser;\n"
           "StartupNotify=true\n"
           "StartupWMClass=" + *window_class + "\n";
}

fs::path menu_entry_path(const std::string& file_name) {
    return applications_folder() / (desktop_id(file_name) + ".desktop");
}

std::string install_menu_entry(const SettingsRecord& record, const fs::path& program) {
    if (!program.is_absolute()) return program.string() + ": the menu needs the program's whole path";
    const std::string file_name = program.filename().string();
    const fs::path icon = program_data_folder(file_name) / "icon.png";
    const auto text = menu_entry_text({menu_name(record, file_name), program, icon, desktop_id(file_name)});
    if (!text) return program.string() + ": a menu entry cannot name this path";
    const auto png = icon_png(record);
    if (!png) return icon.string() + ": the icon could not be made";
    if (std::string error = write_whole(icon, *png); !error.empty()) return error;
    return write_whole(menu_entry_path(file_name), *text);
}

}  // namespace kelvane
