#include "tests/support/http_server.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <stdexcept>

namespace kelvane::test {
namespace {

constexpr const char* kRefusal = "<html><head><title>Login refused</title></head><body>Login refused</body></html>";

std::string path_of(SoupServerMessage* message) { return g_uri_get_path(soup_server_message_get_uri(message)); }

}  // namespace

HttpServer::HttpServer(Security security, int port, std::string host)
    : tls_(security == Security::SelfSignedTls), host_(std::move(host)), context_(g_main_context_new(), g_main_context_unref),
      loop_(g_main_loop_new(context_.get(), FALSE), g_main_loop_unref) {
    std::promise<std::string> started;
    auto failure = started.get_future();
    thread_ = std::thread([this, port, started = std::move(started)]() mutable {
        g_main_context_push_thread_default(context_.get());
        started.set_value(listen(port));
        if (port_) g_main_loop_run(loop_.get());
        g_clear_object(&server_);  // closes its connections, on the thread that made them
        while (g_main_context_iteration(context_.get(), FALSE)) {
        }
        g_main_context_pop_thread_default(context_.get());
    });
    if (const std::string error = failure.get(); !error.empty()) {
        thread_.join();
        throw std::runtime_error("cannot serve on " + host_ + ": " + error);
    }
}

HttpServer::~HttpServer() {
    // From inside the loop: a quit that came before the loop ran would be lost.
    on_thread([this] { g_main_loop_quit(loop_.get()); });
    thread_.join();
}

void HttpServer::on_thread(const std::function<void()>& step) {
    std::packaged_task<void()> task(step);
    auto done = task.get_future();
    g_main_context_invoke(context_.get(), [](gpointer t) {
        (*static_cast<std::packaged_task<void()>*>(t))();
        return G_SOURCE_REMOVE;
    }, &task);
    done.wait();
}

std::string HttpServer::listen(int port) {
    GError* error = nullptr;
    GTlsCertificate* certificate = tls_ ? g_tls_certificate_new_from_file(KELVANE_TEST_CERTIFICATE, &error) : nullptr;
    // Raw paths: requests are recorded as sent, "%20" and all.
    if (!error) server_ = soup_server_new("raw-paths", TRUE, "tls-certificate", certificate, nullptr);
    g_clear_object(&certificate);
    if (server_) {
        // As the test server always did: one request a connection, and a connection that says
        // nothing for two seconds (a client speaking TLS to the plain server) is closed.
        g_signal_connect(server_, "request-started", G_CALLBACK(+[](SoupServer*, SoupServerMessage* message) {
                             g_socket_set_timeout(soup_server_message_get_socket(message), 2);
                             soup_message_headers_append(soup_server_message_get_response_headers(message),
                                                         "Connection", "close");
                         }), nullptr);
        g_signal_connect_swapped(server_, "request-read", G_CALLBACK(+[](HttpServer* self, SoupServerMessage* message) {
                                     self->record(message);
                                 }), this);
        soup_server_add_handler(server_, nullptr, [](SoupServer*, SoupServerMessage* message, const char*, GHashTable*,
                                                     gpointer self) { static_cast<HttpServer*>(self)->answer(message); },
                                this, nullptr);
        // Loopback only: a test's pages are never served to the network.
        GInetAddress* address = g_inet_address_new_from_string(host_.c_str());
        GSocketAddress* where = address && g_inet_address_get_is_loopback(address)
                                    ? g_inet_socket_address_new(address, static_cast<guint16>(port))
                                    : nullptr;
        g_clear_object(&address);
        const auto options = SoupServerListenOptions(tls_ ? SOUP_SERVER_LISTEN_HTTPS : 0);
        if (!where)
            g_set_error(&error, G_IO_ERROR, G_IO_ERROR_INVALID_ARGUMENT, "not a loopback address");
        else if (soup_server_listen(server_, where, options, &error)) {
            GSList* uris = soup_server_get_uris(server_);
            port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
            g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
        }
        g_clear_object(&where);
    }
    const std::string message = error ? error->message : "";
    g_clear_error(&error);
    return message;
}

int unused_port() { return HttpServer().port(); }

std::string HttpServer::url(const std::string& path) const {
    return (tls_ ? "https://" : "http://") + host_ + ":" + std::to_string(port_) + path;
}

void HttpServer::serve(const std::string& path, const std::string& body, const std::string& type,
                       const std::string& headers) {
    std::lock_guard lock(mutex_);
    pages_[path] = {type, body, headers};
}

void HttpServer::stall(const std::string& path, const std::string& body, const std::string& headers) {
    std::lock_guard lock(mutex_);
    pages_[path] = {"", body, headers, true};
}

int HttpServer::abandoned() const {
    std::lock_guard lock(mutex_);
    return abandoned_;
}

void HttpServer::require_login(const std::string& path, const std::string& user, const std::string& password,
                               const std::string& realm) {
    {
        std::lock_guard lock(mutex_);
        logins_[path] = {user, password};
    }
    on_thread([&] {  // libsoup is not thread-safe
        SoupAuthDomain* domain = soup_auth_domain_basic_new("realm", realm.c_str(), nullptr);
        soup_auth_domain_basic_set_auth_callback(
            domain, [](SoupAuthDomain*, SoupServerMessage* message, const char* user, const char* password, gpointer self) {
                return gboolean(static_cast<HttpServer*>(self)->login_matches(message, user, password));
            }, this, nullptr);
        soup_auth_domain_add_path(domain, path.c_str());
        soup_server_add_auth_domain(server_, domain);
        g_object_unref(domain);
    });
}

bool HttpServer::login_matches(SoupServerMessage* message, const char* user, const char* password) {
    std::lock_guard lock(mutex_);
    const auto login = logins_.find(path_of(message));
    return login != logins_.end() && login->second == std::pair<std::string, std::string>(user, password);
}

std::vector<HttpServer::Request> HttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int HttpServer::count_held(const std::string& path) const {
    return static_cast<int>(std::count_if(requests_.begin(), requests_.end(), [&](auto& r) { return r.path == path; }));
}

int HttpServer::count(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return count_held(path);
}

bool HttpServer::wait_for(const std::string& path, int times, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return count_held(path) >= times; });
}

