// One QSO: (or X-QSO:) line of a Cabrillo log read into its fields, by the
// rules cabrillo_reader.h states. Part of the Cabrillo reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "logfile/cabrillo_qso.h"

namespace zelk::logfile {

// What a log's lines mostly share, remembered from line to line: dates
// yyyy-mm-dd as days since 1970-01-01, and the band of a frequency.
class QsoLineCache {
  public:
    std::optional<int64_t> Days(std::string_view text);
    BandIndex BandOf(uint32_t kHz);

  private:
    char m_last[10] = {};
    std::optional<int64_t> m_lastDays;
    // The last band found, and the kHz whose steps lie wholly inside it.
    BandIndex m_band = kNoBand;
    uint32_t m_bandLow = 1;
    uint32_t m_bandHigh = 0;
};

// Why a QSO line cannot be read, and how far it was read.
struct QsoLineProblem {
    std::string reason;         // printable
    bool otherContest = false;  // the fixed fields read, but no ZELK exchange follows them
    // The fixed fields were read: the QSO holds the line's minutes and band,
    // and its call where `call` has a size.
    bool fixedFieldsRead = false;
};

// Reads the fields of `line` from valueBegin (just after the tag, "QSO" or
// "X-QSO") into `qso`; the line must be in capitals and at most 65,535
// bytes long. On failure returns why.
std::optional<QsoLineProblem> ReadQsoFields(std::string_view line, std::size_t valueBegin,
                                            std::string_view tag, QsoLineCache& cache,
                                            CabrilloQso& qso);

// A text from the file as a reason quotes it: printable, in quotes.
std::string Quoted(std::string_view text);

}  // namespace zelk::logfile
