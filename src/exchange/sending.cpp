#include "exchange/sending.h"

#include "exchange/MsMultiPartFormData.h"
#include "exchange/update_check.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "platform/http_client.h"
#include "platform/mapimail.h"

#include <cstdio>

std::string upload_pseudo(const std::string& nickname) {
    std::string out;
    for (char c : nickname) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c >= 'a' && c <= 'z')
            out.push_back(c);
    }
    return out.empty() ? "anonymous" : out;
}

std::string upload_pass() {
    char digits[11];
    std::snprintf(digits, sizeof digits, "%010u", static_cast<unsigned>(kUploadPassConstant));
    return md5_hex(std::string("vermo") + digits);
}

bool upload_succeeded(const std::string& reply) {
    return reply.find("<done>") != std::string::npos;
}

std::string upload_reply_excerpt(const std::string& reply) {
    return server_text_excerpt(reply, 10, 100);
}

void prepare_upload_client(THttpClient& http) {
    THttpOptions& o = http.options;
    o.read_timeout_ms = 0;
    o.total_timeout_ms = kUploadTimeoutMs;
    o.max_redirects = 0;
    o.idle_interval_ms = 250;
    o.max_body = kUploadReplyMaxBytes;
    o.headers = {"User-Agent: Mozilla/3.0 (compatible; Indy Library)", "Accept: text/html, */*"};
    apply_proxy_preferences(o, rPreference);
}

std::string send_by_http(THttpClient& http, const std::string& address, const std::string& database,
                         const std::string& nickname, const std::string& file) {
    try {
        TMsMultiPartFormDataStream body;
        body.add_field_part("type", "vev");
        body.add_field_part("base", database + "_" + upload_pseudo(nickname));
        body.add_field_part("pass", upload_pass());
        body.add_file_part_from_path("file", file, "application/msword", kUploadMaxBytes);
        body.finish_body();
        return http.post(address, body.data(), body.request_content_type());
    } catch (const std::exception& e) {
        return e.what();
    }
}

namespace {

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// Information text n with the file's name whole, whatever its script, as UTF-8.
std::string mail_text(int n, const std::string& file_name) {
    constexpr char kNameMark = '\x01';
    return utf8(to_qstring(format_text(get_info_text(n), std::string(1, kNameMark), ""))
                    .replace(QLatin1Char(kNameMark), to_path(file_name)));
}

} // namespace

std::string send_by_mail(const std::string& mail_address, const std::string& file,
                         const std::string& file_name) {
    try {
        const std::string address = utf8(to_qstring(mail_address));
        send_mapi_mail(address, address, "self", "self", mail_text(18, file_name),
                       mail_text(19, file_name), file, true);
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}
