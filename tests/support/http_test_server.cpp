#include "support/http_test_server.h"

#include <QFile>
#include <QJsonDocument>

namespace support {

HttpTestServer::HttpTestServer(const std::map<std::string, HttpRoute>& routes) {
    QJsonObject table;
    for (const auto& [path, r] : routes) {
        QJsonObject o{
            {"status", r.status},
            {"body", QString::fromLatin1(r.body.data(), static_cast<qsizetype>(r.body.size()))},
            {"zlib", r.zlib},
            {"delay", r.delay}};
        if (!r.location.empty())
            o["location"] = QString::fromStdString(r.location);
        table[QString::fromStdString(path)] = o;
    }
    QFile file(to_path(dir_.file("routes.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(table).toJson()) < 0)
        return;
    file.close();
    process_.start("/usr/bin/python3",
                   {QStringLiteral(KARVELO_TEST_PEERS "/update_server.py"), "--routes",
                    to_path(dir_.file("routes.json")), "--log", to_path(dir_.file("log.jsonl"))});
    if (!process_.waitForReadyRead(20000))
        return;
    const QByteArray line = process_.readLine().trimmed();
    if (line.startsWith("PORT "))
        port_ = line.mid(5).toInt();
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
    QFile file(to_path(dir_.file("log.jsonl")));
    if (file.open(QIODevice::ReadOnly))
        while (!file.atEnd())
            out.push_back(QJsonDocument::fromJson(file.readLine()).object());
    return out;
}

std::string json_bytes(const QJsonValue& value) {
    return value.toString().toLatin1().toStdString();
}

} // namespace support
