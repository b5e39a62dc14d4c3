// A small web server on 127.0.0.1 for tests and benchmarks: serves fixed pages and
// records every request it gets, with the time it came. It can speak HTTPS with a
// certificate that signs itself, which no browser trusts, and ask for a login. It runs on
// a thread of its own, so a test may wait for it without running its main loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/patience.h"

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _SoupServer SoupServer;
typedef struct _SoupServerMessage SoupServerMessage;

namespace kelvane::test {

class HttpServer {
public:
    struct Request {
        std::string path;  // as sent, with its query
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

    // Answers every method (GET, POST, ...) at `path` with the page.
    // `headers`: more response header lines, each ending in "\r\n".
    void serve(const std::string& path, const std::string& body, const std::string& type = "text/html",
               const std::string& headers = "");
    // Answers `path` with the start of a response, its headers and `body`, and then nothing
    // more: a load or a download that never ends.
    void stall(const std::string& path, const std::string& body = "", const std::string& headers = "");
    // How many clients hung up on a stalled response.
    int abandoned() const;
    // The page at `path` asks for this name and password (HTTP basic authentication).
    void require_login(const std::string& path, const std::string& user, const std::string& password,
                       const std::string& realm);
    std::vector<Request> requests() const;
    int count(const std::string& path) const;
    // Waits until the path was asked for at least `times` times.
    bool wait_for(const std::string& path, int times = 1, std::chrono::milliseconds timeout = kPatience) const;
    void clear();

private:
    struct Page {
        std::string type, body, headers;
        bool stalls = false;
    };

    int count_held(const std::string& path) const;  // with mutex_ held
    std::string listen(int port);  // on the server's thread; the error, if any
    void on_thread(const std::function<void()>& step);  // runs it there, and waits
    void record(SoupServerMessage* message);
    void answer(SoupServerMessage* message);
    bool login_matches(SoupServerMessage* message, const char* user, const char* password);

    bool tls_;
    std::string host_;
    int port_ = 0;
    std::unique_ptr<GMainContext, void (*)(GMainContext*)> context_;
    std::unique_ptr<GMainLoop, void (*)(GMainLoop*)> loop_;
    SoupServer* server_ = nullptr;  // used on the server's thread only
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::string, Page> pages_;
    std::map<std::string, std::pair<std::string, std::string>> logins_;  // path -> the user and password who may see it
    std::vector<Request> requests_;
    int abandoned_ = 0;
    std::thread thread_;
};

// A port of 127.0.0.1 that nothing listened on when asked: connections to it are refused.
int unused_port();

}  // namespace kelvane::test