void HttpServer::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

// Every request as soon as it has been read, those that a login turns away too.
void HttpServer::record(SoupServerMessage* message) {
    GUri* uri = soup_server_message_get_uri(message);
    Request request{path_of(message), std::chrono::steady_clock::now(), {}, {}};
    if (const char* query = g_uri_get_query(uri)) request.path += std::string("?") + query;
    soup_message_headers_foreach(soup_server_message_get_request_headers(message), [](const char* name, const char* value,
                                                                                      gpointer headers) {
        *static_cast<std::string*>(headers) += std::string(name) + ": " + value + "\r\n";
    }, &request.headers);
    const bool refused = soup_server_message_get_status(message) == SOUP_STATUS_UNAUTHORIZED;
    if (refused)  // with a page, as sites send one
        soup_server_message_set_response(message, "text/html", SOUP_MEMORY_STATIC, kRefusal, std::strlen(kRefusal));
    std::lock_guard lock(mutex_);
    if (auto login = logins_.find(path_of(message)); login != logins_.end() && !refused) request.user = login->second.first;
    requests_.push_back(std::move(request));
    changed_.notify_all();
}

void HttpServer::answer(SoupServerMessage* message) {
    std::unique_lock lock(mutex_);
    const auto page = pages_.find(path_of(message));
    if (page == pages_.end()) return soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
    const Page p = page->second;
    lock.unlock();
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
    soup_message_headers_append(headers, "Cache-Control", "no-store");
    for (std::size_t start = 0, end; (end = p.headers.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = p.headers.substr(start, end - start);
        if (const auto colon = line.find(':'); colon != std::string::npos)
            soup_message_headers_append(headers, line.substr(0, colon).c_str(), g_strchug(line.data() + colon + 1));
    }
    soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
    if (p.stalls) {
        // The client says nothing more on the connection until it hangs up, which a paused
        // response does not notice by itself.
        GSocket* socket = soup_server_message_get_socket(message);
        g_socket_set_timeout(socket, 0);
        GSource* hang_up = g_socket_create_source(socket, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), nullptr);
        g_source_set_callback(hang_up, G_SOURCE_FUNC(+[](GSocket*, GIOCondition, HttpServer* self) {
            std::lock_guard lock(self->mutex_);
            ++self->abandoned_;
            return G_SOURCE_REMOVE;
        }), this, nullptr);
        g_source_attach(hang_up, context_.get());
        g_source_unref(hang_up);
        // A body never completed is sent as far as it goes, and the response waits there for more.
        if (p.body.empty()) return soup_server_message_pause(message);
        return soup_message_body_append(soup_server_message_get_response_body(message), SOUP_MEMORY_COPY, p.body.data(), p.body.size());
    }
    soup_server_message_set_response(message, p.type.empty() ? nullptr : p.type.c_str(), SOUP_MEMORY_COPY, p.body.data(),
                                     p.body.size());
}

}  // namespace kelvane::test
