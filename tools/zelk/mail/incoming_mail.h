// A message as the robot reads it, with GMime: who sent it and where an
// answer goes, its subject, whether it is automatic mail that must never be
// answered (RFC 3834), and the files that may be logs: each attachment
// (any name, any type; transfer encodings undone, a declared charset other
// than ASCII or UTF-8 converted to UTF-8), or the message's text when it
// has none. Any bytes give an answer; nothing in a message is run or
// opened as anything but text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::mail {

struct MailFile {
    std::string name;  // the attachment's file name as sent (made printable); empty for the text
    std::string bytes;
    bool messageText = false;
};

struct IncomingMail {
    std::string messageId;  // "<...>", or empty when the message has none
    std::string from;       // the From address, or empty
    std::string replyTo;    // the first Reply-To address, or empty
    std::string subject;    // decoded, UTF-8
    // Why it is automatic mail (a bounce, a list, an auto-reply), when it is.
    std::optional<std::string> automatic;
    std::vector<MailFile> files;
};

// At most this many files are read from one message.
inline constexpr std::size_t kFilesPerMessage = 10;

// `envelopeSender` is the return path the mail server was given (Postfix's
// ${sender}; "" for a bounce), when it is known. A leading mbox "From "
// line is read as the return path too.
IncomingMail ReadMail(std::string_view bytes,
                      const std::optional<std::string>& envelopeSender = std::nullopt);

}  // namespace zelk::mail
