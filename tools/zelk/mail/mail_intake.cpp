// One message: its files read as logs, each taken or refused, the answer.
#include "mail/mail_intake.h"

#include <variant>

#include "logfile/cabrillo_reader.h"
#include "mail/incoming_mail.h"
#include "serve/letters.h"
#include "serve/request_parts.h"
#include "serve/security.h"
#include "text/text.h"

namespace zelk::mail {

namespace {

// The headers of a message too large to take are read from its start.
constexpr std::size_t kHeadOfLargeMessage = 256 * 1024;

bool Usable(const std::string& address) {
    return !address.empty() && !serve::EmailProblem(address);
}

// The EMAIL: line of a Cabrillo log, when it reads as one.
std::string LogEmail(std::string_view bytes) {
    auto read = logfile::ReadCabrillo(bytes);
    if (auto* log = std::get_if<logfile::CabrilloLog>(&read)) {
        return std::string(log->Value("EMAIL"));
    }
    return "";
}

bool LooksLikeCall(std::string_view word) {
    bool digit = false;
    bool letter = false;
    for (char c : word) {
        digit = digit || (c >= '0' && c <= '9');
        letter = letter || (c >= 'A' && c <= 'Z');
    }
    return digit && letter && word.size() >= 3 && word.size() <= 15;
}

// The calls a subject may name ("Log UA2TV", "R3ABC/P CW"), in capitals.
std::vector<std::string> SubjectCalls(std::string_view subject) {
    std::vector<std::string> calls;
    std::string word;
    for (std::size_t i = 0; i <= subject.size(); ++i) {
        const char c = i < subject.size() ? AsciiUpper(subject[i]) : ' ';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/') {
            word += c;
        } else {
            if (LooksLikeCall(word)) {
                calls.push_back(word);
            }
            word.clear();
        }
    }
    return calls;
}

std::string FileLabel(const MailFile& file, std::size_t index) {
    if (file.messageText) {
        return "The text of your mail";
    }
    return file.name.empty() ? "Attachment " + std::to_string(index + 1)
                             : "The attachment \"" + file.name + "\"";
}

std::string Mebibytes(std::size_t bytes) {
    return std::to_string((bytes + (1 << 19)) >> 20) + " MiB";
}

}  // namespace

std::size_t MessageLimit(std::size_t maxUploadBytes) {
    return 2 * maxUploadBytes + (std::size_t{1} << 20);
}

MailLedger::MailLedger(const std::filesystem::path& database) : m_connection(database) {}

bool MailLedger::Seen(const std::string& digest) {
    std::lock_guard lock(m_mutex);
    serve::Statement statement =
        m_connection.Prepare("SELECT count(*) FROM mail_messages WHERE digest = ?1");
    statement.Bind(1, digest);
    statement.Step();
    return statement.Int(0) != 0;
}

std::optional<int64_t> MailLedger::PartTaken(const std::string& digest, int part) {
    std::lock_guard lock(m_mutex);
    serve::Statement statement = m_connection.Prepare(
        "SELECT submission_id FROM mail_parts WHERE digest = ?1 AND part = ?2");
    statement.Bind(1, digest).Bind(2, int64_t{part});
    if (!statement.Step()) {
        return std::nullopt;
    }
    return statement.Int(0);
}

