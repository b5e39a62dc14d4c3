// The pages the web view shows in place of a page that could not be shown: a load that
// failed, a site whose certificate did not verify, a page whose web process ended.
#pragma once

#include <glib.h>

#include <cstdint>
#include <string>

namespace kelvane {

enum class PageFailure {
    NotFound,
    Refused,
    Unreachable,
    Certificate,
    SecureConnection,  // no secure connection could be made, for another reason than the certificate
    PortNotAllowed,    // a port that browsers never connect to
    Unsupported,       // an address of a kind that neither the view nor another program opens
    Crashed,
    Other
};

// What a load error means to the user.
PageFailure classify_load_error(const GError* error);

// Whether browsers refuse to connect to the address's port: one of the ports that other
// kinds of servers (mail, remote login, X) listen on, which a page could misuse.
bool port_not_allowed(const std::string& uri);

// A short line for the status bar: "Connection refused".
std::string failure_headline(PageFailure failure);

// What is wrong with a certificate, in words: "it was not issued by a trusted authority".
std::string certificate_problems(unsigned tls_certificate_flags);

// The whole page: the headline, the address (escaped, as everything taken from outside)
// and what went wrong. No script runs in it and it loads nothing.
std::string failure_page_html(PageFailure failure, const std::string& address, const std::string& detail);

// The background of every failure page (0xRRGGBB), so that one is told from a site at a glance.
inline constexpr std::uint32_t kFailurePageBackground = 0xEEEEEC;

}  // namespace kelvane
