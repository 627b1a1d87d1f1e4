// Deadline, e-mail, reading, file, row (with its letters), receipt: in that
// order.
#include "serve/intake.h"

#include "serve/letters.h"
#include "serve/outbox.h"
#include "serve/request_parts.h"
#include "serve/security.h"
#include "text/text.h"

namespace zelk::serve {

void Intake::QueueIntakeLetters(Connection& connection, const Receipt& receipt,
                                const NewSubmission& row, UtcTime now) const {
    if (row.source != "mail" && !row.email.empty()) {
        QueueLetter(connection, ReceiptLetter(receipt, m_settings.contestName, row.email), now);
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
                                       m_settings.contestName, address),
                        now);
        }
    }
}

std::string Intake::ClosedSentence() const {
    return "The deadline for logs of the " + m_settings.contestName + " contest was " +
           (m_settings.deadline ? UtcTextForPeople(*m_settings.deadline) : std::string("?")) +
           "; logs are no longer received here. If you think yours should still count, write "
           "to the contest's organiser.";
}

IntakeOutcome Intake::Receive(const UploadForm& form, bool byOrganiser, UtcTime now,
                              const std::function<void(Connection&, const Receipt&)>& alsoThis) {
    IntakeOutcome outcome;
    if (!byOrganiser && !Open(now)) {
        outcome.status = 403;
        outcome.refusal = ClosedSentence();
        return outcome;
    }
    if (auto problem = EmailProblem(form.email)) {
        outcome.status = 422;
        outcome.refusal = *problem;
        return outcome;
    }
    auto read = ReadUpload(form.log, m_settings.contestName);
    if (auto* refusal = std::get_if<Refusal>(&read)) {
        outcome.status = 422;
        outcome.refusal = std::move(refusal->reason);
        return outcome;
    }

    Receipt receipt;
    receipt.reading = std::get<UploadReading>(std::move(read));
    receipt.sha256 = Sha256Hex(form.log);
    receipt.size = static_cast<int64_t>(form.log.size());
    receipt.receivedAt = UtcText(now);
    receipt.byOrganiser = byOrganiser;

    // The evidence first: the row may only point at a file already on disk.
    m_files.Store(form.log, receipt.sha256);

    NewSubmission row;
    row.call = receipt.reading.call;
    row.category = receipt.reading.category;
    row.email = form.email;
    row.receivedAt = receipt.receivedAt;
    row.size = receipt.size;
    row.sha256 = receipt.sha256;
    row.storedName = LogStore::StoredName(receipt.sha256);
    row.summary = SummaryJson(receipt.reading);
    row.byOrganiser = byOrganiser;
    row.source = byOrganiser && form.source == "web" ? "organiser" : form.source;
    m_submissions.Add(row, [&](Connection& connection, const Added& added) {
        receipt.id = added.id;
        receipt.replaces = added.replaces;
        if (m_letters) {
            QueueIntakeLetters(connection, receipt, row, now);
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
