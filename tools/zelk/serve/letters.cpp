// The letters' texts.
#include "serve/letters.h"

#include "text/text.h"

namespace zelk::serve {

namespace {

// Unreadable lines and warnings named in a letter; the rest are counted.
constexpr std::size_t kNotesInLetter = 20;

std::string Field(const std::string& name, const std::string& value) {
    std::string line = name + ":";
    line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
    return line + value + "\n";
}

// `count` notes, of which the reading kept `notes` (the first ones).
std::string NotesText(const std::string& title, const std::vector<LineNote>& notes, int64_t count) {
    const std::size_t total = std::max(notes.size(), static_cast<std::size_t>(count));
    if (total == 0) {
        return "";
    }
    std::string text = "\n" + title + " (" + std::to_string(total) + "):\n";
    std::size_t named = 0;
    for (; named < notes.size() && named < kNotesInLetter; ++named) {
        text += "  " +
                (notes[named].line != 0 ? "line " + std::to_string(notes[named].line) + ": " : "") +
                Printable(notes[named].text, 200) + "\n";
    }
    if (total > named) {
        text += "  ... and " + std::to_string(total - named) + " more\n";
    }
    return text;
}

std::string PeopleTime(const std::string& utc) {
    const auto time = ParseUtc(utc);
    return time ? UtcTextForPeople(*time) : utc;
}

constexpr const char* kSignature =
    "\n-- \nThis letter was written by the contest's log robot. Answers to it reach the "
    "robot,\nnot a person: write to the contest's organiser with questions.\n";

}  // namespace

std::string SiteAddress(const std::string& publicUrl, const std::string& path) {
    if (publicUrl.empty()) {
        return path + " on the contest's log site";
    }
    const bool slash = publicUrl.back() == '/';
    return publicUrl.substr(0, publicUrl.size() - (slash ? 1 : 0)) + path;
}

std::string ReceiptText(const Receipt& receipt, const std::string& contestName,
                        const std::string& link) {
    const UploadReading& reading = receipt.reading;
    std::string text = Field("Receipt", std::to_string(receipt.id));
    text += Field("Call", Printable(reading.call));
    text += Field("Category",
                  reading.category.empty() ? "none given" : Printable(reading.category, 80));
    text += Field("QSOs", std::to_string(reading.qsos));
    text += Field("Claimed score",
                  reading.claimedScore ? std::to_string(*reading.claimedScore) : "none given");
    text += Field("Score by " + contestName + "'s rules", std::to_string(reading.score));
    text += Field("Received", PeopleTime(receipt.receivedAt));
    if (receipt.replaces) {
        text += Field("Replaces", "the earlier log of " + Printable(reading.call) + ", receipt " +
                                      std::to_string(*receipt.replaces));
    }
    if (receipt.replacedBy) {
        text +=
            Field("Replaced by", "a log of the same call that arrived after this one, receipt " +
                                     std::to_string(*receipt.replacedBy) + ": that one counts");
    }
    text += Field("File", std::to_string(receipt.size) + " bytes, SHA-256 " + receipt.sha256);
    if (!link.empty()) {
        text += Field("See it again", link + " (keep it: only you have it)");
    }
    text += NotesText(
        "Lines that could not be read (not scored; correct them and send the log "
        "again)",
        reading.unreadable, reading.unreadableCount);
    text += NotesText("Warnings", reading.warnings, reading.warningCount);
    return text;
}

Letter ReceiptLetter(const Receipt& receipt, const std::string& contestName, std::string to,
                     const std::string& link) {
    Letter letter;
    letter.kind = LetterKind::kReceipt;
    letter.to = std::move(to);
    letter.subject = contestName + " contest: log of " + Printable(receipt.reading.call) +
                     " received (receipt " + std::to_string(receipt.id) + ")";
    letter.body = "Your log for the " + contestName + " contest was received:\n\n" +
                  ReceiptText(receipt, contestName, link) +
                  "\nThe score is what the contest's rules give the log as sent, before the "
                  "check against\nthe other logs. A later log of the same call replaces this "
                  "one.\n" +
                  kSignature;
    letter.submissionId = receipt.id;
    return letter;
}

Letter MailAnswerLetter(const MailAnswer& answer, const std::string& contestName, std::string to,
                        std::string inReplyTo, const std::string& subject) {
    Letter letter;
    letter.kind = answer.anyTaken ? LetterKind::kReceipt : LetterKind::kRefusal;
    letter.to = std::move(to);
    letter.inReplyTo = std::move(inReplyTo);
    const std::string was = subject.empty() ? std::string() : ": " + Printable(subject, 60);
    letter.subject = (answer.anyTaken ? "Log received" : "Log not received") + was;
    std::string body = answer.anyTaken
                           ? "Thank you: your mail to the " + contestName + " contest was read.\n"
                           : "Your mail to the " + contestName +
                                 " contest was read, but no log in it could be taken.\n";
    for (const std::string& note : answer.notes) {
        body += "\nNote: " + note + "\n";
    }
    for (const std::string& section : answer.sections) {
        body += "\n" + section;
    }
    if (answer.anyTaken) {
        body +=
            "\nThe score is what the contest's rules give the log as sent, before the check "
            "against\nthe other logs. A later log of the same call replaces this one.\n";
    } else {
        body +=
            "\nSend the Cabrillo file your logging program writes for the contest, as an\n"
            "attachment or as the text of the mail.\n";
    }
    letter.body = body + kSignature;
    return letter;
}

Letter ReplacedNotice(const std::string& call, int64_t oldId, int64_t newId,
                      const std::string& receivedAt, const std::string& contestName,
                      std::string to) {
    Letter letter;
    letter.kind = LetterKind::kNotice;
    letter.to = std::move(to);
    letter.subject = contestName + " contest: your log of " + Printable(call) + " was replaced";
    letter.body = "The log of " + Printable(call) + " you sent to the " + contestName +
                  " contest (receipt " + std::to_string(oldId) +
                  ") was replaced\nby a later log of the same call (receipt " +
                  std::to_string(newId) + "), received " + PeopleTime(receivedAt) +
                  " from another address.\nThe later log is the one checked.\n\nIf you did not "
                  "send it, write to the contest's organiser at once.\n" +
                  kSignature;
    letter.submissionId = newId;
    return letter;
}

Letter ReportLetter(const std::string& call, const std::string& report,
                    const std::string& resultsLink, const std::string& contestName, std::string to,
                    int64_t submissionId) {
    Letter letter;
    letter.kind = LetterKind::kReport;
    letter.to = std::move(to);
    letter.subject = contestName + " contest: the check report of " + Printable(call);
    letter.body = "The results of the " + contestName + " contest are published" +
                  (resultsLink.empty() ? std::string(".") : ":\n" + resultsLink) +
                  "\n\nBelow is the check report of your log " + Printable(call) +
                  ": each of your QSO lines as the check found it.\n\n" + report +
                  (report.empty() || report.back() == '\n' ? "" : "\n") + kSignature;
    letter.submissionId = submissionId;
    return letter;
}

}  // namespace zelk::serve
