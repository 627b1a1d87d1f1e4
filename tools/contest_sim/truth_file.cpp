// The truth file and the names of the statuses.
#include <cstdio>

#include "simulator.h"

namespace zelk::sim {

std::string_view StatusName(LineStatus status) {
    switch (status) {
        case LineStatus::Confirmed:
            return "confirmed";
        case LineStatus::PartnerBustedCall:
            return "partner_busted_call";
        case LineStatus::NoLogCredited:
            return "no_log_credited";
        case LineStatus::BustedExchange:
            return "busted_exchange";
        case LineStatus::BustedCall:
            return "busted_call";
        case LineStatus::Nil:
            return "nil";
        case LineStatus::Unique:
            return "unique";
        case LineStatus::Dupe:
            return "dupe";
        case LineStatus::NotCw:
            return "not_cw";
        case LineStatus::XQso:
            return "x_qso";
        case LineStatus::OutOfPeriod:
            return "out_of_period";
        case LineStatus::OtherBand:
            return "other_band";
        case LineStatus::Unreadable:
            return "unreadable";
        case LineStatus::OutOfBand:
            return "out_of_band";
    }
    return "?";
}

std::string_view StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::Read:
            return "read";
        case FileStatus::NotRead:
            return "not_read";
        case FileStatus::Superseded:
            return "superseded";
    }
    return "?";
}

std::string CommandLine(const SimulationParameters& p) {
    const FaultCounts& f = p.faults;
    std::string bands;
    for (int kHz : p.bandsKHz) {
        std::string mhz = std::to_string(kHz / 1000);
        if (kHz % 1000 != 0) {
            std::string fraction = std::to_string(1000 + kHz % 1000).substr(1);
            fraction.erase(fraction.find_last_not_of('0') + 1);
            mhz += "." + fraction;
        }
        bands += (bands.empty() ? "" : ",") + mhz;
    }
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", p.startYear, p.startMonth, p.startDay);
    std::string line = "zelk-contest-sim --seed " + std::to_string(p.seed);
    auto option = [&line](std::string_view name, const std::string& value) {
        line += " --";
        line += name;
        line += ' ';
        line += value;
    };
    option("stations", std::to_string(p.stations));
    option("logs", std::to_string(p.logs));
    option("qsos", std::to_string(p.contactsPerStation));
    option("bands", bands);
    option("start-date", date);
    option("start-hour", std::to_string(p.startHour));
    option("hours", std::to_string(p.lengthHours));
    option("time-window", std::to_string(p.timeWindowMinutes));
    option("min-appearances", std::to_string(p.minAppearances));
    option("busted-calls", std::to_string(f.bustedCalls));
    option("busted-serials", std::to_string(f.bustedSerials));
    option("busted-coordinates", std::to_string(f.bustedCoordinates));
    option("nils", std::to_string(f.nils));
    option("dupes", std::to_string(f.dupes));
    option("one-sided-dupes", std::to_string(f.oneSidedDupes));
    option("unique-stations", std::to_string(f.uniqueStations));
    option("not-cabrillo", std::to_string(f.notCabrillo));
    option("resubmissions", std::to_string(f.resubmissions));
    option("x-qsos", std::to_string(f.xQsos));
    option("not-cw", std::to_string(f.nonCwContacts));
    option("nil-penalty", std::to_string(p.nilPenalty));
    option("period-start", std::to_string(p.periodStartMinute));
    option("period-end", std::to_string(PeriodEnd(p)));
    option("out-of-period", std::to_string(f.outOfPeriod));
    option("one-side-out-of-period", std::to_string(f.oneSideOutOfPeriod));
    option("check-logs", std::to_string(f.checkLogs));
    option("single-band-entries", std::to_string(f.singleBandEntries));
    option("multi-op-entries", std::to_string(f.multiOpEntries));
    option("qrp-entries", std::to_string(f.qrpEntries));
    option("mixed-case-categories", std::to_string(f.mixedCaseCategories));
    option("missing-categories", std::to_string(f.missingCategories));
    option("unknown-categories", std::to_string(f.unknownCategories));
    option("clocks-hour-off", std::to_string(f.clocksHourOff));
    option("clocks-minutes-off", std::to_string(f.clocksMinutesOff));
    option("clocks-within-window", std::to_string(f.clocksWithinWindow));
    option("other-contest-logs", std::to_string(f.otherContestLogs));
    option("misnamed-logs", std::to_string(f.misnamedLogs));
    option("unreadable-received", std::to_string(f.unreadableReceived));
    option("unreadable-sent", std::to_string(f.unreadableSent));
    option("unreadable-x-qsos", std::to_string(f.unreadableXQsos));
    option("unreadable-times", std::to_string(f.unreadableTimes));
    option("out-of-band", std::to_string(f.outOfBand));
    option("portable-calls", std::to_string(f.portableCalls));
    option("busted-call-exchanges", std::to_string(f.bustedCallExchanges));
    option("no-log-dissents", std::to_string(f.noLogDissents));
    option("no-log-splits", std::to_string(f.noLogSplits));
    option("near-call-claims", std::to_string(f.nearCallClaims));
    option("newer-without-contest", std::to_string(f.newerWithoutContest));
    option("symmetric-clock-pairs", std::to_string(f.symmetricClockPairs));
    option("cabrillo2-headers", std::to_string(f.cabrillo2Headers));
    return line;
}

std::string TruthTsv(const SimulatedContest& contest) {
    std::string out = "# " + CommandLine(contest.parameters) + "\nfile\tline\tcall\tstatus\tnote\n";
    out.reserve(out.size() + contest.truth.size() * 40);
    for (const TruthLine& line : contest.truth) {
        const SubmittedFile& file = contest.files[line.file];
        out += file.name;
        out += '\t';
        out += std::to_string(line.line);
        out += '\t';
        out += file.call;
        out += '\t';
        out += StatusName(line.status);
        out += '\t';
        out += line.note;
        out += '\n';
    }
    for (const SubmittedFile& file : contest.files) {
        if (file.status != FileStatus::Read) {
            out += file.name + "\t\t" + file.call + '\t' + std::string(StatusName(file.status)) +
                   '\t' + file.note + '\n';
        }
    }
    for (const EntrantTruth& entrant : contest.entrants) {
        const SubmittedFile& file = contest.files[entrant.file];
        out += file.name + "\t\t" + file.call + "\tentrant\t" + entrant.note;
        for (const std::string* value : {&entrant.categoryOperator, &entrant.categoryBand,
                                         &entrant.categoryPower, &entrant.categoryTransmitter}) {
            out += '\t';
            out += *value;
        }
        out += '\t' + std::to_string(entrant.checkedScore) + '\t' +
               (entrant.categoryPlace != 0 ? std::to_string(entrant.categoryPlace) : "") + '\t' +
               std::to_string(entrant.clockOffsetMinutes) + '\t' +
               std::to_string(entrant.unreadableLines) + '\n';
    }
    return out;
}

}  // namespace zelk::sim
