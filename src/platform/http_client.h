#pragma once
// Blocking HTTP transfers over libcurl: GET into a sink and POST of a ready body, with proxy,
// Basic authentication, HTTP/1.0 or 1.1, redirects, cookies, a read time-out, an overall bound
// and cancelling. While a transfer blocks, the idle hook runs at short intervals so that the
// windows stay painted.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A failed transfer: no connection, a time-out, an HTTP error status, a refused redirect, a
// sink that gave up. The message is the one to show.
class EHttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value for an address's query: every byte but the letters, the digits and "-._~" as "%XX",
// so that a server decoding the query gets it whole.
std::string url_query_value(std::string_view value);

struct THttpOptions {
    std::string proxy_server; // empty: no proxy (proxy variables of the environment are ignored)
    int32_t proxy_port = 0;   // 0: the proxy's default port
    std::string proxy_user;
    std::string proxy_password;
    bool proxy_basic_auth = false; // Basic credentials sent at once; otherwise only on request
    bool http_1_0 = false;
    int read_timeout_ms = 0;          // longest wait for the next received bytes; 0 waits for ever
    int max_redirects = 0;            // redirects followed; 0: a redirect is an error status
    int idle_interval_ms = 50;        // how often the idle hook runs while waiting
    std::vector<std::string> headers; // "Name: value"
    uint64_t max_body = 0;            // bytes accepted of a reply body; 0: no limit
    int total_timeout_ms = 0;         // longest a whole transfer may take; 0: no bound
};

class THttpClient {
public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    THttpOptions options;

    // Runs while a transfer waits (typically QCoreApplication::processEvents).
    std::function<void()> on_idle;
    // Progress of the reply body: its expected size (0 when unknown), then the bytes so far.
    std::function<void(int64_t expected)> on_work_begin;
    std::function<void(int64_t done, int64_t expected)> on_work;
    std::function<void()> on_work_end;
    // A short text on the state of the connection.
    std::function<void(const std::string& text)> on_status;

    // The path and query of an address go out with every byte that a URL cannot carry (blank,
    // control, and from 0x80 on) as "%XX" of the byte; every other character stays as it is.
    // Fetches the address; every byte of a successful reply body goes to the sink, which
    // returns false to give up. Throws EHttpError.
    void get(const std::string& url, const std::function<bool(std::string_view)>& sink);
    // The whole reply body. Throws EHttpError.
    std::string get(const std::string& url);
    // Posts the body and returns the reply body. Throws EHttpError.
    std::string post(const std::string& url, const std::string& body,
                     const std::string& content_type);

    // True while a transfer runs; a second transfer asked meanwhile is refused.
    bool busy() const { return busy_; }
    // Ends the running transfer after the idle hook's current turn (EHttpError); typically
    // called from the idle hook when the user closes the window. No effect when none runs.
    void cancel() { cancel_requested_ = true; }

private:
    void perform(const std::string& url, const std::string* body, const std::string& content_type,
                 const std::function<bool(std::string_view)>& sink);

    void* handle_ = nullptr;  // kept between transfers
    void* cookies_ = nullptr; // the cookies, kept between transfers
    bool busy_ = false;
    bool cancel_requested_ = false;
};
