// What the Cabrillo reader makes of lines it cannot read: the kind of each
// (a ZELK line, another contest's, no QSO line, after END-OF-LOG:), the time,
// band and call its fixed fields gave, and how many are grouped for a
// command; and east written E, read as the plug-in reads it.
#include <gtest/gtest.h>

#include "log/intake.h"
#include "logfile/cabrillo_reader.h"
#include "logfile/sent_coordinate.h"

namespace zelk::logfile {
namespace {

CabrilloLog Read(const std::string& bytes) {
    auto result = ReadCabrillo(bytes);
    if (auto* notRead = std::get_if<NotCabrillo>(&result)) {
        ADD_FAILURE() << "not read: " << notRead->reason;
        return {};
    }
    return std::get<CabrilloLog>(std::move(result));
}

constexpr int64_t kMay12 = 19855 * 1440;  // 2024-05-12 00:00 in minutes since 1970

TEST(UnreadableLine, SaysItsKindAndWhatItsFixedFieldsGave) {
    struct Case {
        std::string line;
        UnreadableKind kind;
        std::string_view reason;  // its start
        std::optional<int64_t> minutes;
        std::string_view call;
    };
    const Case cases[] = {
        // Another contest's exchange, however long: its own kind, not a field count.
        {"QSO: 14025 CW 2024-05-12 0602 K1ABC 599 05 DL1XYZ 599 14", UnreadableKind::kOtherContest,
         "no ZELK exchange: no coordinate in '599 05 DL1XYZ 599 14' after the own call 'K1ABC'",
         kMay12 + 362, "DL1XYZ"},
        {"QSO: 14025 CW 2024-05-12 0602 K1ABC 599 A B C D E F G 2E0XYZ 599 A B C D E F",
         UnreadableKind::kOtherContest, "no ZELK exchange: no coordinate in", kMay12 + 362,
         "2E0XYZ"},
        {"X-QSO: 144 CW 2024-05-12 0602 K1ABC 599 FN42AA W1XYZ 599 FN31",
         UnreadableKind::kOtherContest, "no ZELK exchange", kMay12 + 362, "W1XYZ"},
        {"QSO: 14025 CW 2024-05-12 0602 K1ABC 599 05 599 14", UnreadableKind::kOtherContest,
         "no ZELK exchange", kMay12 + 362, ""},
        // A ZELK line: the call is named even where the exchange is wrong.
        {"QSO: 3514 CW 2024-05-12 0602 UA9XYZ A01 55N73O RW1AMG 020 65N25O",
         UnreadableKind::kQsoLine, "sent exchange 'A01 55N73O' has the serial", kMay12 + 362,
         "RW1AMG"},
        {"QSO: 3514 CW 2024-05-12 0602 UA9XYZ 599 001 55N73O RW1AMG 599 020 65N25O 1 2 3",
         UnreadableKind::kQsoLine, "QSO: has 15 fields, a QSO has at most 13", kMay12 + 362, ""},
        {"QSO: 3514 CW 2024-05-12 0602 UA9XYZ 001", UnreadableKind::kQsoLine,
         "QSO: has 6 fields, a QSO needs at least 8", kMay12 + 362, ""},
        {"QSO: 3514 CW 2024-05-32 0602 UA9XYZ 599 05 DL1XYZ 599 14", UnreadableKind::kQsoLine,
         "date '2024-05-32' is not a date", std::nullopt, ""},
        {"this line has no tag", UnreadableKind::kNoQsoLine, "no tag", std::nullopt, ""},
    };
    std::string file = "START-OF-LOG: 3.0\n";
    for (const Case& c : cases) {
        file += c.line + "\n";
    }
    const CabrilloLog log = Read(file + "END-OF-LOG:\n");
    EXPECT_TRUE(log.qsos.empty());
    ASSERT_EQ(log.unreadable.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const UnreadableLine& line = log.unreadable[i];
        SCOPED_TRACE(cases[i].line);
        EXPECT_EQ(line.line, i + 2);
        EXPECT_EQ(line.kind, cases[i].kind);
        EXPECT_TRUE(line.reason.starts_with(cases[i].reason)) << line.reason;
        EXPECT_EQ(line.minutes, cases[i].minutes);
        EXPECT_EQ(line.call, cases[i].call);
    }
    EXPECT_EQ(log.unreadable[0].band, BandOfName("20M"));
    EXPECT_TRUE(log.unreadable[2].xQso);
}

TEST(UnreadableLine, LinesAfterTheEndAreListedAndOtherContestsGroupedOnePerKind) {
    std::string file = "START-OF-LOG: 3.0\nCALLSIGN: K1ABC\n";
    for (int i = 0; i < 1234; ++i) {
        file += "QSO: 14025 CW 2024-05-12 0602 K1ABC 599 05 DL1XYZ 599 14\n";
    }
    file +=
        "QSO: 3514 CW 2024-05-12 0602 K1ABC 001 55N73O RW1AMG 999 65N25O\n"
        "QSO: 3514 CW 2024-05-12 0602 K1ABC 001 X55N73O RW1AMG 020 65N25O\n"
        "END-OF-LOG:\n \t\n\x1A\n"  // blank lines and a DOS end-of-file mark
        "START-OF-LOG: 3.0\n"
        "QSO: 3514 CW 2024-05-12 0602 K1ABC 002 55N73O RW1AMG 021 65N25O\n"
        "END-OF-LOG:\n";
    const CabrilloLog log = Read(file);
    EXPECT_EQ(log.endLine, 1239u);
    ASSERT_EQ(log.qsos.size(), 1u);  // the second log is not read
    ASSERT_EQ(log.unreadable.size(), 1234u + 1 + 3);
    const std::vector<UnreadableGroup> groups = GroupUnreadable(log.unreadable);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].count, 1234u);
    EXPECT_EQ(groups[0].Summary(),
              "1,234 QSO lines hold no ZELK exchange (first at line 3: no coordinate in '599 05 "
              "DL1XYZ 599 14' after the own call 'K1ABC')");
    EXPECT_EQ(groups[1].count, 1u);
    EXPECT_EQ(groups[1].first->line, 1238u);
    EXPECT_EQ(groups[2].count, 3u);
    EXPECT_EQ(groups[2].Summary(),
              "3 lines after END-OF-LOG:, not part of the log (first at line 1242: 'START-OF-LOG: "
              "3.0')");
    EXPECT_EQ(log.unreadable.back().reason,
              "after END-OF-LOG:, not part of the log: 'END-OF-LOG:'");
}

