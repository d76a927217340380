#include "platform/shell.h"

#include "foundation/text_codec.h"

#include <QDesktopServices>
#include <QUrl>

bool shell_open(const std::string& target) {
    const QString text = to_qstring(target);
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2)
        url = QUrl::fromLocalFile(to_path(target));
    return QDesktopServices::openUrl(url);
}
