// Drawing a letter with GMime.
#include "mail/letter_mime.h"

#include "mail/gmime_objects.h"
#include "serve/serve_settings.h"
#include "text/text.h"

namespace zelk::mail {

namespace {

// The text as well-formed UTF-8: a byte that is none (a report holds what
// the logs sent) becomes U+FFFD.
std::string ValidUtf8(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    while (!text.empty()) {
        if (const auto length = Utf8SequenceLength(text)) {
            valid.append(text.substr(0, *length));
            text.remove_prefix(*length);
        } else {
            valid += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        }
    }
    return valid;
}

}  // namespace

std::string DomainOf(const std::string& address) {
    const auto at = address.rfind('@');
    return at == std::string::npos || at + 1 == address.size() ? "localhost"
                                                               : address.substr(at + 1);
}

std::string RenderLetter(const serve::OutboxRow& letter, const Sender& from) {
    StartGMime();
    GPtr<GMimeMessage> message(g_mime_message_new(TRUE));
    g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM,
                               from.name.empty() ? nullptr : from.name.c_str(),
                               from.address.c_str());
    g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_TO, nullptr, letter.to.c_str());
    g_mime_message_set_subject(message.get(), ValidUtf8(letter.subject).c_str(), "utf-8");
    const std::string id = letter.messageKey + "@" + DomainOf(from.address);
    g_mime_message_set_message_id(message.get(), id.c_str());
    const auto written = serve::ParseUtc(letter.createdAt).value_or(serve::Now());
    GDateTime* date = g_date_time_new_from_unix_utc(written.time_since_epoch().count());
    g_mime_message_set_date(message.get(), date);
    g_date_time_unref(date);
    GMimeObject* object = GMIME_OBJECT(message.get());
    if (!letter.inReplyTo.empty()) {
        g_mime_object_set_header(object, "In-Reply-To", letter.inReplyTo.c_str(), nullptr);
        g_mime_object_set_header(object, "References", letter.inReplyTo.c_str(), nullptr);
    }
    g_mime_object_set_header(
        object, "Auto-Submitted",
        letter.kind == serve::LetterKind::kReport ? "auto-generated" : "auto-replied", nullptr);

    GPtr<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
    const std::string body = ValidUtf8(letter.body);
    GPtr<GMimeStream> content(g_mime_stream_mem_new_with_buffer(body.data(), body.size()));
    GPtr<GMimeDataWrapper> wrapper(
        g_mime_data_wrapper_new_with_stream(content.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(text.get()), wrapper.get());
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(text.get()), "charset", "utf-8");
    // Plain ASCII as it is; anything else quoted-printable, which a person
    // can still read in the raw message (GMime would take base64 for a
    // short text with many accents).
    const bool sevenBit =
        g_mime_part_get_best_content_encoding(
            GMIME_PART(text.get()), GMIME_ENCODING_CONSTRAINT_7BIT) == GMIME_CONTENT_ENCODING_7BIT;
    g_mime_part_set_content_encoding(
        GMIME_PART(text.get()),
        sevenBit ? GMIME_CONTENT_ENCODING_7BIT : GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(text.get()));

    GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    GPtr<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(object, options, out.get());
    g_mime_format_options_free(options);
    return StreamBytes(out.get());
}

}  // namespace zelk::mail
