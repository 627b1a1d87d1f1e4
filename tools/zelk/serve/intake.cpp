// Deadline, e-mail, reading, file, row, receipt: in that order.
#include "serve/intake.h"

#include "serve/request_parts.h"
#include "serve/security.h"

namespace zelk::serve {

std::string Intake::ClosedSentence() const {
    return "The deadline for logs of the " + m_settings.contestName + " contest was " +
           (m_settings.deadline ? UtcTextForPeople(*m_settings.deadline) : std::string("?")) +
           "; logs are no longer received here. If you think yours should still count, write "
           "to the contest's organiser.";
}

IntakeOutcome Intake::Receive(const UploadForm& form, bool byOrganiser, UtcTime now) {
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
    const Added added = m_submissions.Add(row);

    receipt.id = added.id;
    receipt.replaces = added.replaces;
    outcome.status = 201;
    outcome.receipt = std::move(receipt);
    return outcome;
}

}  // namespace zelk::serve
