#pragma once
// Records the addresses of one scheme that the program opens, instead of opening them.

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <string>
#include <vector>

class OpenedUrls : public QObject {
    Q_OBJECT
public:
    explicit OpenedUrls(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "open");
    }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(scheme_); }
    Q_INVOKABLE void open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
    std::vector<std::string> urls;

private:
    QString scheme_;
};
