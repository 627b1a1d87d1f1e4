// Reading a message with GMime.
#include "mail/incoming_mail.h"

#include <algorithm>

#include "mail/gmime_objects.h"
#include "text/text.h"

namespace zelk::mail {

namespace {

// Forwarded messages (message/rfc822) are opened this deep, no deeper.
constexpr int kDepth = 4;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return "";
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::string Header(GMimeObject* object, const char* name) {
    const char* value = g_mime_object_get_header(object, name);
    return value == nullptr ? std::string() : Trimmed(value);
}

std::string FirstAddress(InternetAddressList* list) {
    if (list == nullptr) {
        return "";
    }
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char* text = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            if (text != nullptr && *text != '\0') {
                return text;
            }
        }
    }
    return "";
}

// RFC 3834 and what mail servers and lists do beside it.
std::optional<std::string> AutomaticReason(GMimeMessage* message, const std::string& from,
                                           const std::optional<std::string>& returnPath) {
    GMimeObject* object = GMIME_OBJECT(message);
    const std::string autoSubmitted = Lower(Header(object, "Auto-Submitted"));
    if (!autoSubmitted.empty() && autoSubmitted.substr(0, autoSubmitted.find(';')) != "no") {
        return "Auto-Submitted: " + Printable(autoSubmitted);
    }
    if (returnPath && Trimmed(*returnPath).find_first_not_of("<>") == std::string::npos) {
        return "an empty return path (a bounce)";
    }
    const std::string precedence = Lower(Header(object, "Precedence"));
    if (precedence == "bulk" || precedence == "list" || precedence == "junk") {
        return "Precedence: " + precedence;
    }
    GMimeHeaderList* headers = g_mime_object_get_header_list(object);
    const int count = g_mime_header_list_get_count(headers);
    for (int i = 0; i < count; ++i) {
        const std::string name =
            Lower(g_mime_header_get_name(g_mime_header_list_get_header_at(headers, i)));
        if (name.rfind("list-", 0) == 0) {
            return "a mailing list's header (" + Printable(name) + ")";
        }
        if (name == "x-autoreply" || name == "x-autorespond" ||
            name == "x-auto-response-suppress") {
            return "an auto-reply's header (" + Printable(name) + ")";
        }
    }
    const std::string local = Lower(from.substr(0, from.find('@')));
    if (local == "mailer-daemon" || local == "postmaster") {
        return "a mail server's own address (" + Printable(from, 80) + ")";
    }
    GMimeContentType* type = g_mime_object_get_content_type(
        g_mime_message_get_mime_part(message) ? g_mime_message_get_mime_part(message) : object);
    if (type != nullptr && g_mime_content_type_is_type(type, "multipart", "report")) {
        return "a delivery report (multipart/report)";
    }
    return std::nullopt;
}

// A Message-ID an answer may name in In-Reply-To: visible ASCII without
// blanks or angle brackets, as RFC 5322 has it; anything else is not named.
bool IsMessageId(const char* id) {
    if (id == nullptr) {
        return false;
    }
    const std::string_view text(id);
    return !text.empty() && text.size() <= 250 && std::all_of(text.begin(), text.end(), [](char c) {
        return c > ' ' && c < 0x7F && c != '<' && c != '>';
    });
}

bool IsPlainCharset(const char* charset) {
    if (charset == nullptr) {
        return true;
    }
    const std::string name = Lower(charset);
    return name == "us-ascii" || name == "ascii" || name == "utf-8" || name == "utf8";
}

std::string PartBytes(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (content == nullptr) {
        return "";
    }
    if (GMIME_IS_TEXT_PART(part) &&
        !IsPlainCharset(g_mime_text_part_get_charset(GMIME_TEXT_PART(part)))) {
        char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
        std::string converted = text == nullptr ? std::string() : text;
        g_free(text);
        return converted;
    }
    GPtr<GMimeStream> stream(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    return StreamBytes(stream.get());
}

struct Collected {
    std::vector<MailFile> attachments;
    std::optional<MailFile> text;
};

void Collect(GMimeObject* object, int depth, Collected& collected) {
    if (object == nullptr || depth > kDepth) {
        return;
    }
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i) {
            Collect(g_mime_multipart_get_part(multipart, i), depth, collected);
        }
        return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (inner != nullptr) {
            Collect(g_mime_message_get_mime_part(inner), depth + 1, collected);
        }
        return;
    }
    if (!GMIME_IS_PART(object)) {
        return;
    }
    GMimePart* part = GMIME_PART(object);
    const char* filename = g_mime_part_get_filename(part);
    const char* disposition = g_mime_object_get_disposition(object);
    const bool attachment = (filename != nullptr && *filename != '\0') ||
                            (disposition != nullptr && Lower(disposition) == "attachment");
    if (attachment) {
        if (collected.attachments.size() < kFilesPerMessage) {
            collected.attachments.push_back(
                {filename ? Printable(filename, 80) : std::string(), PartBytes(part), false});
        }
        return;
    }
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!collected.text && type != nullptr && g_mime_content_type_is_type(type, "text", "plain")) {
        collected.text = MailFile{"", PartBytes(part), true};
    }
}

}  // namespace

IncomingMail ReadMail(std::string_view bytes, const std::optional<std::string>& envelopeSender) {
    StartGMime();
    IncomingMail mail;
    std::optional<std::string> returnPath = envelopeSender;
    // "From sender date" before the headers: mbox's line, as a pipe or a
    // .forward may hand the message over.
    if (bytes.substr(0, 5) == "From ") {
        const auto end = bytes.find('\n');
        const std::string_view line = bytes.substr(5, end == std::string_view::npos ? 0 : end - 5);
        if (!returnPath) {
            const std::string sender(line.substr(0, line.find(' ')));
            returnPath = Lower(sender) == "mailer-daemon" ? "" : sender;
        }
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message) {
        mail.files.push_back({"", std::string(bytes), true});
        return mail;
    }
    GMimeObject* object = GMIME_OBJECT(message.get());
    if (const char* id = g_mime_message_get_message_id(message.get()); IsMessageId(id)) {
        mail.messageId = "<" + std::string(id) + ">";
    }
    mail.from = FirstAddress(g_mime_message_get_from(message.get()));
    mail.replyTo = FirstAddress(g_mime_message_get_reply_to(message.get()));
    if (const char* subject = g_mime_message_get_subject(message.get()); subject != nullptr) {
        mail.subject = Trimmed(subject);
    }
    if (!returnPath) {
        if (const std::string header = Header(object, "Return-Path"); !header.empty()) {
            returnPath = header;
        }
    }
    mail.automatic = AutomaticReason(message.get(), mail.from, returnPath);

    Collected collected;
    Collect(g_mime_message_get_mime_part(message.get()), 0, collected);
    if (!collected.attachments.empty()) {
        mail.files = std::move(collected.attachments);
    } else if (collected.text) {
        mail.files.push_back(std::move(*collected.text));
    }
    return mail;
}

}  // namespace zelk::mail
