// Why the check gave a QSO line its status, in the words of the entrant's
// check report (ubn_report.cpp): each sentence follows from what the logs
// hold, and names the line of the other log that decided it.
#pragma once

#include <string>
#include <string_view>

#include "adjudication/contest_check.h"
#include "logfile/unreadable_line.h"

namespace zelk::adjudication {

// A text from a log as a report shows it: printable, cut at 40 characters.
std::string Shown(std::string_view text);

class LineExplanation {
  public:
    LineExplanation(const ContestCheck& contest, const Entrant& entrant)
        : m_contest(contest), m_entrant(entrant) {}

    // "busted exchange, not credited: you copied ...", for the entrant's line.
    std::string Why(const CheckedLine& line) const;

    // Whether no line of the log with the same call and band, that its own
    // log leaves to the check, comes before `counted`.
    bool IsFirstOfItsCallAndBand(const CheckedLine& counted) const;

    // Why a line kept for pairing could not be read, and the partner's line
    // it still matches.
    std::string UnreadableReason(const CheckedLine& line) const;

  private:
    std::string CallOf(const CheckedLine& line) const;
    std::string NilReason(const CheckedLine& line, const CheckedLine* nearest) const;
    const logfile::UnreadableLine* UnreadableNear(const CheckedLine& line) const;
    std::string NoLogCopies(const CheckedLine& line) const;
    std::string NoLogAgreement(const CheckedLine& line) const;
    std::string DupeReason(const CheckedLine& line, const CheckedLine& counted) const;
    static bool Earlier(const CheckedLine& a, const CheckedLine& b);
    static std::string Difference(const CheckedLine& ours, const CheckedLine& theirs);
    static std::string Exchange(const CheckedLine& line, bool received);

    const ContestCheck& m_contest;
    const Entrant& m_entrant;
};

}  // namespace zelk::adjudication
