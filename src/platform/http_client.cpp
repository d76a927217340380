#include "platform/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// Server texts shown in a status line or a message box are cut to this many bytes.
constexpr size_t kShownServerText = 200;

// What one transfer learns from libcurl's callbacks.
struct Transfer {
    THttpClient* client = nullptr;
    CURL* handle = nullptr;
    const std::function<bool(std::string_view)>* sink = nullptr;
    uint64_t max_body = 0;
    std::string status_line;
    std::string refusal; // why the body was refused, when it was
    uint64_t received = 0;
    Clock::time_point last_activity = Clock::now();
    bool work_begun = false;
    curl_off_t last_done = -1;
    curl_off_t last_sent = 0;

    long status() const {
        long code = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }
};

bool success(long code) {
    return code >= 200 && code < 300;
}

size_t on_header(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t length = size * count;
    t->last_activity = Clock::now();
    std::string_view line(data, length);
    if (line.starts_with("HTTP/")) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        t->status_line = line.substr(0, kShownServerText);
        t->received = 0; // a new response: after a redirect or an interim status
    }
    return length;
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t length = size * count;
    t->last_activity = Clock::now();
    const bool reply = success(t->status());
    t->received += length;
    if (t->max_body != 0 && t->received > t->max_body) {
        t->refusal = !reply ? t->status_line
                            : "The reply is larger than " + std::to_string(t->max_body) + " bytes.";
        return 0;
    }
    if (!reply)
        return length; // the body of an error or redirect status is not the reply
    if (!(*t->sink)(std::string_view(data, length))) {
        t->refusal = "The reply could not be stored.";
        return 0;
    }
    return length;
}

int on_progress(void* user, curl_off_t expected, curl_off_t done, curl_off_t, curl_off_t sent) {
    auto* t = static_cast<Transfer*>(user);
    THttpClient& c = *t->client;
    if (sent != t->last_sent) { // a body going out is activity too
        t->last_sent = sent;
        t->last_activity = Clock::now();
    }
    if (!t->work_begun && (expected > 0 || done > 0)) {
        t->work_begun = true;
        if (c.on_work_begin)
            c.on_work_begin(expected);
    }
    if (t->work_begun && done != t->last_done) {
        t->last_done = done;
        if (c.on_work)
            c.on_work(done, expected);
    }
    return 0;
}

// Where the host of the address begins and where it ends.
std::pair<size_t, size_t> host_span(const std::string& url) {
    size_t from = url.find("://");
    from = from == std::string::npos ? 0 : from + 3;
    return {from, std::min(url.find_first_of("/?#", from), url.size())};
}

std::string host_of(const std::string& url) {
    const auto [from, to] = host_span(url);
    return url.substr(from, std::min(to - from, kShownServerText));
}