bool MailLedger::Finish(Record record, const std::optional<serve::Letter>& answer,
                        serve::UtcTime now) {
    std::lock_guard lock(m_mutex);
    serve::Transaction transaction(m_connection);
    {
        serve::Statement seen =
            m_connection.Prepare("SELECT count(*) FROM mail_messages WHERE digest = ?1");
        seen.Bind(1, record.digest);
        seen.Step();
        if (seen.Int(0) != 0) {
            return false;
        }
    }
    if (answer) {
        record.outcome += serve::QueueLetter(m_connection, *answer, now)
                              ? "; answered to " + answer->to
                              : "; not answered: " + answer->to + " had " +
                                    std::to_string(serve::kAnswersPerAddressPerHour) +
                                    " answers in the last hour";
    }
    m_connection
        .Prepare(
            "INSERT INTO mail_messages (digest, message_id, sender, subject, received_at, "
            "outcome) VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
        .Bind(1, record.digest)
        .Bind(2, record.messageId)
        .Bind(3, record.sender)
        .Bind(4, record.subject)
        .Bind(5, serve::UtcText(now))
        .Bind(6, record.outcome)
        .Run();
    transaction.Commit();
    return true;
}

MailOutcome TakeMail(std::string_view bytes, serve::App& app, MailLedger& ledger,
                     serve::UtcTime now, const std::optional<std::string>& envelopeSender,
                     bool tooLarge) {
    MailOutcome outcome;
    const std::string digest = serve::Sha256Hex(bytes);
    if (ledger.Seen(digest)) {
        outcome.duplicate = true;
        outcome.summary = "taken before: skipped";
        return outcome;
    }
    // The settings now, for the whole message.
    const std::shared_ptr<const serve::ServeSettings> settings = app.settings.Current();
    const IncomingMail mail =
        ReadMail(tooLarge ? bytes.substr(0, kHeadOfLargeMessage) : bytes, envelopeSender);
    const std::string sender = Usable(mail.replyTo) ? mail.replyTo : mail.from;

    serve::MailAnswer answer;
    std::string answerTo;
    std::vector<std::string> calls;
    std::string summary;
    if (tooLarge) {
        answer.sections.push_back("The message is larger than the " +
                                  Mebibytes(MessageLimit(settings->maxUploadBytes)) +
                                  " a message may be here; nothing in it was read. Send the "
                                  "Cabrillo log alone.\n");
        summary = "too large, not read";
    } else if (mail.files.empty()) {
        answer.sections.push_back(
            "No log was found in your mail: it has no attachment and no plain text.\n");
        summary = "no log in it";
    }
    for (std::size_t i = 0; !tooLarge && i < mail.files.size(); ++i) {
        const MailFile& file = mail.files[i];
        const std::string label = FileLabel(file, i);
        const int part = static_cast<int>(i);
        std::optional<serve::Receipt> receipt;
        if (const auto stored = ledger.PartTaken(digest, part)) {
            // Stored by an earlier run that stopped before the answer.
            if (const auto row = app.submissions.Find(*stored)) {
                receipt = serve::ReceiptOf(*row);
                if (answerTo.empty()) {
                    answerTo = row->email;
                }
            }
        } else {
            const std::string logEmail = LogEmail(file.bytes);
            const std::string address = Usable(logEmail) ? logEmail : Usable(sender) ? sender : "";
            const serve::IntakeOutcome taken = app.intake.Receive(
                {file.bytes, address, "mail"}, false, *settings,
                {now, app.submissions.NextArrival()},
                [&](serve::Connection& connection, const serve::Receipt& stored) {
                    connection
                        .Prepare(
                            "INSERT INTO mail_parts (digest, part, submission_id) VALUES (?1, "
                            "?2, ?3)")
                        .Bind(1, digest)
                        .Bind(2, int64_t{part})
                        .Bind(3, stored.id)
                        .Run();
                });
            if (taken.receipt) {
                receipt = taken.receipt;
                if (answerTo.empty()) {
                    answerTo = address;
                }
            } else {
                answer.sections.push_back(label + ": not taken. " + taken.refusal + "\n");
            }
        }
        if (receipt) {
            answer.anyTaken = true;
            ++outcome.logsTaken;
            calls.push_back(receipt->reading.call);
            answer.sections.push_back(
                label + ": log received.\n" +
                serve::ReceiptText(*receipt, settings->ContestName(),
                                   serve::SiteAddress(settings->publicUrl, receipt->Link())));
            summary += (summary.empty() ? "" : ", ") + std::string("log of ") +
                       Printable(receipt->reading.call) + " stored (receipt " +
                       std::to_string(receipt->id) + ")";
        }
    }
    if (!tooLarge && !mail.files.empty() && outcome.logsTaken == 0) {
        summary = std::to_string(mail.files.size()) + " file(s), no log taken";
    }
    if (!calls.empty()) {
        for (const std::string& named : SubjectCalls(mail.subject)) {
            if (std::find(calls.begin(), calls.end(), named) == calls.end()) {
                answer.notes.push_back("the subject names " + named + ", but the log's call is " +
                                       Printable(calls.front()) + ": the log is taken as " +
                                       Printable(calls.front()) + "'s.");
                break;
            }
        }
    }
    if (answerTo.empty() && Usable(sender)) {
        answerTo = sender;
    }

    std::optional<serve::Letter> letter;
    if (mail.automatic) {
        summary += "; automatic mail (" + *mail.automatic + "): not answered";
    } else if (answerTo.empty()) {
        summary += "; no address to answer";
    } else {
        letter = serve::MailAnswerLetter(answer, settings->ContestName(), answerTo, mail.messageId,
                                         mail.subject);
    }
    MailLedger::Record record{digest, mail.messageId, mail.from, Printable(mail.subject, 200),
                              summary};
    if (!ledger.Finish(record, letter, now)) {
        outcome.duplicate = true;
        outcome.summary = "taken at the same time by another run: skipped";
        return outcome;
    }
    outcome.answered = letter.has_value();
    outcome.summary = summary + (letter ? "; answer to " + answerTo : "");
    return outcome;
}

}  // namespace zelk::mail
