// The files entrants send: a Cabrillo log in one of the styles loggers write
// (log_text.cpp), a log of another contest, and the two kinds of file that
// are not a Cabrillo log (an ADIF export and a binary file: adif_export.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contest_clock.h"
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

inline constexpr std::string_view kSimulatorCreatedBy = "zelk-contest-sim";
inline constexpr std::string_view kOtherContest = "CQ-WW-CW";  // the contest some logs are of

// What one log line says, taken from the model.
struct LineFields {
    int32_t freqKHz;
    std::string_view mode;
    std::string_view ownCall;
    uint32_t sentSerial;
    std::string ownCoordinate;  // as written: it may have lost a letter (Broken)
    std::string_view call;
    uint32_t receivedSerial;
    std::string receivedCoordinate;
    bool cw;
    bool xQso;
};
LineFields FieldsOf(const Model& model, uint32_t entry);

// The Cabrillo file of `station` holding `entries` (contact * 2 + side, in
// log order), with the CONTEST: line `contest` gives; lineNumbers receives
// the 1-based line of each entry.
std::string WriteCabrillo(const Model& model, uint32_t station,
                          const std::vector<uint32_t>& entries, const WriterStyle& style,
                          ContestTag contest, int64_t claimedScore, const ContestClock& clock,
                          std::vector<uint32_t>& lineNumbers);

// A log of another contest a fortnight before (kOtherContest: signal report
// and zone), as the entrant's logger writes it: the file an entrant sends by
// mistake.
std::string WriteOtherContestLog(const Model& model, uint32_t station, const WriterStyle& style,
                                 const ContestClock& clock, Random& random);

// The same log exported as ADIF, as a logger exports it.
std::string WriteAdif(const Model& model, uint32_t station, const std::vector<uint32_t>& entries,
                      const ContestClock& clock);

// A compressed archive's worth of bytes: a zip signature and noise.
std::string WriteBinaryFile(Random& random);

}  // namespace zelk::sim
