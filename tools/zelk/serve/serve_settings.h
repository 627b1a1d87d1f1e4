// What `zelk serve` is told about its contest and how hard it guards
// itself, gathered in one value that the rules file and the flags fill
// (live_settings.h); and the texts it reads them from: the listen address
// and UTC times.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "adjudication/line_status.h"

namespace zelk::serve {

using UtcTime = std::chrono::sys_seconds;

struct ServeSettings {
    std::optional<UtcTime> deadline;  // uploads refused after it; none: always open
    // The contest's rules as zelk adjudicate takes them: its name and other
    // names, period and categories for the pages, the check's settings.
    adjudication::CheckRules rules;
    // When set, the check's rules are read again by it at each check, so
    // that the organiser's edits to the rules file and the decisions file
    // count without a restart; it returns what is wrong when they cannot be.
    std::function<std::variant<adjudication::CheckRules, std::string>()> rulesAtCheck;

    std::size_t maxUploadBytes = std::size_t{5} << 20;  // the log itself; more gets 413
    int uploadsAtOnce = 3;                              // per client address; more get 429
    int uploadsPerHour = 30;                            // per client address; more get 429
    // The most a request's head may take from the connection, and any other
    // request whole; in an upload's body, the longest pause between bytes.
    int readTimeoutSeconds = 10;
    int uploadSeconds = 120;    // the most one upload may take, however it trickles
    int threads = 16;           // requests answered at once (the workers)
    int maxConnections = 1000;  // connections held at once
    // Behind a reverse proxy on this machine: the client's address is the
    // one X-Forwarded-For ends with, and the organiser's cookie is Secure.
    bool behindProxy = false;
    // The site's address as entrants reach it ("https://logs.example.org/"),
    // for the links in letters; empty: letters name the pages' paths alone.
    std::string publicUrl;
    // Whether logs taken write their letters (receipts, notices) to the
    // outbox: set when a relay sends them, and by zelk mail-in.
    bool lettersOut = false;

    const std::string& ContestName() const { return rules.contest; }
};

struct ListenAddress {
    std::string host;  // "127.0.0.1", "::1", "0.0.0.0"
    int port = 0;      // 0: any free port
};

// "127.0.0.1:8080", "[::1]:8080", "0.0.0.0:80"; nullopt for anything else.
std::optional<ListenAddress> ParseListen(std::string_view text);

// "2024-05-19T23:59", with ":SS" and a final "Z" allowed, read as UTC.
std::optional<UtcTime> ParseUtc(std::string_view text);

// "2024-05-19T23:59:00Z"
std::string UtcText(UtcTime time);
// "2024-05-19 23:59 UTC", for people.
std::string UtcTextForPeople(UtcTime time);

UtcTime Now();

}  // namespace zelk::serve