// The text with every byte that `keep` refuses as "%XX".
std::string escape_bytes(std::string_view text, bool (*keep)(unsigned char)) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (keep(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

// Every byte that a URL cannot carry (blank, control, and from 0x80 on) as "%XX".
std::string escape_url_bytes(std::string_view address) {
    return escape_bytes(address, [](unsigned char byte) { return byte > 0x20 && byte < 0x7F; });
}

// The address with its path and query escaped; the host stays for the library to convert.
std::string escaped_address(const std::string& url) {
    const size_t path = host_span(url).second;
    return url.substr(0, path) + escape_url_bytes(std::string_view(url).substr(path));
}

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

std::string url_query_value(std::string_view value) {
    return escape_bytes(value, [](unsigned char byte) {
        return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
               (byte >= 'a' && byte <= 'z') || byte == '-' || byte == '.' || byte == '_' ||
               byte == '~';
    });
}

THttpClient::THttpClient() : handle_(curl_easy_init()), cookies_(curl_share_init()) {
    if (cookies_)
        curl_share_setopt(static_cast<CURLSH*>(cookies_), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

THttpClient::~THttpClient() {
    if (handle_)
        curl_easy_cleanup(static_cast<CURL*>(handle_));
    if (cookies_)
        curl_share_cleanup(static_cast<CURLSH*>(cookies_));
}

void THttpClient::get(const std::string& url, const std::function<bool(std::string_view)>& sink) {
    perform(url, nullptr, {}, sink);
}

std::string THttpClient::get(const std::string& url) {
    std::string out;
    get(url, [&out](std::string_view data) {
        out.append(data);
        return true;
    });
    return out;
}

std::string THttpClient::post(const std::string& url, const std::string& body,
                              const std::string& content_type) {
    std::string out;
    perform(url, &body, content_type, [&out](std::string_view data) {
        out.append(data);
        return true;
    });
    return out;
}

void THttpClient::perform(const std::string& url, const std::string* body,
                          const std::string& content_type,
                          const std::function<bool(std::string_view)>& sink) {
    if (busy_)
        throw EHttpError("A transfer is already running.");
    if (!handle_)
        throw EHttpError("The HTTP library could not be initialised.");
    CURL* h = static_cast<CURL*>(handle_);
    busy_ = true;
    cancel_requested_ = false;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{busy_};

    curl_easy_reset(h);
    Transfer t;
    t.client = this;
    t.handle = h;
    t.sink = &sink;
    t.max_body = options.max_body;
    char error[CURL_ERROR_SIZE] = {};

    std::unique_ptr<curl_slist, SlistFree> headers;
    auto add_header = [&headers](const std::string& line) {
        headers.reset(curl_slist_append(headers.release(), line.c_str()));
    };
    for (const std::string& line : options.headers)
        add_header(line);

    const std::string address = escaped_address(url);
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Addresses come from servers: no local files or other protocols behind them.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Cookies are accepted and kept in memory, in the share from one transfer to the next. The
    // cookie engine's file list goes after each transfer: curl_easy_reset would leak it.
    curl_easy_setopt(h, CURLOPT_SHARE, cookies_);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    struct DropCookieFiles {
        CURL* h;
        ~DropCookieFiles() { curl_easy_setopt(h, CURLOPT_COOKIEFILE, nullptr); }
    } drop_cookie_files{h};
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION,
                     options.http_1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, options.max_redirects > 0 ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(options.max_redirects));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max(0, options.total_timeout_ms)));
    curl_easy_setopt(h, CURLOPT_PROXY, options.proxy_server.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (options.proxy_port > 0)
        curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(options.proxy_port));
    if (!options.proxy_server.empty() && !options.proxy_user.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, options.proxy_user.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, options.proxy_password.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYAUTH,
                         options.proxy_basic_auth ? CURLAUTH_BASIC : CURLAUTH_ANYSAFE);
    }
    if (body) {
        add_header("Content-Type: " + content_type);
        add_header("Expect:");
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);

    if (on_status)
        on_status("Connecting to " + host_of(address));

    // The transfer runs in a multi handle so that the idle hook gets its turn at short
    // intervals, whatever the server does.
    CURLM* multi = curl_multi_init();
    curl_multi_add_handle(multi, h);
    bool timed_out = false;
    bool cancelled = false;
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* m = curl_multi_info_read(multi, &left))
                if (m->msg == CURLMSG_DONE)
                    result = m->data.result;
            break;
        }
        if (options.read_timeout_ms > 0 &&
            Clock::now() - t.last_activity > std::chrono::milliseconds(options.read_timeout_ms)) {
            timed_out = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, std::max(1, options.idle_interval_ms), nullptr);
        if (on_idle)
            on_idle();
        if (cancel_requested_) {
            cancelled = true;
            break;
        }
    }
    curl_multi_remove_handle(multi, h);
    curl_multi_cleanup(multi);
    if (t.work_begun && on_work_end)
        on_work_end();
    if (on_status)
        on_status("");

    if (cancelled)
        throw EHttpError("The transfer was cancelled.");
    if (timed_out)
        throw EHttpError("Read timed out.");
    if (!t.refusal.empty())
        throw EHttpError(t.refusal);
    if (result != CURLE_OK)
        throw EHttpError(error[0] ? std::string(error) : std::string(curl_easy_strerror(result)));
    if (!success(t.status()))
        throw EHttpError(t.status_line.empty() ? "HTTP error " + std::to_string(t.status())
                                               : t.status_line);
}
