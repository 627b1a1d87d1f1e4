// Deadline, e-mail, reading, contest, file, row (with its letters), receipt:
// in that order.
#include "serve/intake.h"

#include "serve/letters.h"
#include "serve/outbox.h"
#include "serve/request_parts.h"
#include "serve/security.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

// The receipt's permanent link: 128 random bits.
constexpr std::size_t kReceiptKeyBytes = 16;

std::string OtherContestSentence(const LineNote& contest, const ContestNames& names) {
    return "The log's CONTEST: line (line " + std::to_string(contest.line) + ") names " +
           Printable(contest.text, 60) + ", but this is the " + names.Text() +
           " contest. Check that you chose your log of this contest; if you did, put CONTEST: " +
           names.name + " in its header and send it again.";
}

}  // namespace

std::string Intake::ClosedSentence(const ServeSettings& settings) {
    return "The deadline for logs of the " + settings.ContestName() + " contest was " +
           (settings.deadline ? UtcTextForPeople(*settings.deadline) : std::string("?")) +
           "; logs are no longer received here. If you think yours should still count, write "
           "to the contest's organiser" +
           (settings.rules.intake.contact.empty() ? std::string()
                                                  : " (" + settings.rules.intake.contact + ")") +
           ".";
}

void Intake::QueueIntakeLetters(Connection& connection, const Receipt& receipt,
                                const NewSubmission& row, const ServeSettings& settings,
                                UtcTime now) {
    if (row.source != "mail" && !row.email.empty()) {
        QueueLetter(connection,
                    ReceiptLetter(receipt, settings.ContestName(), row.email,
                                  SiteAddress(settings.publicUrl, receipt.Link())),
                    now);
    }
    if (!receipt.replaces) {
        return;
    }
    Statement earlier = connection.Prepare("SELECT email FROM submissions WHERE id = ?1");
    earlier.Bind(1, *receipt.replaces);
    if (earlier.Step()) {
        const std::string address = earlier.Text(0);
        if (!address.empty() && Upper(address) != Upper(row.email)) {
            QueueLetter(connection,
                        ReplacedNotice(row.call, *receipt.replaces, receipt.id, row.receivedAt,
                                       settings.ContestName(), address),
                        now);
        }
    }
}

IntakeOutcome Intake::Receive(const UploadForm& form, bool byOrganiser,
                              const ServeSettings& settings, const Arrival& arrival,
                              const std::function<void(Connection&, const Receipt&)>& alsoThis) {
    IntakeOutcome outcome;
    if (!byOrganiser && !Open(settings, arrival.at)) {
        outcome.status = 403;
        outcome.refusal = ClosedSentence(settings);
        return outcome;
    }
    if (auto problem = EmailProblem(form.email)) {
        outcome.status = 422;
        outcome.refusal = *problem;
        return outcome;
    }
    const ContestNames names{settings.ContestName(), settings.rules.contestAliases};
    auto read = ReadUpload(form.log, names);
    if (auto* refusal = std::get_if<Refusal>(&read)) {
        outcome.status = 422;
        outcome.refusal = std::move(refusal->reason);
        return outcome;
    }
    UploadReading& reading = std::get<UploadReading>(read);
    if (!byOrganiser && reading.otherContest.line != 0) {
        outcome.status = 422;
        outcome.refusal = OtherContestSentence(reading.otherContest, names);
        return outcome;
    }

    Receipt receipt;
    receipt.reading = std::move(reading);
    receipt.sha256 = Sha256Hex(form.log);
    receipt.size = static_cast<int64_t>(form.log.size());
    receipt.receivedAt = UtcText(arrival.at);
    receipt.byOrganiser = byOrganiser;
    receipt.key = RandomHex(kReceiptKeyBytes);

    // The evidence first: the row may only point at a file already on disk.
    m_files.Store(form.log, receipt.sha256);

    const UploadReading& taken = receipt.reading;
    NewSubmission row;
    row.call = taken.call;
    row.category = taken.category;
    row.email = form.email;
    row.receivedAt = receipt.receivedAt;
    row.arrival = arrival.order;
    row.size = receipt.size;
    row.sha256 = receipt.sha256;
    row.storedName = LogStore::StoredName(receipt.sha256);
    row.summary = SummaryJson(taken);
    row.byOrganiser = byOrganiser;
    row.qsos = taken.qsos;
    row.claimedScore = taken.claimedScore;
    row.score = taken.score;
    row.unreadableCount = taken.unreadableCount;
    row.warningCount = taken.warningCount;
    row.receiptKey = receipt.key;
    row.source = byOrganiser && form.source == "web" ? "organiser" : form.source;
    m_submissions.Add(row, [&](Connection& connection, const Added& added) {
        receipt.id = added.id;
        receipt.replaces = added.replaces;
        receipt.replacedBy = added.replacedBy;
        if (settings.lettersOut) {
            QueueIntakeLetters(connection, receipt, row, settings, arrival.at);
        }
        if (alsoThis) {
            alsoThis(connection, receipt);
        }
    });

    outcome.status = 201;
    outcome.receipt = std::move(receipt);
    return outcome;
}

}  // namespace zelk::serve
