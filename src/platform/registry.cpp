#include "platform/registry.h"

#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace {

// Reads a text written with Wine's escapes from line[pos] up to the unescaped character `end`;
// pos then stands after it. Nothing when the line ends first.
std::optional<QString> unescape(const QString& line, qsizetype& pos, QChar end) {
    QString out;
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == end)
            return out;
        if (c != QLatin1Char('\\') || pos >= line.size()) {
            out += c;
            continue;
        }
        const QChar e = line[pos++];
        const char plain = e.toLatin1();
        // Up to max_digits digits of the base; false when there is none.
        auto number = [&](int base, int max_digits) {
            uint value = 0;
            int n = 0;
            for (; n < max_digits && pos < line.size(); ++n, ++pos) {
                const char16_t u = line[pos].unicode();
                const int d = u < 128 ? hex_digit(static_cast<char>(u)) : -1;
                if (d < 0 || d >= base)
                    break;
                value = value * static_cast<uint>(base) + static_cast<uint>(d);
            }
            if (n > 0)
                out += QChar(static_cast<char16_t>(value));
            return n > 0;
        };
        static constexpr std::string_view controls = "abefnrtv";
        static constexpr char16_t control_codes[] = {7, 8, 27, 12, 10, 13, 9, 11};
        const size_t control = plain ? controls.find(plain) : std::string_view::npos;
        if (control != std::string_view::npos) {
            out += QChar(control_codes[control]);
        } else if (plain == 'x') {
            if (!number(16, 4))
                out += e;
        } else if (plain >= '0' && plain <= '7') {
            --pos;
            number(8, 3);
        } else {
            out += e;
        }
    }
    return std::nullopt;
}

bool same_name(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Follows the lines of system.reg, one at a time, to the value of the key: done at the first
// line that sets it, found when that is a string.
class ValueFinder {
public:
    ValueFinder(QString key, QString value_name)
        : key_(std::move(key)), value_name_(std::move(value_name)) {}

    bool done = false;
    std::optional<QString> found;

    void line(const QString& raw) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            qsizetype pos = 1;
            const std::optional<QString> name = unescape(line, pos, QLatin1Char(']'));
            in_key_ = name && same_name(*name, key_);
            return;
        }
        if (!in_key_ || done)
            return;
        qsizetype pos = 1;
        std::optional<QString> name;
        if (line.startsWith(QLatin1Char('"')))
            name = unescape(line, pos, QLatin1Char('"'));
        else if (line.startsWith(QLatin1Char('@')))
            name = QString();
        if (!name || !same_name(*name, value_name_) || pos >= line.size() ||
            line[pos] != QLatin1Char('='))
            return;
        done = true;
        QString value = line.mid(pos + 1);
        if (value.startsWith(QLatin1String("str(2):"))) // a string with variables, as stored
            value = value.mid(7);
        if (!value.startsWith(QLatin1Char('"')))
            return; // a number or binary data: no string
        pos = 1;
        found = unescape(value, pos, QLatin1Char('"'));
    }

private:
    QString key_;
    QString value_name_;
    bool in_key_ = false;
};

QString key_path(const std::string& key_name) {
    QString key = to_qstring(key_name);
    while (key.startsWith(QLatin1Char('\\')))
        key.remove(0, 1);
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    return key;
}

// The string value of the key in the prefix's system.reg, when there is one; the file is read a
// line at a time.
std::optional<QString> machine_value(const std::string& key_name, const std::string& value_name) {
    QFile file;
    if (key_name.empty() || !open_for_reading(wine_prefix() + "system.reg", file) ||
        file.size() > qint64{kMaxSystemRegSize})
        return std::nullopt;
    const QString key = key_path(key_name);
    const QString value = to_qstring(value_name);
    static const QString software = QStringLiteral("Software\\");
    const bool below_software = key.startsWith(software, Qt::CaseInsensitive);
    ValueFinder direct(key, value);
    ValueFinder wow(software + QStringLiteral("Wow6432Node\\") + key.mid(9), value);
    while (!file.atEnd() && file.pos() <= qint64{kMaxSystemRegSize} && !direct.found &&
           !(direct.done && (wow.done || !below_software))) {
        const QString line = QString::fromUtf8(file.readLine(1 << 16));
        direct.line(line);
        if (below_software)
            wow.line(line);
    }
    return direct.found ? direct.found : wow.found;
}

} // namespace

std::string wine_prefix() {
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    return native_path(prefix);
}

std::string read_machine_string(const std::string& key_name, const std::string& value_name) {
    const std::optional<QString> found = machine_value(key_name, value_name);
    return found ? from_qstring(*found) : std::string();
}

std::string read_machine_path(const std::string& key_name, const std::string& value_name) {
    const std::optional<QString> found = machine_value(key_name, value_name);
    return found ? resolve_case(native_path_of(native_path(*found), wine_prefix())) : std::string();
}

std::string native_path_of(const std::string& windows_path, const std::string& prefix) {
    std::string path = windows_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    const bool drive =
        path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
    if (!drive)
        return path;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    std::string rest = path.substr(2);
    while (!rest.empty() && rest[0] == '/')
        rest.erase(0, 1);
    if (letter == 'c')
        return prefix + "drive_c/" + rest;
    return prefix + "dosdevices/" + letter + ":/" + rest;
}
