// A server on 127.0.0.1 that answers one request with the start of a response and then
// says nothing more until the client hangs up: a load or a download that never ends.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace kelvane::test {

class StalledServer {
public:
    explicit StalledServer(const std::string& start) {
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        // The thread holds only what it shares with this object: it may outlive it.
        std::thread([listener, start, answered = answered, hung_up = hung_up] {
            const int client = accept(listener, nullptr, nullptr);
            char request[4096];
            if (recv(client, request, sizeof request, 0) > 0) send(client, start.data(), start.size(), MSG_NOSIGNAL);
            *answered = true;
            while (recv(client, request, sizeof request, 0) > 0) continue;
            *hung_up = true;
            close(client);
            close(listener);
        }).detach();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    // The request came and what there is to answer was sent; the client has gone.
    const std::shared_ptr<std::atomic<bool>> answered = std::make_shared<std::atomic<bool>>(false),
                                             hung_up = std::make_shared<std::atomic<bool>>(false);

private:
    int port_ = 0;
};

}  // namespace kelvane::test
