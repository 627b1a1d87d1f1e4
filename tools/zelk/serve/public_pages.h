// The pages every entrant sees: the upload form, the receipt, the list of
// logs received, and the word that results are not yet out.
#pragma once

#include <string>
#include <vector>

#include "serve/receipt.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

// The form posts to /api/logs: a file (field "log") or pasted text
// ("log_text"), and an e-mail address ("email"). After the deadline it says
// so instead of offering the form.
std::string UploadPage(const ServeSettings& settings, bool open);

std::string ReceiptPage(const Receipt& receipt, const std::string& contestName);

// The latest log of each call, in order of call: call, category, QSOs, time
// received; no e-mail address.
std::string ReceivedPage(const std::vector<Submission>& current, const std::string& contestName);

std::string NotPublishedPage(const std::string& contestName);

}  // namespace zelk::serve
