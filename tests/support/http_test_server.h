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
    std::string body;  // bytes
    bool zlib = false; // the server compresses the body with Python's zlib
    std::string location;
    double delay = 0; // seconds before answering
};

// A reply of these bytes (compressed by the server when zlib is set), after a delay.
inline HttpRoute reply(std::string body, bool zlib = false, double delay = 0) {
    return {200, std::move(body), zlib, {}, delay};
}
// An empty reply with this status and, for a redirect, where to.
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
    // The requests received so far: method, path, headers, and fields and files of a
    // multipart body.
    std::vector<QJsonObject> requests() const;

private:
    TempDir dir_;
    QProcess process_;
    int port_ = 0;
};

// The bytes of a JSON text made of latin-1 characters.
std::string json_bytes(const QJsonValue& value);

} // namespace support
