// The Cabrillo reader on our own writer's lines, on logs written the way other
// loggers write them (fixtures/cabrillo/), on lines it must list as unreadable
// with their number and reason, and on files that are no Cabrillo log; and
// the band table the checker compares bands with.
#include "logfile/cabrillo_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cabrillo/cabrillo_log.h"
#include "log/intake.h"
#include "text/text.h"

namespace zelk::host {
namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(ZELK_TEST_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_TRUE(in.good()) << name;
    return bytes.str();
}

logfile::CabrilloLog Read(std::string_view bytes) {
    auto result = logfile::ReadCabrillo(bytes);
    if (auto* notRead = std::get_if<logfile::NotCabrillo>(&result)) {
        ADD_FAILURE() << "not read: " << notRead->reason;
        return {};
    }
    return std::get<logfile::CabrilloLog>(std::move(result));
}

// One QSO in the terms a checker uses.
struct Expected {
    uint32_t line;
    uint32_t freqKHz;
    std::string_view band;  // ADIF band name; empty: none
    std::string_view designator;
    logfile::CabrilloMode mode;
    std::string_view ownCall, sentReport, sentSerialText, sentNormalised;
    std::string_view call, receivedReport, receivedSerialText, receivedNormalised;
    uint32_t sentSerial, receivedSerial;
    int transmitter;
    bool xQso;
};

void ExpectQso(const logfile::CabrilloQso& q, const Expected& e) {
    SCOPED_TRACE("line " + std::to_string(e.line) + ": " + std::string(q.line));
    EXPECT_EQ(q.lineNumber, e.line);
    EXPECT_EQ(q.freqKHz, e.freqKHz);
    EXPECT_EQ(q.band == logfile::kNoBand ? std::string_view() : logfile::Bands()[q.band].name,
              e.band);
    EXPECT_EQ(q.BandDesignator(), e.designator);
    EXPECT_EQ(q.mode, e.mode);
    EXPECT_EQ(q.OwnCall(), e.ownCall);
    EXPECT_EQ(q.Text(q.sent.report), e.sentReport);
    EXPECT_EQ(q.Text(q.sent.serialText), e.sentSerialText);
    EXPECT_EQ(q.sent.serial, e.sentSerial);
    EXPECT_EQ(q.Normalised(q.sent), e.sentNormalised);
    EXPECT_EQ(q.Call(), e.call);
    EXPECT_EQ(q.Text(q.received.report), e.receivedReport);
    EXPECT_EQ(q.Text(q.received.serialText), e.receivedSerialText);
    EXPECT_EQ(q.received.serial, e.receivedSerial);
    EXPECT_EQ(q.Normalised(q.received), e.receivedNormalised);
    EXPECT_EQ(q.transmitter, e.transmitter);
    EXPECT_EQ(q.xQso, e.xQso);
}

constexpr auto CW = logfile::CabrilloMode::kCw;

TEST(CabrilloReader, ReadsTheSampleFileOfTheReadmeAsOurWriterWritesIt) {
    const logfile::CabrilloLog log = Read(Fixture("readme-sample.cbr"));
    EXPECT_EQ(log.startLine, 1u);
    EXPECT_EQ(log.endLine, 22u);
    EXPECT_TRUE(log.unreadable.empty());
    EXPECT_EQ(log.Callsign(), "R3ZLK");
    EXPECT_EQ(log.Contest(), "ZELK");
    EXPECT_EQ(log.Category("OPERATOR"), "SINGLE-OP");
    EXPECT_EQ(log.Category("TRANSMITTER"), "ONE");
    EXPECT_EQ(log.ClaimedScore(), 15475);
    EXPECT_EQ(log.CreatedBy(), "Vexa");
    EXPECT_EQ(log.Operators(), std::vector<std::string_view>{"R3ZLK"});
    EXPECT_EQ(log.tags.size(), 20u);  // 19 header lines and END-OF-LOG
    ASSERT_EQ(log.qsos.size(), 2u);
    ExpectQso(log.qsos[0], {20, 3514, "80M", "", CW, "R3ZLK", "", "001", "001 55N37O", "RW1AMG", "",
                            "020", "020 65N25O", 1, 20, -1, false});
    EXPECT_EQ(log.qsos[1].minutes - log.qsos[0].minutes, 1);
    EXPECT_EQ(log.qsos[0].minutes % 1440, 6 * 60 + 2);
    EXPECT_EQ(log.qsos[0].Group(), "3");
    EXPECT_EQ(log.qsos[0].line.substr(0, 21), "QSO:  3514 CW 2024-05");
}

TEST(CabrilloReader, ReadsBackTheQsoLinesOfOurWriter) {
    // Contacts as the host hands them in; the plug-in normalises the
    // received exchange and adds the station coordinate to the sent one.
    struct Row {
        int32_t freqKHz;
        std::string_view typedReceived;
        std::string_view report, serialText;
        uint32_t serial;
        std::string_view normalised;
    };
    const Row rows[] = {
        {3514, "1255N37O", "", "012", 12, "012 55N37O"},
        {144050, "020 65N25O", "", "020", 20, "020 65N25O"},
        {1850, "599 7 70N20O", "599", "7", 7, "007 70N20O"},
        {28000, "00766S10W", "", "007", 7, "007 66S10W"},
    };
    CCabrilloLog writer;
    writer.m_strCallsign = "UA3ABC";
    for (const Row& row : rows) {
        writer.AddQsoLine("DL1AA", row.freqKHz, "CW", {45424.25, DateTimeStatus::Valid},
                          "001 50N30O", NormaliseReceivedExchange(row.typedReceived));
    }
    std::string file = "START-OF-LOG: 3.0\r\n";
    for (const std::string& line : writer.m_arrQsoLines) {
        file += line;
    }
    file += "END-OF-LOG:\r\n";
    const logfile::CabrilloLog log = Read(file);
    EXPECT_TRUE(log.unreadable.empty()) << log.unreadable[0].Describe();
    ASSERT_EQ(log.qsos.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const logfile::CabrilloQso& q = log.qsos[i];
        SCOPED_TRACE(q.line);
        EXPECT_EQ(q.freqKHz, static_cast<uint32_t>(rows[i].freqKHz));
        EXPECT_EQ(q.Text(q.date), "2024-05-12");
        EXPECT_EQ(q.Text(q.time), "0600");
        EXPECT_EQ(q.Normalised(q.sent), "001 50N30O");
        EXPECT_EQ(q.Text(q.received.report), rows[i].report);
        EXPECT_EQ(q.Text(q.received.serialText), rows[i].serialText);
        EXPECT_EQ(q.received.serial, rows[i].serial);
        EXPECT_EQ(q.Normalised(q.received), rows[i].normalised);
    }
    EXPECT_EQ(log.qsos[3].received.latitude, 66);  // as the plug-in scores it
    EXPECT_EQ(log.qsos[3].received.longitude, 10);
}

TEST(CabrilloReader, ReadsWhatOtherLoggersWrite) {
    const logfile::CabrilloLog log = Read(Fixture("other-loggers.log"));
    // The QSO line after end-of-log: is listed, not read.
    ASSERT_EQ(log.unreadable.size(), 1u);
    EXPECT_EQ(log.unreadable[0].line, 29u);
    EXPECT_EQ(log.unreadable[0].kind, logfile::UnreadableKind::kAfterEnd);
    EXPECT_EQ(log.startLine, 6u);
    EXPECT_EQ(log.endLine, 28u);
    EXPECT_EQ(log.Callsign(), "UA9XYZ");
    EXPECT_EQ(log.Location(), "RU");
    EXPECT_EQ(log.Values("SOAPBOX"), (std::vector<std::string_view>{"First line", "Second line"}));
    EXPECT_EQ(log.Values("ADDRESS"), (std::vector<std::string_view>{"Lenina 1", "Omsk"}));
    EXPECT_EQ(log.Operators(), (std::vector<std::string_view>{"UA9XYZ", "RA9AAA", "@UA9ZZZ"}));
    ASSERT_GE(log.tags.size(), 5u);
    EXPECT_EQ(log.tags[4].name, "X-LOGGER-NOTE");
    EXPECT_EQ(log.tags[4].value, "exported for a test");
    EXPECT_EQ(log.tags[4].line, 10u);
    EXPECT_EQ(log.tags.back().name, "END-OF-LOG");

    const Expected expected[] = {
        {20, 3514, "80M", "", CW, "UA9XYZ", "599", "001", "001 55N73O", "RW1AMG", "599", "020",
         "020 65N25O", 1, 20, -1, false},
        {21, 7012, "40M", "", CW, "UA9XYZ", "599", "12", "012 55N73O", "RW1AMG", "599", "21",
         "021 65N25O", 12, 21, 1, false},
        {22, 14025, "20M", "", CW, "UA9XYZ", "", "3", "003 55N73O", "ZELK", "", "007", "007 66S10W",
         3, 7, 0, false},
        {23, 0, "2M", "144", CW, "UA9XYZ", "", "004", "004 55N73O", "RA3BBB", "", "5", "005 56N38O",
         4, 5, -1, false},
        {24, 0, "23CM", "1.2G", CW, "UA9XYZ", "", "005", "005 55N73O", "RA3BBB", "", "12345",
         "12345 56N38O", 5, 12345, -1, false},
        {25, 0, "SUBMM", "LIGHT", CW, "UA9XYZ", "", "6", "6 5N73O", "RA3BBB", "", "007",
         "007 56N38O", 6, 7, -1, false},
        {26, 3520, "80M", "", CW, "UA9XYZ", "", "007", "007 55N73O", "RA3CCC", "", "030",
         "030 57N39O", 7, 30, -1, true},
        {27, 3520, "80M", "", logfile::CabrilloMode::kPhone, "UA9XYZ", "59", "008", "008 55N73O",
         "RA3CCC", "59", "031", "031 57N39O", 8, 31, -1, false},
    };
    ASSERT_EQ(log.qsos.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        ExpectQso(log.qsos[i], expected[i]);
    }
    EXPECT_EQ(log.qsos[2].Group(), "14");
    EXPECT_EQ(log.qsos[4].Group(), "1240");
    // 2359 on the 12th and 0000 on the 13th are one minute apart.
    EXPECT_EQ(log.qsos[6].minutes - log.qsos[5].minutes, 1);
}

TEST(CabrilloReader, EveryLineEndGivesTheSameLinesAndNumbers) {
    const std::string lines[] = {"START-OF-LOG: 3.0", "CALLSIGN: R3ZLK", "",
                                 "QSO: 3514 CW 2024-05-12 0602 R3ZLK 001 55N37O RW1AMG 020 65N25O",
                                 "END-OF-LOG:"};
    for (std::string_view end : {"\r\n", "\n", "\r"}) {
        for (bool finalEnd : {true, false}) {
            std::string file;
            for (const std::string& line : lines) {
                file += line;
                file += line == lines[4] && !finalEnd ? "" : end;
            }
            SCOPED_TRACE(Printable(file, 200));
            const logfile::CabrilloLog log = Read(file);
            ASSERT_EQ(log.qsos.size(), 1u);
            EXPECT_EQ(log.qsos[0].lineNumber, 4u);
            EXPECT_EQ(log.qsos[0].line, lines[3]);
            EXPECT_EQ(log.tags[1].value, "R3ZLK");
            EXPECT_EQ(log.endLine, 5u);
        }
    }
}

TEST(CabrilloReader, ListsEveryLineItCannotReadWithItsNumberAndWhy) {
    const logfile::CabrilloLog log = Read(Fixture("unreadable-lines.log"));
    const std::pair<uint32_t, std::string_view> expected[] = {
        {4,
         "QSO: has 6 fields, a QSO needs at least 8 (frequency, mode, date, time, call, "
         "exchange, call, exchange)"},
        {5, "frequency '80M' is neither kHz nor a band designator (50, 70, 144,"},
        {6, "mode 'SSB' is not CW, PH, FM, RY or DG"},
        {7, "date '2024-02-30' is not a date yyyy-mm-dd"},
        {8, "time '2460' is not a time hhmm"},
        {9, "sent exchange '599 001 RW1AMG 599 020 65N25O' is not [report] serial coordinate"},
        {10, "no coordinate (degrees, N or S, degrees, O or W) after the call 'RW1AMG'"},
        {11, "call '020' after the sent exchange has no letter"},
        {12, "sent exchange '55N73O' has no serial number"},
        {13, "received exchange '1234565N25O' does not split into serial and coordinate"},
        {14, "sent exchange 'A01 55N73O' has the serial 'A01', which is not a number"},
        {15, "sent exchange '1234567 55N73O' has a serial of more than six digits"},
        {16, "sent exchange '001 55N1234O' has a longitude of more than three digits"},
        {17, "sent exchange '001 X55N73O' ends in 'X55N73O', which is not degrees, N or S"},
        {18, "'2' after the received exchange; only a transmitter id (0 or 1) may follow it"},
        {19, "frequency '0' is no frequency"},
        {20, "X-QSO: has 3 fields, a QSO needs at least 8"},
        {21, "own call '599' has no letter"},
        {22,
         "sent exchange 'RW1AMG 001 55N73O' has 'RW1AMG' where a signal report or serial "
         "belongs"},
        {23, "no tag: a Cabrillo line is TAG: value, not 'this line has no tag'"},
        {24, "a second START-OF-LOG: inside the log (the first is on line 2)"},
    };
    ASSERT_EQ(log.unreadable.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(log.unreadable[i].line, expected[i].first);
        EXPECT_TRUE(log.unreadable[i].reason.starts_with(expected[i].second))
            << log.unreadable[i].Describe();
    }
    ASSERT_EQ(log.qsos.size(), 1u);
    EXPECT_EQ(log.qsos[0].lineNumber, 25u);
}

TEST(CabrilloReader, QuotesWhatItCannotReadPrintablyAndRefusesHugeLines) {
    using namespace std::string_literals;
    const std::string tail = " 2024-05-12 0602 R3ZLK 1 55N37O RW1AMG 2 65N25O\n";
    const std::string huge = "QSO: 3514 CW 2024-05-12 0602 R3ZLK " + std::string(70000, '1');
    const logfile::CabrilloLog log =
        Read("START-OF-LOG: 3.0\nQSO: 3514 C\0"s + tail + "QSO: 3514 \xD0\x9A" + tail +
             "QSO: 3514 CW 2024-05-12 0602 " + std::string(50, 'W') + " 001 RW1AMG 002 003\n" +
             huge + "\nSOAPBOX: a zero \0 byte in a header value is kept\n"s);
    ASSERT_EQ(log.unreadable.size(), 4u);
    EXPECT_EQ(log.unreadable[0].Describe(),
              "line 2: the control byte \\x00 in column 12; a QSO line holds only text");
    EXPECT_EQ(log.unreadable[1].reason, "mode '\xD0\x9A' is not CW, PH, FM, RY or DG");
    // Without a coordinate the exchange is another contest's.
    EXPECT_EQ(log.unreadable[2].reason,
              "no ZELK exchange: no coordinate in '001 RW1AMG 002 003' after the own call '" +
                  std::string(40, 'W') + "...'");
    EXPECT_EQ(log.unreadable[3].reason,
              "QSO: the line is 70035 bytes long; a QSO line has at most 65535");
    EXPECT_EQ(log.Values("SOAPBOX")[0].size(), 39u);
}

TEST(CabrilloReader, TellsWhyAFileIsNoCabrilloLog) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string_view> cases[] = {
        {"", "the file is empty"},
        {" \r\n\t\n", "the file is empty"},
        {"\x7F"
         "ELF\x02\x01\x01\0\0"s,
         "the file holds binary data (a zero byte at byte 7)"},
        {"\xFF\xFES\0T\0"s, "the file is UTF-16 text"},
        {"S\0T\0A\0R\0T\0-\0O\0F\0-\0L\0O\0G\0:\0"s,
         "the file is UTF-16 text; a Cabrillo log is plain text (ASCII) (it has no byte order"},
        {Fixture("../small.adi"), "the file is an ADIF log"},
        {"QSO: 3514 CW 2024-05-12 0602 R3ZLK 001 55N37O RW1AMG 020 65N25O\n",
         "the file has no START-OF-LOG: line"},
    };
    for (const auto& [bytes, reason] : cases) {
        auto result = logfile::ReadCabrillo(bytes);
        ASSERT_TRUE(std::holds_alternative<logfile::NotCabrillo>(result)) << Printable(bytes);
        EXPECT_TRUE(std::get<logfile::NotCabrillo>(result).reason.starts_with(reason))
            << std::get<logfile::NotCabrillo>(result).reason;
    }
    // A log without QSO lines is still a log.
    EXPECT_TRUE(
        std::holds_alternative<logfile::CabrilloLog>(logfile::ReadCabrillo("START-OF-LOG: 3.0\n")));
}

