// Taking in one uploaded log, whatever the door (the public form, the API,
// the organiser's page): the deadline, the e-mail address, the reading and
// the contest it names decide whether it is taken; a log taken is stored on
// disk first and then committed to the database, and only then is there a
// receipt. A log refused leaves nothing behind.
#pragma once

#include <cstdint>
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

// When an upload's body was complete: the time, and its place in the order
// of arrival, which decides the current log of a call.
struct Arrival {
    UtcTime at;
    int64_t order = 0;
};

struct IntakeOutcome {
    int status = 0;                  // 201 taken, 403 after the deadline, 422 refused
    std::optional<Receipt> receipt;  // when taken
    std::string refusal;             // a sentence for the sender, when not
};

class Intake {
  public:
    Intake(SubmissionStore& submissions, const LogStore& files)
        : m_submissions(submissions), m_files(files) {}

    // Whether the public may still upload at `now`.
    static bool Open(const ServeSettings& settings, UtcTime now) {
        return !settings.deadline || now <= *settings.deadline;
    }
    static std::string ClosedSentence(const ServeSettings& settings);

    // The arrival of a body complete now.
    Arrival Arrive() { return {Now(), m_submissions.NextArrival()}; }

    // Takes the log, or says why not. The organiser may add logs after the
    // deadline, and logs of other contests. `alsoThis` is committed with the
    // log, in its transaction; so are the log's letters when
    // settings.lettersOut (the receipt to the address given with a log from
    // the web, as a mailed log is answered by the mail room; the notice to
    // the earlier address when a log from another one replaces its log).
    // Throws when the disk or the database fails (nothing is then
    // acknowledged).
    IntakeOutcome Receive(const UploadForm& form, bool byOrganiser, const ServeSettings& settings,
                          const Arrival& arrival,
                          const std::function<void(Connection&, const Receipt&)>& alsoThis = {});

  private:
    static void QueueIntakeLetters(Connection& connection, const Receipt& receipt,
                                   const NewSubmission& row, const ServeSettings& settings,
                                   UtcTime now);

    SubmissionStore& m_submissions;
    const LogStore& m_files;
};

}  // namespace zelk::serve
