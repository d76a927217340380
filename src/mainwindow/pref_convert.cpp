#include "mainwindow/pref_convert.h"

#include "foundation/errors.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The value as shown inside an error text: long values are cut, control bytes become "?".
std::string quoted(const std::string& text) {
    constexpr size_t kShown = 60;
    std::string shown = text.substr(0, kShown);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    if (text.size() > kShown)
        shown += "...";
    return "'" + shown + "'";
}

[[noreturn]] void fail(const std::string& text, const char* what) {
    throw EConvertError(quoted(text) + " is not a valid " + what + " value");
}

bool equals_ignoring_case(const std::string& text, const char* word) {
    size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        char a = text[i];
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 'a' + 'A');
        char b = word[i];
        if (b >= 'a' && b <= 'z')
            b = static_cast<char>(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return i == text.size();
}

// Reads a number in the "," form; false when the text is not one.
bool try_float(const std::string& text, double& out) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    size_t i = b;
    bool negative = false;
    if (i < e && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string plain; // the same number in the form from_chars reads
    plain.reserve(e - i);
    size_t digits = 0;
    bool separator = false;
    for (; i < e; ++i) {
        char c = text[i];
        if (is_digit(c)) {
            plain.push_back(c);
            ++digits;
        } else if (c == ',' && !separator) {
            separator = true;
            plain.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-'))
            plain.push_back(text[i++]);
        size_t exponent_digits = 0;
        for (; i < e && is_digit(text[i]); ++i, ++exponent_digits)
            plain.push_back(text[i]);
        if (exponent_digits == 0)
            return false;
    }
    if (i != e)
        return false;
    double value = 0;
    const char* end = plain.data() + plain.size();
    auto [ptr, ec] = std::from_chars(plain.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return false;
    out = negative ? -value : value;
    return true;
}

} // namespace

int32_t pref_str_to_int(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        fail(text, "integer");
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t{std::numeric_limits<int32_t>::min()}
                                   : int64_t{std::numeric_limits<int32_t>::max()};
    for (; i < text.size(); ++i) {
        if (!is_digit(text[i]))
            fail(text, "integer");
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            fail(text, "integer");
    }
    return static_cast<int32_t>(negative ? -value : value);
}

double pref_str_to_float(const std::string& text) {
    double value = 0;
    if (!try_float(text, value))
        fail(text, "floating point");
    return value;
}

bool pref_str_to_bool(const std::string& text) {
    if (equals_ignoring_case(text, "true"))
        return true;
    if (equals_ignoring_case(text, "false"))
        return false;
    double number = 0;
    if (!try_float(text, number))
        fail(text, "boolean");
    return number != 0;
}

std::string pref_float_to_str(double value) {
    if (!std::isfinite(value) || value == 0)
        return "0";
    // d.dddddddddddddde[+-]x: the value rounded to 15 significant digits.
    char buf[40];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string sci(buf, ec == std::errc() ? end : buf);
    std::string out;
    size_t pos = 0;
    if (!sci.empty() && sci[0] == '-') {
        out = "-";
        pos = 1;
    }
    size_t e_at = sci.find('e');
    if (e_at == std::string::npos)
        return "0";
    std::string digits;
    for (size_t i = pos; i < e_at; ++i) {
        if (is_digit(sci[i]))
            digits.push_back(sci[i]);
    }
    int exponent = std::atoi(sci.c_str() + e_at + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    if (exponent >= -5 && exponent < 15) {
        if (exponent >= 0) {
            size_t int_len = static_cast<size_t>(exponent) + 1;
            if (digits.size() < int_len)
                digits.append(int_len - digits.size(), '0');
            out += digits.substr(0, int_len);
            if (digits.size() > int_len)
                out += "," + digits.substr(int_len);
        } else {
            out += "0," + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1)
        out += "," + digits.substr(1);
    out += "E" + std::to_string(exponent);
    return out;
}

std::string pref_bool_to_str(bool value) {
    return value ? "True" : "False";
}
