#pragma once
// One mail with at most one attached file, handed to the user's mail program through
// xdg-email, which opens the program's composer with the message filled in.

#include <cstdint>
#include <stdexcept>
#include <string>

// Every failure of send_mapi_mail: "Impossible d'envoyer le message.\n\n" + argument + ".".
class tMailFileException : public std::runtime_error {
public:
    explicit tMailFileException(const std::string& argument);
};

// Codes of the failures of the mail program (the first is also the one of a missing program).
inline constexpr uint32_t kMailNotStarted = 1; // xdg-email could not be started
inline constexpr uint32_t kMailExitBase = 100; // + xdg-email's non-zero exit status
inline constexpr uint32_t kMailCrashed = 199;  // xdg-email ended abnormally

// Why a recipient address that is not a plain name@domain is refused.
inline constexpr const char* kNotPlainAddress =
    "The recipient's address is not a plain mail address (name@domain)";

// "MAPI ERROR: " + the code; codes of the mail program get a short reason after them.
std::string mapi_error_text(uint32_t code);

// Hands the message to the mail program and returns 0; every failure raises
// tMailFileException. A recipient address that is not a plain name@domain is refused before
// any program starts. Texts are UTF-8, as the mail program takes them. The mail program always
// shows its composer, so show_dialog changes nothing, and it sends from the user's own account, so
// the sender is only checked. While the mail program starts, pending events are processed.
uint32_t send_mapi_mail(const std::string& recipient_name, const std::string& recipient_address,
                        const std::string& sender_name, const std::string& sender_address,
                        const std::string& subject, const std::string& body,
                        const std::string& attachment, bool show_dialog);
