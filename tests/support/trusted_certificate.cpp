#include "tests/support/trusted_certificate.h"

#include <sched.h>
#include <sys/mount.h>

#include <cstdlib>
#include <string>

#include "tests/support/created_program.h"

namespace kelvane::test {

bool trust_certificate_of(int port) {
    constexpr const char* kAuthorities = "/etc/ssl/certs/ca-certificates.crt";
    static TempDir folder;  // the mount keeps the file for as long as the namespace lives
    const auto bundle = folder / ("authorities-" + std::to_string(port) + ".crt");
    // The system's authorities, and the certificate that the server shows, whatever it is.
    const std::string join = std::string("{ cat ") + kAuthorities + "; openssl s_client -connect 127.0.0.1:" +
                             std::to_string(port) + " </dev/null 2>/dev/null | openssl x509; } >" + bundle.string();
    return std::system(join.c_str()) == 0 && unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(bundle.c_str(), kAuthorities, nullptr, MS_BIND, nullptr) == 0;
}

}  // namespace kelvane::test
