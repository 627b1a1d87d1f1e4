// Taking in one uploaded log, whatever the door (the public form, the API,
// the organiser's page): the deadline, the e-mail address and the reading
// decide whether it is taken; a log taken is stored on disk first and then
// committed to the database, and only then is there a receipt. A log
// refused leaves nothing behind.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "serve/file_store.h"
#include "serve/receipt.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

struct UploadForm {
    std::string log;  // the file's bytes, or the text pasted in the form
    std::string email;
    std::string source = "web";  // the door: "web", "organiser" or "mail"
};

struct IntakeOutcome {
    int status = 0;                  // 201 taken, 403 after the deadline, 422 refused
    std::optional<Receipt> receipt;  // when taken
    std::string refusal;             // a sentence for the sender, when not
};

class Intake {
  public:
    Intake(const ServeSettings& settings, SubmissionStore& submissions, const LogStore& files)
        : m_settings(settings), m_submissions(submissions), m_files(files) {}

    // Whether the public may still upload at `now`.
    bool Open(UtcTime now) const { return !m_settings.deadline || now <= *m_settings.deadline; }
    std::string ClosedSentence() const;

    // Takes the log, or says why not. The organiser may add logs after the
    // deadline. `alsoThis` is committed with the log, in its transaction.
    // Throws when the disk or the database fails (nothing is then
    // acknowledged).
    IntakeOutcome Receive(const UploadForm& form, bool byOrganiser, UtcTime now,
                          const std::function<void(Connection&, const Receipt&)>& alsoThis = {});

    // From now on every log taken writes its letters to the outbox with it:
    // the receipt to the address given with a log from the web (a mailed
    // log is answered by the mail room), and the notice to the earlier
    // address when a log from another one replaces its log.
    void WriteLetters(bool on) { m_letters = on; }

  private:
    void QueueIntakeLetters(Connection& connection, const Receipt& receipt,
                            const NewSubmission& row, UtcTime now) const;

    const ServeSettings& m_settings;
    SubmissionStore& m_submissions;
    const LogStore& m_files;
    bool m_letters = false;
};

}  // namespace zelk::serve
