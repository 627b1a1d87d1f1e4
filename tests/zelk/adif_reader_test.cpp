// The ADIF reader on files written the way loggers write them, on the
// liberties it reads with a warning or a fault of the record, and on the
// malformed files it must refuse with the record number and byte offset.
#include "logfile/adif_reader.h"

#include <gtest/gtest.h>

namespace zelk::host {
namespace {

logfile::AdifLog Read(std::string_view text) {
    auto result = logfile::ReadAdif(text);
    if (auto* error = std::get_if<logfile::AdifNote>(&result)) {
        ADD_FAILURE() << error->Describe();
        return {};
    }
    return std::get<logfile::AdifLog>(result);
}

logfile::AdifNote ReadError(std::string_view text) {
    auto result = logfile::ReadAdif(text);
    if (!std::holds_alternative<logfile::AdifNote>(result)) {
        ADD_FAILURE() << "read without error: " << text;
        return {};
    }
    return std::get<logfile::AdifNote>(result);
}

TEST(AdifReader, ReadsHeaderTextHeaderFieldsAndRecordsWithCrLf) {
    const logfile::AdifLog log = Read(
        "Log exported by SomeLogger 5.2\r\n"
        "<ADIF_VER:5>3.1.4\r\n<PROGRAMID:10>SomeLogger\r\n<EOH>\r\n"
        "<CALL:5>UA1AA <FREQ:6>14.025 <MODE:2>CW <EOR>\r\n"
        "<CALL:4>ZELK <MODE:2>CW\r\n<EOR>\r\n");
    EXPECT_EQ(log.headerText, "Log exported by SomeLogger 5.2\r\n");
    ASSERT_EQ(log.header.size(), 2u);
    EXPECT_EQ(log.header[1].name, "PROGRAMID");
    EXPECT_EQ(log.header[1].value, "SomeLogger");
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[0].Value("CALL"), "UA1AA");
    EXPECT_EQ(log.records[0].Value("FREQ"), "14.025");
    EXPECT_EQ(log.records[1].Value("CALL"), "ZELK");
    EXPECT_EQ(log.records[1].Value("FREQ"), "");
}

TEST(AdifReader, MatchesNamesWithoutRegardToCaseAndKeepsTypeIndicators) {
    const logfile::AdifLog log =
        Read("header\n<eoh>\n<call:5>ua1aa<qso_date:8:d>20240512<Time_On:4:T>0812<eor>\n");
    ASSERT_EQ(log.records.size(), 1u);
    const logfile::AdifRecord& record = log.records[0];
    EXPECT_EQ(record.Value("CALL"), "ua1aa");  // values keep their case
    ASSERT_NE(record.Find("QSO_DATE"), nullptr);
    EXPECT_EQ(record.Find("QSO_DATE")->type, "d");
    EXPECT_EQ(record.Value("TIME_ON"), "0812");
}

TEST(AdifReader, CountsValueLengthsInBytesSoValuesMayHoldAnyBytes) {
    // "Кот" is six bytes in UTF-8; the second value holds a '<', a '>', a
    // line break and a zero byte.
    using namespace std::string_literals;
    const std::string file = "<NAME:6>Кот<COMMENT:7>a<b>\n\0c<EOR>\n"s;
    const logfile::AdifLog log = Read(file);
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Value("NAME"), "Кот");
    EXPECT_EQ(log.records[0].Value("COMMENT"), std::string("a<b>\n\0c", 7));
}

TEST(AdifReader, FileStartingWithATagHasNoHeader) {
    const logfile::AdifLog log = Read("<CALL:5>UA1AA<EOR><CALL:5>UA1AB<EOR>");
    EXPECT_TRUE(log.headerText.empty());
    EXPECT_TRUE(log.header.empty());
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[1].offset, 18u);
}

TEST(AdifReader, IgnoresTextBetweenFieldsAndALeadingByteOrderMark) {
    const logfile::AdifLog log = Read("\xEF\xBB\xBF<CALL:5>UA1AA  some note\n<MODE:2>CW<EOR>\n\n");
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Value("MODE"), "CW");
}

TEST(AdifReader, EmptyValuesAndEmptyFilesAreFine) {
    EXPECT_EQ(Read("").records.size(), 0u);
    EXPECT_EQ(Read("only a header <EOH>\r\n").records.size(), 0u);
    const logfile::AdifLog log = Read("<CALL:0><MODE:2>CW<EOR>");
    ASSERT_EQ(log.records.size(), 1u);
    ASSERT_NE(log.records[0].Find("CALL"), nullptr);
    EXPECT_EQ(log.records[0].Value("CALL"), "");
}

