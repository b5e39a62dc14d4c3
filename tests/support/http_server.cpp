#include "tests/support/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <glib.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <stdexcept>

namespace kelvane::test {

// A key and a certificate for 127.0.0.1 that signs itself, made afresh for each server.
struct HttpServer::Tls {
    Tls() {
        gnutls_x509_privkey_t key = nullptr;
        gnutls_x509_crt_t certificate = nullptr;
        const unsigned char serial[] = {1};
        const unsigned char loopback[] = {127, 0, 0, 1};
        const std::time_t now = std::time(nullptr);
        const bool made =
            gnutls_x509_privkey_init(&key) == 0 &&
            gnutls_x509_privkey_generate(key, GNUTLS_PK_ECDSA, GNUTLS_CURVE_TO_BITS(GNUTLS_ECC_CURVE_SECP256R1), 0) == 0 &&
            gnutls_x509_crt_init(&certificate) == 0 && gnutls_x509_crt_set_version(certificate, 3) == 0 &&
            gnutls_x509_crt_set_serial(certificate, serial, sizeof serial) == 0 &&
            gnutls_x509_crt_set_activation_time(certificate, now - 3600) == 0 &&
            gnutls_x509_crt_set_expiration_time(certificate, now + 86400) == 0 &&
            gnutls_x509_crt_set_dn(certificate, "CN=127.0.0.1", nullptr) == 0 &&
            gnutls_x509_crt_set_subject_alt_name(certificate, GNUTLS_SAN_IPADDRESS, loopback, sizeof loopback,
                                                 GNUTLS_FSAN_SET) == 0 &&
            gnutls_x509_crt_set_key(certificate, key) == 0 &&
            gnutls_x509_crt_sign2(certificate, certificate, key, GNUTLS_DIG_SHA256, 0) == 0 &&
            gnutls_certificate_allocate_credentials(&credentials) == 0 &&
            gnutls_certificate_set_x509_key(credentials, &certificate, 1, key) == 0;
        if (certificate) gnutls_x509_crt_deinit(certificate);
        if (key) gnutls_x509_privkey_deinit(key);
        if (!made) {
            if (credentials) gnutls_certificate_free_credentials(credentials);
            throw std::runtime_error("cannot make a certificate");
        }
    }
    ~Tls() { gnutls_certificate_free_credentials(credentials); }

