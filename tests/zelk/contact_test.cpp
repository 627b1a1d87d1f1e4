// ADIF records turned into the host's AddData0 arguments: times, frequencies,
// calls, exchanges and group texts as a logger's user expects them.
#include "host/contact.h"
#include "logfile/bands.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>

namespace zelk::host {
namespace {

constexpr double kMay12th2024 = 45424.0;  // days since 1899-12-30

logfile::AdifRecord Record(const std::string& fields) {
    auto read = logfile::ReadAdif(fields + "<EOR>");
    EXPECT_TRUE(std::holds_alternative<logfile::AdifLog>(read)) << fields;
    return std::get<logfile::AdifLog>(read).records.at(0);
}

Contact Map(const std::string& fields, MappingOptions options = {}) {
    std::vector<logfile::AdifNote> warnings;
    auto mapped = MapRecord(Record(fields), 1, options, warnings);
    if (auto* skipped = std::get_if<logfile::AdifNote>(&mapped)) {
        ADD_FAILURE() << skipped->Describe();
        return {};
    }
    return std::get<Contact>(mapped);
}

TEST(ContactTime, IsTheOleDayCountOfDateAndTime) {
    struct Case {
        const char* date;
        const char* time;
        int32_t status;
        double value;
    };
    const Case cases[] = {
        {"20240512", "0812", kZelkDateTimeValid, kMay12th2024 + (8 * 3600 + 12 * 60) / 86400.0},
        {"20240512", "081230", kZelkDateTimeValid,
         kMay12th2024 + (8 * 3600 + 12 * 60 + 30) / 86400.0},
        {"20240512", "", kZelkDateTimeValid, kMay12th2024},
        {"18991230", "0000", kZelkDateTimeInvalid, 0.0},  // before the positive day counts
        {"19000101", "0000", kZelkDateTimeValid, 2.0},
        {"", "0812", kZelkDateTimeNull, 0.0},
        {"20240231", "0812", kZelkDateTimeInvalid, 0.0},
        {"20241301", "0812", kZelkDateTimeInvalid, 0.0},
        {"2024051", "0812", kZelkDateTimeInvalid, 0.0},
        {"2024O512", "0812", kZelkDateTimeInvalid, 0.0},
        {"20240512", "2412", kZelkDateTimeInvalid, 0.0},
        {"20240512", "0860", kZelkDateTimeInvalid, 0.0},
        {"20240512", "812", kZelkDateTimeInvalid, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        const ZelkOleDateTime time = ContactTime(c.date, c.time);
        EXPECT_EQ(time.m_status, c.status);
        EXPECT_EQ(time.m_dt, c.value);
    }
}

TEST(ContactTime, ContestDateOptionTakesOnlyRealDates) {
    ASSERT_TRUE(ParseIsoDate("2024-05-12"));
    EXPECT_EQ(ParseIsoDate("2024-05-12")->m_dt, kMay12th2024);
    for (const char* text : {"2024-02-30", "2024-5-12", "12.05.2024", "20240512", ""}) {
        EXPECT_FALSE(ParseIsoDate(text)) << text;
    }
}

TEST(Frequency, MegahertzBecomeWholeHertz) {
    struct Case {
        const char* megahertz;
        std::optional<uint64_t> hertz;
    };
    const Case cases[] = {
        {"14.025", 14'025'000u},
        {"3.5", 3'500'000u},
        {"7.0009999", 7'000'999u},
        {" 14.0255 ", 14'025'500u},
        {"0.475", 475'000u},
        {".5", 500'000u},
        {"14", 14'000'000u},
        {"4294.967295", 4'294'967'295u},
        {"4294.967296", 4'294'967'296u},
        {"10368.1", 10'368'100'000u},
        {"abc", std::nullopt},
        {"14,025", std::nullopt},
        {".", std::nullopt},
        {"-7", std::nullopt},
        {"1.2.3", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MegahertzToHertz(c.megahertz), c.hertz) << c.megahertz;
    }
}

TEST(MapRecord, TakesCallsReportsAndTimeFromTheirFields) {
    const Contact contact =
        Map("<STATION_CALLSIGN:5>R9TST<OPERATOR:5>R9OPR<CALL:5>UA1AA<QSO_DATE:8>20240512"
            "<TIME_ON:4>0812<FREQ:6>14.025<MODE:2>cw<RST_SENT:3>599<RST_RCVD:3>579");
    EXPECT_EQ(contact.ownCall, "R9TST");
    EXPECT_EQ(contact.call, "UA1AA");
    EXPECT_EQ(contact.time.m_status, kZelkDateTimeValid);
    EXPECT_EQ(contact.freqHz, 14'025'000u);
    EXPECT_EQ(contact.mode, "CW");  // ADIF modes carry no case
    EXPECT_EQ(contact.rstSent, "599");
    EXPECT_EQ(contact.rstRcvd, "579");
}

TEST(MapRecord, OwnCallFallsBackToOperatorThenToTheCallOption) {
    MappingOptions options;
    options.fallbackCall = "R9OPT";
    EXPECT_EQ(Map("<OPERATOR:5>R9OPR<CALL:2>AA", options).ownCall, "R9OPR");
    EXPECT_EQ(Map("<STATION_CALLSIGN:0><OPERATOR:5>R9OPR", options).ownCall, "R9OPR");
    EXPECT_EQ(Map("<CALL:2>AA", options).ownCall, "R9OPT");
}

TEST(MapRecord, SentExchangeIsTheSerialAndReceivedIsTakenAsWritten) {
    struct Case {
        const char* fields;
        const char* sent;
        const char* received;
    };
    const Case cases[] = {
        {"<STX:1>7<SRX:2>12", "007", "12"},
        {"<STX:4>1234<SRX_STRING:10>012 55N37O", "1234", "012 55N37O"},
        {"<STX:3>007", "007", ""},
        {"<STX_STRING:3>042<STX:1>7<SRX_STRING:8>1255N37O<SRX:2>12", "042", "1255N37O"},
        {"<STX_STRING:0><STX:1>7<SRX_STRING:0><SRX:2>12", "007", "12"},
        // The whole sent exchange in STX_STRING: only its serial is handed over.
        {"<STX_STRING:10>001 50N30O<STX:1>9", "001", ""},
        {"<STX_STRING:9>00150N30O", "001", ""},
        {"<STX_STRING:8>50N30O 7", "007", ""},
        {"<STX_STRING:6>50N30O<STX:1>7", "007", ""},
        {"<MODE:2>CW", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        const Contact contact = Map(c.fields);
        EXPECT_EQ(contact.exchSent, c.sent);
        EXPECT_EQ(contact.exchRcvd, c.received);
    }
}

TEST(MapRecord, GroupIsTheBandByItsLowerEdgeUnlessAFieldIsNamed) {
    struct Case {
        const char* fields;
        const char* groupField;
        const char* group;
        uint32_t freqHz;
    };
    const Case cases[] = {
        {"<FREQ:3>3.5<BAND:3>80m", "", "3", 3'500'000u},
        {"<FREQ:6>14.025", "", "14", 14'025'000u},
        {"<FREQ:5>0.475", "", "0", 475'000u},
        {"<BAND:3>20m", "", "14", 14'000'000u},  // the band's lower edge stands in
        {"<BAND:4>160M", "", "1", 1'800'000u},
        {"<BAND:3>9cm", "", "3300", 3'300'000'000u},
        {"<BAND:3>3CM", "", "10000", 0u},                 // above the host's hertz: 0 stands in
        {"<FREQ:7>10368.1<BAND:3>3cm", "", "10000", 0u},  // the 3 cm band's group
        {"<BAND:5>weird", "", "weird", 0u},
        {"<MODE:2>CW", "", "", 0u},
        {"<FREQ:6>14.025<MY_SECTION:2>Q1", "MY_SECTION", "Q1", 14'025'000u},
        {"<FREQ:6>14.025", "MY_SECTION", "", 14'025'000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        MappingOptions options;
        options.groupField = c.groupField;
        const Contact contact = Map(c.fields, options);
        EXPECT_EQ(contact.group, c.group);
        EXPECT_EQ(contact.freqHz, c.freqHz);
    }
}

// A value that cannot be used skips the contact; a substitute handed over, a
// field ignored or a coordinate that is not the station's is warned about.
TEST(MapRecord, SkipsOrWarnsNamingTheRecordFieldAndOffset) {
    struct Case {
        std::string fields;  // after "<CALL:5>UA1AA ", 14 bytes
        bool skipped;
        const char* field;  // of the skip or the only warning; empty: neither
        std::size_t offset;
        const char* message;  // part of it
    };
    const Case cases[] = {
        {"<FREQ:6>14,025", true, "FREQ", 14, "'14,025' is not a frequency in MHz"},
        {"<FREQ:5>14025", true, "FREQ", 14, "it looks like kHz"},
        {"<FREQ:7>7012000", true, "FREQ", 14, "it looks like Hz"},
        {"<STX:3>-05", true, "STX", 14, "'-05' is not a serial number"},
        {"<STX:4>-0\n5", true, "STX", 14, "'-0\\n5' is not a serial number"},
        {"<QSO_DATE:10>2024-05-12<TIME_ON:4>0800", true, "QSO_DATE", 14, "is not a date"},
        {"<QSO_DATE:8>20240512<TIME_ON:3>800", true, "TIME_ON", 34, "'800' is not a time"},
        {"<CALL:5>UA1AB", true, "CALL", 14, "given twice with different values"},
        {"<MODE>CW", true, "MODE", 14, "has no length"},
        {"<MY_SECTION:2>Q1<MY_SECTION:2>Q2", true, "MY_SECTION", 30, "given twice"},
        {"<COMMENT:1>a<COMMENT:1>b", false, "COMMENT", 26, "the contact is kept"},
        {"<FREQ:7>10368.1", false, "FREQ", 14,
         "scored in group 10000, handed to the plug-in as 0 Hz"},
        {"<FREQ:6>14.400", false, "FREQ", 14, "'14.400' MHz lies in no amateur band"},
        {"<BAND:5>weird", false, "BAND", 14, "'weird' is no ADIF band"},
        {"<STX_STRING:10>001 51N30O", false, "STX_STRING", 14,
         "sent coordinate 51N30O differs from the station's 50N30O, which the plug-in sends"},
        {"<FREQ:6>14.025<STX_STRING:10>001 50n30E", false, "", 0, ""},  // the station's place
    };
    MappingOptions options;
    options.groupField = "MY_SECTION";
    options.stationCoordinate = "50N30O";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        std::vector<logfile::AdifNote> warnings;
        auto mapped = MapRecord(Record("<CALL:5>UA1AA " + c.fields), 4, options, warnings);
        ASSERT_EQ(std::holds_alternative<logfile::AdifNote>(mapped), c.skipped);
        ASSERT_EQ(warnings.size(), c.skipped || *c.field == '\0' ? 0u : 1u);
        if (*c.field != '\0') {
            const logfile::AdifNote& note =
                c.skipped ? std::get<logfile::AdifNote>(mapped) : warnings[0];
            EXPECT_EQ(note.record, 4u);
            EXPECT_EQ(note.field, c.field);
            EXPECT_EQ(note.offset, c.offset);
            EXPECT_NE(note.message.find(c.message), std::string::npos) << note.message;
        }
    }
}

TEST(CoordinateText, IsWhatThePlugInBuildsFromTheFallbackDegrees) {
    EXPECT_EQ(CoordinateText(55.9, 37.6), "55N37O");
    EXPECT_EQ(CoordinateText(-33.7, -70.2), "33S70W");
    EXPECT_EQ(CoordinateText(-0.5, 0.0), "0N0O");  // toward zero, then no sign
    EXPECT_EQ(CoordinateText(std::nan(""), 1e12), "0N2147483647O");
}

// The ADIF band enumeration, with the edges as it writes them in MHz.
TEST(Bands, HoldTheWholeAdifEnumerationWithItsEdges) {
    const std::array<std::array<const char*, 3>, 33> bands{{
        {"2190m", ".1357", ".1378"}, {"630m", ".472", ".479"},    {"560m", ".501", ".504"},
        {"160m", "1.8", "2.0"},      {"80m", "3.5", "4.0"},       {"60m", "5.06", "5.45"},
        {"40m", "7.0", "7.3"},       {"30m", "10.1", "10.15"},    {"20m", "14.0", "14.35"},
        {"17m", "18.068", "18.168"}, {"15m", "21.0", "21.45"},    {"12m", "24.890", "24.99"},
        {"10m", "28.0", "29.7"},     {"8m", "40", "45"},          {"6m", "50", "54"},
        {"5m", "54.000001", "69.9"}, {"4m", "70", "71"},          {"2m", "144", "148"},
        {"1.25m", "222", "225"},     {"70cm", "420", "450"},      {"33cm", "902", "928"},
        {"23cm", "1240", "1300"},    {"13cm", "2300", "2450"},    {"9cm", "3300", "3500"},
        {"6cm", "5650", "5925"},     {"3cm", "10000", "10500"},   {"1.25cm", "24000", "24250"},
        {"6mm", "47000", "47200"},   {"4mm", "75500", "81000"},   {"2.5mm", "119980", "123000"},
        {"2mm", "134000", "149000"}, {"1mm", "241000", "250000"}, {"submm", "300000", "7500000"},
    }};
    for (const auto& [name, lower, upper] : bands) {
        SCOPED_TRACE(name);
        const logfile::Band* band = logfile::BandNamed(name);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->lowerHz, MegahertzToHertz(lower));
        EXPECT_EQ(band->upperHz, MegahertzToHertz(upper));
        EXPECT_EQ(logfile::BandOf(band->lowerHz), band);
        EXPECT_EQ(logfile::BandOf(band->upperHz), band);
    }
    EXPECT_EQ(logfile::BandNamed(" 9CM "), logfile::BandNamed("9cm"));
    EXPECT_EQ(logfile::BandNamed("11m"), nullptr);
    EXPECT_EQ(logfile::BandOf(14'400'000), nullptr);
}

}  // namespace
}  // namespace zelk::host
