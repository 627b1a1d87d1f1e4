// A letter of the outbox as the message the relay is given: From the
// organiser's address, To the entrant, a Message-ID fixed when the letter
// was written (so every try sends the same message), the Date it was
// written, In-Reply-To and References for an answer, Auto-Submitted
// (auto-replied for answers, auto-generated for check reports), and the
// text as UTF-8 with its MIME headers. Lines end in CRLF.
#pragma once

#include <string>

#include "serve/outbox.h"

namespace zelk::mail {

struct Sender {
    std::string address;  // "logs@contest.example.org"
    std::string name;     // "ZELK contest log robot"; may be empty
};

std::string RenderLetter(const serve::OutboxRow& letter, const Sender& from);

// The domain of an address (after the last '@'), or "localhost".
std::string DomainOf(const std::string& address);

}  // namespace zelk::mail