    gnutls_certificate_credentials_t credentials = nullptr;
};

namespace {

// One client's connection, plain or through TLS.
class Connection {
public:
    Connection(int socket, gnutls_certificate_credentials_t credentials) : socket_(socket) {
        if (!credentials) return;
        if (gnutls_init(&session_, GNUTLS_SERVER) != 0) {
            ready_ = false;
            return;
        }
        gnutls_set_default_priority(session_);
        gnutls_credentials_set(session_, GNUTLS_CRD_CERTIFICATE, credentials);
        gnutls_transport_set_int(session_, socket);
        gnutls_handshake_set_timeout(session_, 5000);
        int result;
        do result = gnutls_handshake(session_);
        while (result < 0 && !gnutls_error_is_fatal(result) && result != GNUTLS_E_AGAIN);
        ready_ = result == 0;  // a client that does not trust the certificate ends here
    }
    ~Connection() {
        if (session_) {
            if (ready_) gnutls_bye(session_, GNUTLS_SHUT_WR);
            gnutls_deinit(session_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ready() const { return ready_; }
    ssize_t read(char* buffer, std::size_t size) {
        return session_ ? gnutls_record_recv(session_, buffer, size) : ::read(socket_, buffer, size);
    }
    ssize_t write(const char* data, std::size_t size) {
        return session_ ? gnutls_record_send(session_, data, size) : send(socket_, data, size, MSG_NOSIGNAL);
    }

private:
    int socket_;
    gnutls_session_t session_ = nullptr;
    bool ready_ = true;
};

// The value of a header of the request, or the empty text.
std::string header(const std::string& request, const std::string& name) {
    std::size_t line = request.find("\r\n");
    while (line != std::string::npos) {
        const std::size_t start = line + 2, end = request.find("\r\n", start);
        const std::string text = request.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const auto colon = text.find(':');
        if (colon == name.size() && std::equal(name.begin(), name.end(), text.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            const auto value = text.find_first_not_of(' ', colon + 1);
            return value == std::string::npos ? "" : text.substr(value);
        }
        line = end;
    }
    return {};
}

}  // namespace

HttpServer::HttpServer(Security security, int port, std::string host) : host_(std::move(host)) {
    if (security == Security::SelfSignedTls) tls_ = std::make_unique<Tls>();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host_.c_str(), &address.sin_addr) != 1 || (ntohl(address.sin_addr.s_addr) >> 24) != 127)
        throw std::runtime_error(host_ + " is not a loopback address");
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof address;
    const int reuse = 1;
    if (listener_ >= 0 && port != 0) setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(wake_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot listen on " + host_);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept_loop(); });
}

int unused_port() {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (probe >= 0) close(probe);
    if (!bound) throw std::runtime_error("no free port on 127.0.0.1");
    return ntohs(address.sin_port);
}

HttpServer::~HttpServer() {
    (void)!write(wake_[1], "x", 1);
    acceptor_.join();
    for (auto& worker : workers_) worker.join();
    close(listener_);
    close(wake_[0]);
    close(wake_[1]);
}

std::string HttpServer::url(const std::string& path) const {
    return (tls_ ? "https://" : "http://") + host_ + ":" + std::to_string(port_) + path;
}

void HttpServer::serve(const std::string& path, const std::string& body, const std::string& type,
                       const std::string& headers) {
    std::lock_guard lock(mutex_);
    pages_[path] = {type, body, headers};
}

void HttpServer::require_login(const std::string& path, const std::string& user, const std::string& password,
                               const std::string& realm) {
    const std::string pair = user + ":" + password;
    char* encoded = g_base64_encode(reinterpret_cast<const guchar*>(pair.data()), pair.size());
    std::lock_guard lock(mutex_);
    logins_[path] = {user, std::string("Basic ") + encoded, realm};
    g_free(encoded);
}

std::vector<HttpServer::Request> HttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int HttpServer::count(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(requests_.begin(), requests_.end(), [&](auto& r) { return r.path == path; }));
}

bool HttpServer::wait_for(const std::string& path, int times, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return std::count_if(requests_.begin(), requests_.end(), [&](auto& r) { return r.path == path; }) >= times;
    });
}

void HttpServer::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void HttpServer::accept_loop() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) workers_.emplace_back([this, client] { handle(client); });
    }
}

void HttpServer::handle(int client) {
    timeval timeout{2, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    {
        Connection connection(client, tls_ ? tls_->credentials : nullptr);
        std::string request;
        char buffer[4096];
        while (connection.ready() && request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            ssize_t n = connection.read(buffer, sizeof buffer);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const std::string response = respond(request);
        changed_.notify_all();
        std::size_t sent = 0;
        while (sent < response.size()) {
            ssize_t n = connection.write(response.data() + sent, response.size() - sent);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
    }
    close(client);
}

std::string HttpServer::respond(const std::string& request) {
    const auto first_space = request.find(' ');
    const auto second_space = request.find(' ', first_space + 1);
    if (first_space == std::string::npos || second_space == std::string::npos) return {};
    std::string path = request.substr(first_space + 1, second_space - first_space - 1);
    std::lock_guard lock(mutex_);
    const auto line_end = request.find("\r\n"), head_end = request.find("\r\n\r\n");
    Request& recorded = requests_.emplace_back(Request{
        path, std::chrono::steady_clock::now(),
        line_end < head_end ? request.substr(line_end + 2, head_end - line_end) : "", {}});
    if (auto login = logins_.find(path); login != logins_.end()) {
        if (header(request, "Authorization") != login->second.authorization) {
            const std::string body = "<html><head><title>Login refused</title></head><body>Login refused</body></html>";
            return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"" + login->second.realm +
                   "\"\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                   "\r\nConnection: close\r\n\r\n" + body;
        }
        recorded.user = login->second.user;
    }
    auto page = pages_.find(path);
    if (page == pages_.end()) return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    const Page& p = page->second;
    return "HTTP/1.1 200 OK\r\nContent-Type: " + p.type + "\r\nCache-Control: no-store\r\n" + p.headers +
           "Content-Length: " + std::to_string(p.body.size()) + "\r\nConnection: close\r\n\r\n" + p.body;
}

}  // namespace kelvane::test
