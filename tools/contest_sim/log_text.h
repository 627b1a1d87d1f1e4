// The files entrants send: a Cabrillo log in one of the styles loggers write,
// and the two kinds of file that are not a Cabrillo log (an ADIF export and
// a binary file).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contest_model.h"
#include "random.h"

namespace zelk::sim {

struct WriterStyle {
    enum class Layout : uint8_t {
        PluginColumns,  // exactly the plug-in's own writer: fixed columns, CR LF
        Blanks,         // one blank between fields
        Tabs,           // one tab between fields
    };
    Layout layout = Layout::PluginColumns;
    bool signalReport = false;     // "599 001 55N37O"
    bool unpaddedSerials = false;  // "1" instead of "001"
    bool typedExchange = false;    // the received exchange in one piece: "1255N37O"
    bool lowerCaseLf = false;      // lower-case tags, LF line ends
    bool headerExtras = false;     // repeated ADDRESS and SOAPBOX lines, an X- tag
};

// The style of the `ordinal`-th entrant: every fourth writes as the plug-in
// does; the others each show one feature for sure (in turn, so that a few
// logs show them all) and the rest by chance.
WriterStyle ChooseStyle(Random& random, uint32_t ordinal);

// "<CALL><suffix>.cbr" for the plug-in's layout, else ".log", lower case
// with the lower-case style; characters not allowed in file names become "_".
std::string LogFileName(std::string_view call, const WriterStyle& style,
                        std::string_view suffix = "");

// Dates and times of the minutes after the contest start.
class ContestClock {
  public:
    explicit ContestClock(const SimulationParameters& parameters);
    std::string_view Date(int32_t minute) const;  // "2024-05-12"
    std::string_view Time(int32_t minute) const;  // "0602"
    std::string AdifDate(int32_t minute) const;   // "20240512"
    int64_t UnixTime(int32_t minute) const;       // seconds since 1970-01-01

  private:
    int32_t m_startMinuteOfDay = 0;
    int64_t m_startDay = 0;  // days since 1970-01-01
    std::vector<std::string> m_dates;
    std::vector<std::string> m_times;
};

// The Cabrillo file of `station` holding `entries` (contact * 2 + side, in
// log order); lineNumbers receives the 1-based line of each entry.
std::string WriteCabrillo(const Model& model, uint32_t station,
                          const std::vector<uint32_t>& entries, const WriterStyle& style,
                          int64_t claimedScore, const ContestClock& clock,
                          std::vector<uint32_t>& lineNumbers);

// The same log exported as ADIF, as a logger exports it.
std::string WriteAdif(const Model& model, uint32_t station, const std::vector<uint32_t>& entries,
                      const ContestClock& clock);

// A compressed archive's worth of bytes: a zip signature and noise.
std::string WriteBinaryFile(Random& random);

}  // namespace zelk::sim
