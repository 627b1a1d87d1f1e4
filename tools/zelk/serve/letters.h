// The texts of the letters the contest sends: the receipt for a log (the
// same facts as the receipt page), the refusal of a mailed log, the notice to
// an earlier address that a log of its call was replaced from another, and
// an entrant's check report. Plain UTF-8 text; every text from a log is made
// printable first. The envelope (From, Message-ID, MIME) is the mail room's.
#pragma once

#include <string>
#include <vector>

#include "serve/outbox.h"
#include "serve/receipt.h"

namespace zelk::serve {

// A page of the site named in a letter: `path` ("/receipts/12/<key>") under
// the site's public address (https://logs.example.org/) when one is set,
// else the path and where it is.
std::string SiteAddress(const std::string& publicUrl, const std::string& path);

// The receipt's lines, as a letter and in an answer to a mail with several
// logs. `link` is the receipt's permanent address (SiteAddress), when there
// is one.
std::string ReceiptText(const Receipt& receipt, const std::string& contestName,
                        const std::string& link = "");

Letter ReceiptLetter(const Receipt& receipt, const std::string& contestName, std::string to,
                     const std::string& link = "");

// The answer to a mail: what each log in it became (receipts and refusals),
// and the notes on the message as a whole (the subject's call, say).
struct MailAnswer {
    std::vector<std::string> sections;  // one per log or file, already worded
    std::vector<std::string> notes;
    bool anyTaken = false;
};
Letter MailAnswerLetter(const MailAnswer& answer, const std::string& contestName, std::string to,
                        std::string inReplyTo, const std::string& subject);

Letter ReplacedNotice(const std::string& call, int64_t oldId, int64_t newId,
                      const std::string& receivedAt, const std::string& contestName,
                      std::string to);

// The check report the results hold for an entrant, with the results' link.
Letter ReportLetter(const std::string& call, const std::string& report,
                    const std::string& resultsLink, const std::string& contestName, std::string to,
                    int64_t submissionId);

}  // namespace zelk::serve
