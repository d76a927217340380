#include "platform/registry.h"

#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"

#include <QDir>
#include <QStringList>
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

// The string of the value in the key, when the file holds both and the value is a string.
std::optional<QString> find_value(const QStringList& lines, const QString& key,
                                  const QString& value_name) {
    bool in_key = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            qsizetype pos = 1;
            const std::optional<QString> name = unescape(line, pos, QLatin1Char(']'));
            in_key = name && same_name(*name, key);
            continue;
        }
        if (!in_key)
            continue;
        qsizetype pos = 1;
        std::optional<QString> name;
        if (line.startsWith(QLatin1Char('"')))
            name = unescape(line, pos, QLatin1Char('"'));
        else if (line.startsWith(QLatin1Char('@')))
            name = QString();
        if (!name || !same_name(*name, value_name) || pos >= line.size() ||
            line[pos] != QLatin1Char('='))
            continue;
        QString value = line.mid(pos + 1);
        if (value.startsWith(QLatin1String("str(2):"))) // a string with variables, as stored
            value = value.mid(7);
        if (!value.startsWith(QLatin1Char('"')))
            return std::nullopt; // a number or binary data: no string
        pos = 1;
        return unescape(value, pos, QLatin1Char('"'));
    }
    return std::nullopt;
}

QString key_path(const std::string& key_name) {
    QString key = to_qstring(key_name);
    while (key.startsWith(QLatin1Char('\\')))
        key.remove(0, 1);
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    return key;
}

// The string value of the key in the prefix's system.reg, when there is one.
std::optional<QString> machine_value(const std::string& key_name, const std::string& value_name) {
    std::string bytes;
    if (key_name.empty() || !read_file(wine_prefix() + "system.reg", bytes))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    const QString key = key_path(key_name);
    const QString value = to_qstring(value_name);
    std::optional<QString> found = find_value(lines, key, value);
    static const QString software = QStringLiteral("Software\\");
    if (!found && key.startsWith(software, Qt::CaseInsensitive))
        found = find_value(lines, software + QStringLiteral("Wow6432Node\\") + key.mid(9), value);
    return found;
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