TEST(AdifReader, RefusesMalformedFilesWithRecordNumberAndByteOffset) {
    struct Case {
        const char* what;
        std::string file;
        std::size_t record;
        std::size_t offset;
        const char* field;
        const char* message;
    };
    const Case cases[] = {
        {"length that is no number", "<CALL:5>UA1AA<EOR><CALL:x>UA1AB<EOR>", 2, 18, "CALL",
         "length 'x'"},
        {"empty length", "h<EOH><CALL:>A<EOR>", 1, 6, "CALL", "length ''"},
        {"value past the end", "<CALL:5>UA1AA<EOR><CALL:50>UA1AB<EOR>", 2, 18, "CALL",
         "runs past the end"},
        {"tag without '>'", "<CALL:5>UA1AA<EOR><CALL:5 UA1AB<EOR>", 2, 18, "", "closing '>'"},
        {"tag cut by the end", "<CALL:5>UA1AA<EOR><MODE", 2, 18, "", "closing '>'"},
        {"tag without a name", "<:2>CW<EOR>", 1, 0, "", "no field name"},
        {"length of binary bytes", "<CALL:\xff\n>A<EOR>", 1, 0, "CALL", "length '\\xff\\n'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const logfile::AdifNote error = ReadError(c.file);
        EXPECT_EQ(error.record, c.record);
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_EQ(error.field, c.field);
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }
}

// What loggers write beyond the format is read: with a warning when nothing
// is lost, or as a fault of the record when a value cannot be read for sure.
TEST(AdifReader, ReadsWhatLoggersWriteAndSaysWhereItWasLenient) {
    struct Case {
        const char* what;
        std::string file;
        std::size_t records;
        std::string header;   // header fields' names, joined by blanks
        std::string warning;  // Describe() of the only warning; empty: none
        std::string fault;    // Describe() of the last record's only fault; empty: none
    };
    const std::string qso = "<CALL:5>UA1AA<EOR>\n";  // 19 bytes
    const Case cases[] = {
        {"header fields without text", "<ADIF_VER:5>3.1.4<eoh>\n" + qso, 1, "ADIF_VER", "", ""},
        {"blank lines and no header", "\r\n  \r\n" + qso, 1, "", "", ""},
        {"e-mail address in the header text",
         "From Log <me@example.org>\n<PROGRAMID:3>Log<EoH>" + qso, 1, "PROGRAMID", "", ""},
        {"'<' alone in the header text", "a < b\n<EOH>" + qso, 1, "", "", ""},
        {"tag without a length in the header", "<PROGRAMID><EOH>" + qso, 1, "",
         "header, byte 0: field PROGRAMID: tag <PROGRAMID> in the header has no length; ignored",
         ""},
        {"LoTW's closing tag", qso + "<APP_LoTW_EOF>\n", 1, "",
         "after record 1, byte 19: field APP_LOTW_EOF: tag <APP_LoTW_EOF> has no length; "
         "ignored",
         ""},
        {"header text without <EOH>", "Log of R9TST\n" + qso, 1, "",
         "header, byte 0: text before the first record, but no <EOH> ends a header: read as a "
         "log without header",
         ""},
        {"<EOH> among the records", qso + "<EOH>" + qso, 2, "",
         "record 2, byte 19: <EOH> among the records; ignored", ""},
        {"field twice with the same value", "<CALL:5>UA1AA<call:5>UA1AA<EOR>", 1, "", "", ""},
        {"field twice with different values", "<CALL:5>UA1AA<call:5>UA1AB<EOR>", 1, "", "",
         "record 1, byte 13: field CALL: given twice with different values: 'UA1AA' at byte 0, "
         "then 'UA1AB'"},
        {"tag without a length in a record", qso + "<MODE>CW<CALL:2>AA<EOR>", 2, "", "",
         "record 2, byte 19: field MODE: tag <MODE> has no length, so its value cannot be read"},
        {"no <EOR> at the end", qso + "<CALL:5>UA1AB\n", 2, "", "",
         "record 2, byte 19: the record has no <EOR> before the end of the file"},
        {"length in UTF-8 characters", "<NAME:4>Jörg <CALL:2>AA<EOR>", 1, "",
         "record 1, byte 0: field NAME: length 4 counts characters, not bytes: read as 5 bytes "
         "'Jörg'",
         ""},
        {"length in characters ending the file", "<EOH><NAME:3>Кот", 1, "",
         "record 1, byte 5: field NAME: length 3 counts characters, not bytes: read as 6 bytes "
         "'Кот'",
         "record 1, byte 5: the record has no <EOR> before the end of the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const logfile::AdifLog log = Read(c.file);
        ASSERT_EQ(log.records.size(), c.records);
        std::string header;
        for (const logfile::AdifField& field : log.header) {
            header += (header.empty() ? "" : " ") + field.name;
        }
        EXPECT_EQ(header, c.header);
        ASSERT_EQ(log.warnings.size(), c.warning.empty() ? 0u : 1u);
        if (!c.warning.empty()) {
            EXPECT_EQ(log.warnings[0].Describe(), c.warning);
        }
        const std::vector<logfile::AdifNote>& faults = log.records.back().faults;
        ASSERT_EQ(faults.size(), c.fault.empty() ? 0u : 1u);
        if (!c.fault.empty()) {
            EXPECT_EQ(faults[0].Describe(), c.fault);
        }
    }
}

TEST(AdifReader, KeepsTheFirstCopyAndTheByteCountWhereTheyAreRight) {
    // Text after a value is allowed, so only a character count that ends the
    // value where a value may end is taken for one.
    const logfile::AdifLog log = Read("<CALL:5>UA1AA<CALL:5>UA1AB<NAME:3>Jö <QTH:4>Jörgen<EOR>");
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Value("CALL"), "UA1AA");
    EXPECT_EQ(log.records[0].Value("NAME"), "Jö");
    EXPECT_EQ(log.records[0].Value("QTH"), "Jör");
    EXPECT_TRUE(log.warnings.empty());
}

TEST(AdifReader, DescribesThePlaceAndTheFieldPrintably) {
    EXPECT_EQ((logfile::AdifNote{3, 120, "tag without its closing '>'", ""}).Describe(),
              "record 3, byte 120: tag without its closing '>'");
    EXPECT_EQ((logfile::AdifNote{0, 7, "x", ""}).Describe(), "header, byte 7: x");
    EXPECT_EQ((logfile::AdifNote{2, 9, "x", "A\nB\xff"}).Describe(),
              "record 2, byte 9: field A\\nB\\xff: x");
    EXPECT_EQ((logfile::AdifNote{2, 9, "x", "", true}).Describe(), "after record 2, byte 9: x");
    EXPECT_EQ((logfile::AdifNote{0, 0, "x", "", true}).Describe(),
              "before the first record, byte 0: x");
}

}  // namespace
}  // namespace zelk::host
