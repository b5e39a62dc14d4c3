#include "browserwindow/zoom_levels.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <locale>
#include <map>
#include <sstream>

#include "browserwindow/web_context.h"

namespace kelvane {
namespace {

constexpr std::array kSteps{0.3, 0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};

std::filesystem::path levels_file() { return web_data_folder() / "zoom-levels"; }

// A site is its host, in lower case; addresses without one (about:blank) have none.
std::string site_of(const std::string& uri) {
    GUri* parsed = g_uri_parse(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!parsed) return {};
    const char* host = g_uri_get_host(parsed);
    gchar* lower = host && *host ? g_ascii_strdown(host, -1) : nullptr;
    std::string site = lower ? lower : "";
    g_free(lower);
    g_uri_unref(parsed);
    return site;
}

// Read the first time a level is wanted, which is after the first page has been asked for.
// A line that does not read as a site and a level within the steps is left out.
std::map<std::string, double>& levels() {
    static std::map<std::string, double> kept = [] {
        std::map<std::string, double> read;
        std::ifstream in(levels_file());
        in.imbue(std::locale::classic());  // the same file under any language
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            fields.imbue(std::locale::classic());
            std::string site;
            double level = 0;
            if (fields >> site >> level && std::isfinite(level) && level >= kSteps.front() && level <= kSteps.back())
                read[site] = level;
        }
        return read;
    }();
    return kept;
}

void save() {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    for (const auto& [site, level] : levels()) text << site << ' ' << level << '\n';
    // Replaced whole, so a program ended half-way through leaves the old file.
    g_mkdir_with_parents(levels_file().parent_path().c_str(), 0700);
    g_file_set_contents_full(levels_file().c_str(), text.str().c_str(), static_cast<gssize>(text.str().size()),
                             G_FILE_SET_CONTENTS_CONSISTENT, 0600, nullptr);
}

}  // namespace

double zoom_level_for(const std::string& uri) {
    const std::string site = site_of(uri);
    if (site.empty()) return 1;
    const auto found = levels().find(site);
    return found == levels().end() ? 1 : found->second;
}

void keep_zoom_level(const std::string& uri, double level) {
    const std::string site = site_of(uri);
    if (site.empty()) return;
    if (level == 1)
        levels().erase(site);
    else
        levels()[site] = level;
    save();
}

double zoom_in(double level) {
    const auto next = std::upper_bound(kSteps.begin(), kSteps.end(), level + 1e-6);
    return next == kSteps.end() ? kSteps.back() : *next;
}

double zoom_out(double level) {
    const auto next = std::lower_bound(kSteps.begin(), kSteps.end(), level - 1e-6);
    return next == kSteps.begin() ? kSteps.front() : *(next - 1);
}

}  // namespace kelvane
