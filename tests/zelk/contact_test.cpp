// ADIF records turned into the host's AddData0 arguments: times, frequencies,
// calls, exchanges and group texts as a logger's user expects them.
#include "contact.h"

#include <gtest/gtest.h>

#include <optional>

namespace zelk::host {
namespace {

constexpr double kMay12th2024 = 45424.0;  // days since 1899-12-30

AdifRecord Record(const std::string& fields) {
    auto read = ReadAdif(fields + "<EOR>");
    EXPECT_TRUE(std::holds_alternative<AdifLog>(read)) << fields;
    return std::get<AdifLog>(read).records.at(0);
}

Contact Map(const std::string& fields, MappingOptions options = {}) {
    auto mapped = MapRecord(Record(fields), 1, options);
    if (auto* error = std::get_if<AdifError>(&mapped)) {
        ADD_FAILURE() << error->Describe();
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
        std::optional<uint32_t> hertz;
    };
    const Case cases[] = {
        {"14.025", 14'025'000u},       {"3.5", 3'500'000u},
        {"7.0009999", 7'000'999u},     {" 14.0255 ", 14'025'500u},
        {"0.475", 475'000u},           {".5", 500'000u},
        {"14", 14'000'000u},           {"4294.967295", 4'294'967'295u},
        {"4294.967296", std::nullopt}, {"10368.1", std::nullopt},
        {"abc", std::nullopt},         {"14,025", std::nullopt},
        {".", std::nullopt},           {"-7", std::nullopt},
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
        {"<MODE:2>CW", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        const Contact contact = Map(c.fields);
        EXPECT_EQ(contact.exchSent, c.sent);
        EXPECT_EQ(contact.exchRcvd, c.received);
    }
}

TEST(MapRecord, GroupIsTheWholeMegahertzOfTheBandUnlessAFieldIsNamed) {
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

TEST(MapRecord, RefusesValuesTheHostCannotTakeAtTheirField) {
    const AdifRecord record = Record("<CALL:5>UA1AA<FREQ:6>14,025");
    auto mapped = MapRecord(record, 4, {});
    ASSERT_TRUE(std::holds_alternative<AdifError>(mapped));
    const AdifError& error = std::get<AdifError>(mapped);
    EXPECT_EQ(error.record, 4u);
    EXPECT_EQ(error.offset, 13u);
    EXPECT_NE(error.message.find("FREQ '14,025'"), std::string::npos) << error.message;

    auto serial = MapRecord(Record("<STX:3>1a2"), 1, {});
    ASSERT_TRUE(std::holds_alternative<AdifError>(serial));
    EXPECT_NE(std::get<AdifError>(serial).message.find("STX"), std::string::npos);
}

}  // namespace
}  // namespace zelk::host
