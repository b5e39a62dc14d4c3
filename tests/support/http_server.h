// A small web server on 127.0.0.1 for tests and benchmarks: serves fixed pages and
// records every request it gets, with the time it came. It can speak HTTPS with a
// certificate it makes and signs itself, which no browser trusts, and ask for a login.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/patience.h"

namespace kelvane::test {

class HttpServer {
public:
    struct Request {
        std::string path;
        std::chrono::steady_clock::time_point time;
        std::string headers;  // as sent, one "Name: value" a line
        std::string user;     // who logged in with the request, if anyone did
    };

    enum class Security { Plain, SelfSignedTls };

    // On a free port, or on the given one (fails the constructor when it is taken), of
    // 127.0.0.1 or another loopback address ("127.0.0.2": a site of its own). The
    // certificate names 127.0.0.1.
    explicit HttpServer(Security security = Security::Plain, int port = 0, std::string host = "127.0.0.1");
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;

    // `headers`: more response header lines, each ending in "\r\n".
    void serve(const std::string& path, const std::string& body, const std::string& type = "text/html",
               const std::string& headers = "");
    // The page at `path` asks for this name and password (HTTP basic authentication).
    void require_login(const std::string& path, const std::string& user, const std::string& password,
                       const std::string& realm);
    std::vector<Request> requests() const;
    int count(const std::string& path) const;
    // Waits until the path was asked for at least `times` times.
    bool wait_for(const std::string& path, int times = 1, std::chrono::milliseconds timeout = kPatience) const;
    void clear();

private:
    struct Tls;
    struct Login {
        std::string user, authorization, realm;
    };

    void accept_loop();
    void handle(int client);
    std::string respond(const std::string& request);

    std::unique_ptr<Tls> tls_;
    int listener_ = -1;
    std::string host_;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    struct Page {
        std::string type, body, headers;
    };
    std::map<std::string, Page> pages_;
    std::map<std::string, Login> logins_;  // path -> who may see it
    std::vector<Request> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A port of 127.0.0.1 that nothing listened on when asked: connections to it are refused.
int unused_port();

}  // namespace kelvane::test
