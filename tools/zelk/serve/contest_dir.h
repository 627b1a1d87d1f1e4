// The contest folder `zelk serve` keeps everything in, and what it makes
// there on first start:
//   submissions.sqlite   the database (with -wal and -shm beside it)
//   organiser-token      the organiser's secret, mode 0600
//   logs/                every uploaded file, under its SHA-256
//   current/             the latest log of each call, exported by each check
//   results/             what the check writes, as zelk adjudicate -o does
//   published/           the results as published on /results
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelk::serve {

struct ContestDir {
    explicit ContestDir(const std::filesystem::path& folder);

    std::filesystem::path root;
    std::filesystem::path database;
    std::filesystem::path tokenFile;
    std::filesystem::path logs;
    std::filesystem::path current;
    std::filesystem::path results;
    std::filesystem::path published;
};

struct PreparedDir {
    std::string token;
    std::vector<std::string> made;      // what was made now, for the start message
    std::vector<std::string> warnings;  // a token file others may read, say
};

// Makes what is missing (the folders, the token) and reads the token.
// Throws std::runtime_error naming what cannot be made or read.
PreparedDir PrepareContestDir(const ContestDir& dir);

}  // namespace zelk::serve
