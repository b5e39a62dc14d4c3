#include "tests/support/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace kelvane::test {

HttpServer::HttpServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(wake_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept_loop(); });
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
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpServer::serve(const std::string& path, const std::string& body, const std::string& type,
                       const std::string& headers) {
    std::lock_guard lock(mutex_);
    pages_[path] = {type, body, headers};
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
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        ssize_t n = read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const auto first_space = request.find(' ');
    const auto second_space = request.find(' ', first_space + 1);
    if (first_space != std::string::npos && second_space != std::string::npos) {
        std::string path = request.substr(first_space + 1, second_space - first_space - 1);
        std::string response;
        {
            std::lock_guard lock(mutex_);
            const auto line_end = request.find("\r\n"), head_end = request.find("\r\n\r\n");
            requests_.push_back({path, std::chrono::steady_clock::now(),
                                 line_end < head_end ? request.substr(line_end + 2, head_end - line_end) : ""});
            auto page = pages_.find(path);
            if (page == pages_.end()) {
                response = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            } else {
                const Page& p = page->second;
                response = "HTTP/1.1 200 OK\r\nContent-Type: " + p.type + "\r\nCache-Control: no-store\r\n" +
                           p.headers + "Content-Length: " + std::to_string(p.body.size()) +
                           "\r\nConnection: close\r\n\r\n" + p.body;
            }
        }
        changed_.notify_all();
        std::size_t sent = 0;
        while (sent < response.size()) {
            ssize_t n = send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
    }
    close(client);
}

}  // namespace kelvane::test