// English-language loggers write east as E: the plug-in reads only the
// degrees, so 50N10E is 50N10O to it, and it stores the text as typed.
TEST(UnreadableLine, EastWrittenEIsReadAsThePluginReadsIt) {
    const CabrilloLog log = Read(
        "START-OF-LOG: 3.0\n"
        "QSO: 3514 CW 2024-05-12 0602 DL1AA 599 001 50N10E RW1AMG 599 1255N137E\n"
        "QSO: 3514 CW 2024-05-12 0603 DL1AA 2 50N10O RW1AMG 013 55N137O\n");
    ASSERT_TRUE(log.unreadable.empty()) << log.unreadable[0].Describe();
    ASSERT_EQ(log.qsos.size(), 2u);
    const CabrilloQso& east = log.qsos[0];
    EXPECT_EQ(east.Normalised(east.sent), "001 50N10E");
    EXPECT_EQ(east.Normalised(east.received), NormaliseReceivedExchange("1255N137E"));
    EXPECT_EQ(east.Normalised(east.received), "012 55N137E");
    EXPECT_EQ(east.received.longitude, log.qsos[1].received.longitude);
    for (auto exchange : {&CabrilloQso::sent, &CabrilloQso::received}) {
        EXPECT_EQ(CoordinateKey(east.Text((east.*exchange).coordinate)),
                  CoordinateKey(log.qsos[1].Text((log.qsos[1].*exchange).coordinate)));
    }
    EXPECT_EQ(StationCoordinateSent(log.qsos), "50N10O");
}

}  // namespace
}  // namespace zelk::logfile
