#include "tests/support/trusted_certificate.h"

#include <gio/gio.h>
#include <sched.h>
#include <sys/mount.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/support/created_program.h"

namespace kelvane::test {
namespace {

constexpr const char* kAuthorities = "/etc/ssl/certs/ca-certificates.crt";

// The certificate the server shows, as PEM; empty when none came.
std::string certificate_of(int port) {
    std::unique_ptr<GSocketClient, decltype(&g_object_unref)> client(g_socket_client_new(), g_object_unref);
    g_socket_client_set_tls(client.get(), TRUE);
    // Taken whatever it is: it is what is to be trusted.
    g_signal_connect(client.get(), "event", G_CALLBACK(+[](GSocketClient*, GSocketClientEvent event, GSocketConnectable*,
                                                          GIOStream* connection, gpointer) {
                         if (event == G_SOCKET_CLIENT_TLS_HANDSHAKING)
                             g_signal_connect(connection, "accept-certificate", G_CALLBACK(+[] { return TRUE; }), nullptr);
                     }),
                     nullptr);
    GSocketConnection* connection = g_socket_client_connect_to_host(client.get(), "127.0.0.1", port, nullptr, nullptr);
    if (!connection) return {};
    std::string pem;
    GIOStream* tls = g_tcp_wrapper_connection_get_base_io_stream(G_TCP_WRAPPER_CONNECTION(connection));
    if (GTlsCertificate* certificate = g_tls_connection_get_peer_certificate(G_TLS_CONNECTION(tls))) {
        gchar* text = nullptr;
        g_object_get(certificate, "certificate-pem", &text, nullptr);
        pem = text ? text : "";
        g_free(text);
    }
    g_object_unref(connection);
    return pem;
}

}  // namespace

bool trust_certificate_of(int port) {
    const std::string pem = certificate_of(port);
    static TempDir folder;  // the mount keeps the file for as long as the namespace lives
    const auto bundle = folder / ("authorities-" + std::to_string(port) + ".crt");
    std::ofstream(bundle) << read_all(kAuthorities) << pem;
    return !pem.empty() && unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(bundle.c_str(), kAuthorities, nullptr, MS_BIND, nullptr) == 0;
}

}  // namespace kelvane::test
