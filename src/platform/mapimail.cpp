#include "platform/mapimail.h"

#include "foundation/text_codec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>
#include <string_view>

namespace {

// Longest wait for xdg-email: some mail programs keep it running until they are closed.
constexpr int kHandOverMs = 20000;

QString with_line_feeds(const std::string& text) {
    QString s = QString::fromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

bool letter_or_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// name@domain, nothing more: the name of letters, digits and "!$'*+-./=^_`{|}~", not beginning
// with "-"; the domain of letters, digits and "-" in labels joined by single dots. Anything
// else could reach the mail program as an option, a mailto: address with fields of its own, or
// further recipients.
bool plain_mail_address(std::string_view address) {
    constexpr auto npos = std::string_view::npos;
    constexpr std::string_view name_marks = "!$'*+-./=^_`{|}~";
    const size_t at = address.find('@');
    if (at == 0 || at == npos || address.find('@', at + 1) != npos || address.front() == '-')
        return false;
    const std::string_view name = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter_or_digit(c) || name_marks.find(c) != npos; }) &&
           !domain.empty() && domain.front() != '.' && domain.back() != '.' &&
           domain.find("..") == npos && std::all_of(domain.begin(), domain.end(), [](char c) {
               return letter_or_digit(c) || c == '-' || c == '.';
           });
}

} // namespace

tMailFileException::tMailFileException(const std::string& argument)
    : std::runtime_error("Impossible d'envoyer le message.\n\n" + argument + ".") {}

std::string mapi_error_text(uint32_t code) {
    std::string text = "MAPI ERROR: " + std::to_string(code);
    switch (code) {
    case kMailNotStarted:
        return text + " (xdg-email not found)";
    case kMailExitBase + 1:
        return text + " (xdg-email: bad arguments)";
    case kMailExitBase + 2:
        return text + " (xdg-email: attachment not found)";
    case kMailExitBase + 3:
        return text + " (xdg-email: no mail program found)";
    case kMailExitBase + 4:
        return text + " (xdg-email: the mail program failed)";
    case kMailExitBase + 5:
        return text + " (xdg-email: attachment not readable)";
    case kMailCrashed:
        return text + " (xdg-email ended abnormally)";
    default:
        return text;
    }
}

uint32_t send_mapi_mail(const std::string& recipient_name, const std::string& recipient_address,
                        const std::string& sender_name, const std::string& sender_address,
                        const std::string& subject, const std::string& body,
                        const std::string& attachment, bool show_dialog) {
    (void)recipient_name;
    (void)sender_name;
    (void)show_dialog;
    if (recipient_address.empty() || sender_address.empty() || (body.empty() && attachment.empty()))
        throw tMailFileException("");
    if (!plain_mail_address(recipient_address))
        throw tMailFileException(kNotPlainAddress);

    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"),
                     QString::fromUtf8(subject), QStringLiteral("--body"), with_line_feeds(body)};
    if (!attachment.empty())
        args << QStringLiteral("--attach") << to_path(attachment);
    args << QString::fromUtf8(recipient_address);

    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral("xdg-email"), args);
    if (!process->waitForStarted()) {
        delete process;
        throw tMailFileException(mapi_error_text(kMailNotStarted));
    }
    QDeadlineTimer deadline(kHandOverMs);
    while (process->state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process->waitForFinished(50);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (process->state() != QProcess::NotRunning) {
        // The mail program has its message; let it run on its own.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return 0;
    }
    uint32_t code = 0;
    if (process->exitStatus() != QProcess::NormalExit)
        code = kMailCrashed;
    else if (process->exitCode() != 0)
        code = kMailExitBase + static_cast<uint32_t>(std::min(process->exitCode(), 98));
    delete process;
    if (code != 0)
        throw tMailFileException(mapi_error_text(code));
    return 0;
}
