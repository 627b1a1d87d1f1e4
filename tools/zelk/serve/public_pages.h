// The pages every entrant sees: the upload form with what the contest is,
// the receipt (given at once, and again at its permanent link), the list
// of logs received, and the word that results are not yet out.
#pragma once

#include <string>
#include <vector>

#include "serve/receipt.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

// The form posts to /api/logs: a file (field "log") or pasted text
// ("log_text"), and an e-mail address ("email"); beside it the contest's
// period, deadline, categories, rules and organiser. After the deadline it
// says so instead of offering the form.
std::string UploadPage(const ServeSettings& settings, bool open);

// `again`: the receipt shown again at its link, with `state` saying what
// became of the log since (the one that counts, replaced, taken out).
std::string ReceiptPage(const Receipt& receipt, const std::string& contestName, bool again = false,
                        const std::string& state = {});

// The current log of each call, in order of call: call, category, QSOs,
// time received; no e-mail address. Reads the rows' columns only.
std::string ReceivedPage(const std::vector<Submission>& current, const std::string& contestName);

std::string NotPublishedPage(const std::string& contestName);

}  // namespace zelk::serve
