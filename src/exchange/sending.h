#pragma once
// Sending the additions file to the collectors of a database: the multipart upload and the
// mail through the user's mail program.

#include <cstdint>
#include <string>

class THttpClient;

// The fixed number behind the upload's "pass" field, the same for every user and upload.
inline constexpr uint32_t kUploadPassConstant = 2718281828u;
// Files larger than this are too large for the upload.
inline constexpr int64_t kUploadMaxBytes = 256000;

// The upload's reply (a short page) is refused beyond this size.
inline constexpr uint64_t kUploadReplyMaxBytes = 1u << 20;
// The longest that an upload may take, waiting for the reply included: the server may think
// long before it answers, so there is no bound on the wait for the next bytes.
inline constexpr int kUploadTimeoutMs = 10 * 60 * 1000;

// The nickname's ASCII letters, lower-cased, in order; "anonymous" when none is left.
std::string upload_pseudo(const std::string& nickname);

// MD5 of "vermo" followed by the ten decimal digits of kUploadPassConstant.
std::string upload_pass();

// The upload succeeded when its reply holds "<done>" (in lower case) anywhere.
bool upload_succeeded(const std::string& reply);

// At most a screenful of a reply for a message box: its first 10 lines, each cut to 100
// characters; "\x85" (an ellipsis) marks what was cut.
std::string upload_reply_excerpt(const std::string& reply);

// Gives the client the settings of the upload: its overall bound, no redirects, the reply's
// cap, the proxy and protocol preferences, the request headers.
void prepare_upload_client(THttpClient& http);

// Posts the fields "type", "base", "pass" and the file to the address and returns the reply,
// or the error's text when the file cannot be read or the transfer fails.
std::string send_by_http(THttpClient& http, const std::string& address, const std::string& database,
                         const std::string& nickname, const std::string& file);

// Hands the file to the mail program, addressed to the collectors; the subject and the body
// name it by file_name (as the file system holds it), whole whatever its script. The error's
// text, or empty on success.
std::string send_by_mail(const std::string& mail_address, const std::string& file,
                         const std::string& file_name);
