// libFuzzer target for what the log robot reads from strangers: each input
// is one e-mail message, read as zelk mail-in and zelk serve --imap read
// one, and its subject, message id and text put into an answer as the
// robot would. Beyond running clean under the sanitizers:
// - no more files are taken from a message than the limit;
// - nothing read for a header (the message id, the addresses, the subject)
//   holds a line break, so nothing from a message can add a header to an
//   answer;
// - the answer drawn from it has CRLF line ends only, one To:, at most one
//   In-Reply-To:, and reads back as one text, automatic mail (so that
//   another robot like this one does not answer it).
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_invariants.h"
#include "mail/incoming_mail.h"
#include "mail/letter_mime.h"

namespace zelk::mail {
namespace {

using namespace zelk::fuzzing;

bool OneLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

void Check(std::string_view bytes) {
    const IncomingMail mail = ReadMail(bytes);
    Require(mail.files.size() <= kFilesPerMessage, "more files than the limit");
    Require(OneLine(mail.messageId) && OneLine(mail.from) && OneLine(mail.replyTo),
            "a header read holds a line break");
    Require(mail.messageId.find(' ') == std::string::npos, "a Message-ID with a blank");
    for (const MailFile& file : mail.files) {
        Require(OneLine(file.name), "a file name holds a line break");
    }

    serve::OutboxRow letter;
    letter.to = "entrant@example.org";
    letter.subject = mail.subject;
    letter.body = mail.files.empty() ? std::string() : mail.files.front().bytes.substr(0, 2048);
    letter.inReplyTo = mail.messageId;
    letter.messageKey = "fuzz";
    letter.createdAt = "2026-05-19T12:00:00Z";
    const std::string text = RenderLetter(letter, {"logs@contest.example.org", "Robot"});
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        Require(at > 0 && text[at - 1] == '\r', "a bare line feed in an answer");
    }
    // Header lines begin after a line end; a folded line begins with a blank.
    const std::string head = "\r\n" + text.substr(0, text.find("\r\n\r\n"));
    Require(Count(head, "\r\nTo: ") == 1, "an answer with more than one To:");
    Require(Count(head, "\r\nIn-Reply-To:") <= 1, "an answer with more than one In-Reply-To:");
    const IncomingMail back = ReadMail(text);
    Require(back.automatic.has_value(), "an answer that does not read as automatic mail");
    Require(back.files.size() == 1, "an answer that does not read back as one text");
}

}  // namespace
}  // namespace zelk::mail

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zelk::mail::Check(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
