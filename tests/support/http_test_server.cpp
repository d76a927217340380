#include "support/http_test_server.h"

#include <QFile>
#include <QJsonDocument>

namespace support {

HttpTestServer::HttpTestServer(const std::map<std::string, HttpRoute>& routes) {
    QJsonObject table;
    for (const auto& [path, r] : routes) {
        QJsonObject o{{"status", r.status},
                      {"body", QString::fromLatin1(r.body.data(), qsizetype(r.body.size()))},
                      {"zlib", r.zlib},
                      {"delay", r.delay},
                      {"length", qint64(r.length)},
                      {"repeat", r.repeat},
                      {"drip", r.drip}};
        if (!r.location.empty())
            o["location"] = QString::fromStdString(r.location);
        if (!r.cookie.empty())
            o["cookie"] = QString::fromStdString(r.cookie);
        table[QString::fromStdString(path)] = o;
    }
    QFile file(to_path(dir_.file("routes.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(table).toJson()) < 0)
        return;
    file.close();
    process_.start("/usr/bin/python3", {KARVELO_TEST_PEERS "/update_server.py", "--routes",
                                        file.fileName(), "--log", to_path(dir_.file("log"))});
    if (process_.waitForReadyRead(20000)) {
        const QByteArray line = process_.readLine().trimmed();
        port_ = line.startsWith("PORT ") ? line.mid(5).toInt() : 0;
    }
}

HttpTestServer::~HttpTestServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<QJsonObject> HttpTestServer::requests() const {
    std::vector<QJsonObject> out;
    QFile file(to_path(dir_.file("log")));
    if (file.open(QIODevice::ReadOnly))
        while (!file.atEnd())
            out.push_back(QJsonDocument::fromJson(file.readLine()).object());
    return out;
}

} // namespace support
