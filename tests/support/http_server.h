// A small web server on 127.0.0.1 for tests and benchmarks: serves fixed pages and
// records every request it gets, with the time it came.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvane::test {

class HttpServer {
public:
    struct Request {
        std::string path;
        std::chrono::steady_clock::time_point time;
        std::string headers;  // as sent, one "Name: value" a line
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;

    // `headers`: more response header lines, each ending in "\r\n".
    void serve(const std::string& path, const std::string& body, const std::string& type = "text/html",
               const std::string& headers = "");
    std::vector<Request> requests() const;
    int count(const std::string& path) const;
    // Waits until the path was asked for at least `times` times.
    bool wait_for(const std::string& path, int times = 1, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    void clear();

private:
    void accept_loop();
    void handle(int client);

    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    struct Page {
        std::string type, body, headers;
    };
    std::map<std::string, Page> pages_;
    std::vector<Request> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace kelvane::test
