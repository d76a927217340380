#pragma once
// The HTTP server of peers/update_server.py on 127.0.0.1 and an ephemeral port, started by the
// constructor and stopped with the object.

#include <QJsonObject>
#include <QProcess>

#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace support {

struct HttpRoute {
    int status = 200;
    std::string body;  // bytes; "$BASE" stands for the server's address
    bool zlib = false; // the server compresses the body with Python's zlib
    std::string location;
    double delay = 0;     // seconds before answering
    std::string cookie{}; // the value of a Set-Cookie header
    int64_t length = -1;  // the Content-Length sent; -1: the body's
    int repeat = 1;       // the body sent that many times
    double drip = 0;      // seconds between two bytes of the body
};

inline HttpRoute reply(std::string body, bool zlib = false, double delay = 0) {
    return {200, std::move(body), zlib, {}, delay};
}
inline HttpRoute status(int code, std::string location = {}) {
    return {code, {}, false, std::move(location), 0};
}

class HttpTestServer {
public:
    explicit HttpTestServer(const std::map<std::string, HttpRoute>& routes);
    ~HttpTestServer();

    bool running() const { return port_ != 0; }
    // "http://127.0.0.1:<port>" + path.
    std::string url(const std::string& path) const;
    // The requests so far: method, path, version, headers, the query as a server decodes it
    // (each key's list of values), and a multipart body's fields and files; values hold their
    // bytes as latin-1 text.
    std::vector<QJsonObject> requests() const;

private:
    TempDir dir_;
    QProcess process_;
    int port_ = 0;
};

} // namespace support