TEST(Bands, SameBandWholeMegahertzAndDesignators) {
    const std::tuple<uint64_t, uint64_t, bool> pairs[] = {
        {3514, 3580, true},   {7000, 7100, true},    {7000, 14000, false}, {3450, 3450, false},
        {50100, 53999, true}, {54000, 54001, false}, {1850, 2000, true},   {144050, 432100, false},
    };
    for (const auto& [a, b, same] : pairs) {
        EXPECT_EQ(logfile::SameBand(a, b), same) << a << " " << b;
    }
    EXPECT_EQ(logfile::BandGroup(3514), "3");
    EXPECT_EQ(logfile::BandGroup(144050), "144");
    EXPECT_EQ(logfile::BandOfDesignator("light"), logfile::BandOfName("submm"));
    EXPECT_EQ(logfile::Bands()[logfile::BandOfDesignator("1.2G")].lowerHz, 1240000000u);
    EXPECT_EQ(logfile::BandOfDesignator("3500"), logfile::kNoBand);
    EXPECT_EQ(logfile::BandOfKHz(7500000000), logfile::BandOfName("SUBMM"));
    EXPECT_EQ(logfile::Bands()[logfile::BandOfName("20m")].upperHz, 14350000u);
}

TEST(CabrilloReader, EachLineHasTheBandOfItsOwnFrequency) {
    // The reader remembers the last line's band: a line in no band, or in
    // another band, between two of one band must not take or leave it.
    const uint32_t frequencies[] = {7001,  353,  7008, 7010, 29701, 29699, 28000,
                                    14000, 3450, 3500, 7000, 7300,  7301,  7000};
    std::string log = "START-OF-LOG: 3.0\nCALLSIGN: R3ZLK\n";
    for (const uint32_t kHz : frequencies) {
        log +=
            "QSO: " + std::to_string(kHz) + " CW 2024-05-11 1200 R3ZLK 1 55N37O RW1AMG 2 65N25O\n";
    }
    log += "END-OF-LOG:\n";
    const logfile::CabrilloLog read = Read(log);
    ASSERT_EQ(read.qsos.size(), std::size(frequencies));
    for (const logfile::CabrilloQso& qso : read.qsos) {
        EXPECT_EQ(qso.band, logfile::BandOfKHz(qso.freqKHz))
            << qso.lineNumber << " " << qso.freqKHz;
    }
}

TEST(Bands, OneBandIsOneGroupNamedByItsLowerEdge) {
    const std::pair<uint64_t, std::string_view>
        groups[] = {{28000, "28"},         {29699, "28"},   {29700, "28"},
                    {29701, "29"},  // 29.701: no band
                    {50100, "50"},         {53999, "50"},   {54000, "50"},
                    {54001, "54"},  // 5 m from 54.000001
                    {146000, "144"},       {432100, "420"}, {10368100, "10000"},
                    {1850, "1"},           {3450, "3"},     {1296000, "1240"},
                    {7500000000, "300000"}};
    for (const auto& [kHz, group] : groups) {
        EXPECT_EQ(logfile::BandGroup(kHz), group) << kHz;
    }
}

}  // namespace
}  // namespace zelk::host
