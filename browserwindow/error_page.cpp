#include "browserwindow/error_page.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kelvane {
namespace {

struct FailureText {
    PageFailure failure;
    const char* headline;
    const char* explanation;
};

constexpr FailureText kTexts[] = {
    {PageFailure::NotFound, "Address not found",
     "No computer on the network answers to the name in this address. Check it for a typing mistake."},
    {PageFailure::Refused, "Connection refused",
     "The computer at this address refused the connection. The site may be down, or it does not take visitors "
     "on this port."},
    {PageFailure::Unreachable, "Site not reachable",
     "The computer at this address could not be reached. Check the network connection, then press Refresh."},
    {PageFailure::Certificate, "Site not trusted",
     "The site could not prove that it is the site it claims to be, so the page was not opened: someone may be "
     "posing as it. Nothing was sent to it."},
    {PageFailure::SecureConnection, "Secure connection failed",
     "A secure connection to the site could not be made, so the page was not opened. The site may not offer "
     "secure (https) pages at this address. Nothing was sent to it."},
    {PageFailure::PortNotAllowed, "Port not allowed",
     "Browsers do not connect to the port in this address: it belongs to other kinds of servers, such as mail or "
     "remote login, which a web page could misuse. Nothing was sent to it."},
    {PageFailure::Unsupported, "Address not supported",
     "This browser cannot show addresses of this kind, and no other program on this computer opens them."},
    {PageFailure::Crashed, "Page stopped working",
     "The page stopped working and had to be closed. Press Refresh to load it again."},
    {PageFailure::Other, "Page could not be opened", "The page could not be opened."},
};

const FailureText& text_of(PageFailure failure) {
    for (const auto& text : kTexts)
        if (text.failure == failure) return text;
    return kTexts[std::size(kTexts) - 1];
}

std::string escape_html(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

PageFailure classify_load_error(const GError* error) {
    if (!error) return PageFailure::Other;
    if (error->domain == G_RESOLVER_ERROR) return PageFailure::NotFound;
    if (error->domain == G_TLS_ERROR)
        return error->code == G_TLS_ERROR_BAD_CERTIFICATE ? PageFailure::Certificate : PageFailure::SecureConnection;
    if (error->domain != G_IO_ERROR) return PageFailure::Other;
    switch (error->code) {
    case G_IO_ERROR_CONNECTION_REFUSED: return PageFailure::Refused;
    case G_IO_ERROR_HOST_UNREACHABLE:
    case G_IO_ERROR_NETWORK_UNREACHABLE:
    case G_IO_ERROR_TIMED_OUT: return PageFailure::Unreachable;
    default: return PageFailure::Other;
    }
}

bool port_not_allowed(const std::string& uri) {
    // The bad ports of the Fetch standard, which every browser refuses.
    static constexpr int kBadPorts[] = {1,    7,    9,    11,   13,   15,   17,   19,   20,   21,   22,   23,   25,
                                        37,   42,   43,   53,   69,   77,   79,   87,   95,   101,  102,  103,  104,
                                        109,  110,  111,  113,  115,  117,  119,  123,  135,  137,  139,  143,  161,
                                        179,  389,  427,  465,  512,  513,  514,  515,  526,  530,  531,  532,  540,
                                        548,  554,  556,  563,  587,  601,  636,  989,  990,  993,  995,  1719, 1720,
                                        1723, 2049, 3659, 4045, 4190, 5060, 5061, 6000, 6566, 6665, 6666, 6667, 6668,
                                        6669, 6679, 6697, 10080};
    GUri* parsed = g_uri_parse(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!parsed) return false;
    const int port = g_uri_get_port(parsed);
    g_uri_unref(parsed);
    return std::find(std::begin(kBadPorts), std::end(kBadPorts), port) != std::end(kBadPorts);
}

std::string failure_headline(PageFailure failure) { return text_of(failure).headline; }

std::string certificate_problems(unsigned flags) {
    static constexpr std::pair<GTlsCertificateFlags, const char*> kProblems[] = {
        {G_TLS_CERTIFICATE_UNKNOWN_CA, "it was not issued by a trusted authority"},
        {G_TLS_CERTIFICATE_BAD_IDENTITY, "it belongs to another site"},
        {G_TLS_CERTIFICATE_NOT_ACTIVATED, "it is not valid yet"},
        {G_TLS_CERTIFICATE_EXPIRED, "it has expired"},
        {G_TLS_CERTIFICATE_REVOKED, "it has been revoked"},
        {G_TLS_CERTIFICATE_INSECURE, "it uses insecure encryption"},
    };
    std::string problems;
    for (auto [flag, words] : kProblems)
        if (flags & flag) problems += (problems.empty() ? "" : "; ") + std::string(words);
    if (problems.empty()) problems = "it could not be checked";
    return "The site's certificate is not valid: " + problems + ".";
}

std::string failure_page_html(PageFailure failure, const std::string& address, const std::string& detail) {
    const FailureText& text = text_of(failure);
    char background[8];
    std::snprintf(background, sizeof background, "#%06X", static_cast<unsigned>(kFailurePageBackground));
    // The policy forbids scripts and every load, the inline style aside.
    return std::string("<!DOCTYPE html><html><head><meta charset='utf-8'>"
                       "<meta http-equiv='Content-Security-Policy' content=\"default-src 'none'; "
                       "style-src 'unsafe-inline'\"><title>") +
           text.headline +
           "</title><style>html{background:" + background +
           ";color:#2e3436;font-family:sans-serif}body{margin:2em 3em}h1{font-size:1.5em;font-weight:normal}"
           "p{line-height:1.5;max-width:40em}.address{font-family:monospace;word-break:break-all}"
           ".detail{color:#555753;font-size:0.9em}</style></head><body><h1>" +
           text.headline + "</h1><p class='address'>" + escape_html(address) + "</p><p>" + text.explanation +
           "</p>" + (detail.empty() ? "" : "<p class='detail'>" + escape_html(detail) + "</p>") + "</body></html>";
}

}  // namespace kelvane
