// The files that are no Cabrillo log: a log exported as ADIF, and a binary
// file.
#include <array>

#include "log_text.h"
#include "text_append.h"

namespace zelk::sim {
namespace {

struct BandName {
    int32_t edgeKHz;
    std::string_view name;
};
constexpr std::array kBandNames{
    BandName{1800, "160m"}, BandName{3500, "80m"},  BandName{7000, "40m"},
    BandName{10100, "30m"}, BandName{14000, "20m"}, BandName{18068, "17m"},
    BandName{21000, "15m"}, BandName{24890, "12m"}, BandName{28000, "10m"},
};

void AdifField(std::string& out, std::string_view name, std::string_view value) {
    out += '<';
    out += name;
    out += ':';
    AppendNumber(out, static_cast<uint32_t>(value.size()));
    out += '>';
    out += value;
    out += ' ';
}

}  // namespace

std::string WriteAdif(const Model& model, uint32_t station, const std::vector<uint32_t>& entries,
                      const ContestClock& clock) {
    std::string out = "ZELK contest log of " + model.stations[station].call +
                      ", exported by zelk-contest-sim\r\n";
    AdifField(out, "ADIF_VER", "3.1.4");
    AdifField(out, "PROGRAMID", kSimulatorCreatedBy);
    out += "<EOH>\r\n";
    for (uint32_t entry : entries) {
        const LineFields f = FieldsOf(model, entry);
        const int32_t minute = model.SideOf(entry).minute;
        std::string freq;
        AppendNumber(freq, static_cast<uint32_t>(f.freqKHz / 1000));
        freq += '.';
        AppendNumber(freq, static_cast<uint32_t>(f.freqKHz % 1000), 3);
        std::string sent, received;
        AppendNumber(sent, f.sentSerial, 3);
        sent += ' ';
        sent += f.ownCoordinate;
        AppendNumber(received, f.receivedSerial, 3);
        received += ' ';
        received += f.receivedCoordinate;
        AdifField(out, "CALL", f.call);
        AdifField(out, "QSO_DATE", clock.AdifDate(minute));
        AdifField(out, "TIME_ON", clock.Time(minute));
        for (const BandName& band : kBandNames) {
            if (band.edgeKHz == model.parameters.bandsKHz[model.contacts[entry >> 1].band]) {
                AdifField(out, "BAND", band.name);
            }
        }
        AdifField(out, "FREQ", freq);
        AdifField(out, "MODE", f.cw ? "CW" : "SSB");
        AdifField(out, "STX_STRING", sent);
        AdifField(out, "SRX_STRING", received);
        AdifField(out, "STATION_CALLSIGN", f.ownCall);
        out += "<EOR>\r\n";
    }
    return out;
}

std::string WriteBinaryFile(Random& random) {
    std::string bytes = "PK\x03\x04";
    const uint32_t size = 600 + random.Below(600);
    for (uint32_t i = 0; i < size; ++i) {
        bytes += static_cast<char>(random.Below(256));
    }
    return bytes;
}

}  // namespace zelk::sim
