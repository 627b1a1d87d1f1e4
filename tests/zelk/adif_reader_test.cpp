// The ADIF reader on files written the way loggers write them, and on the
// malformed files it must refuse with the record number and byte offset.
#include "adif_reader.h"

#include <gtest/gtest.h>

namespace zelk::host {
namespace {

AdifLog Read(std::string_view text) {
    auto result = ReadAdif(text);
    if (auto* error = std::get_if<AdifError>(&result)) {
        ADD_FAILURE() << error->Describe();
        return {};
    }
    return std::get<AdifLog>(result);
}

AdifError ReadError(std::string_view text) {
    auto result = ReadAdif(text);
    if (!std::holds_alternative<AdifError>(result)) {
        ADD_FAILURE() << "read without error: " << text;
        return {};
    }
    return std::get<AdifError>(result);
}

TEST(AdifReader, ReadsHeaderTextHeaderFieldsAndRecordsWithCrLf) {
    const AdifLog log = Read(
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
    const AdifLog log =
        Read("header\n<eoh>\n<call:5>ua1aa<qso_date:8:d>20240512<Time_On:4:T>0812<eor>\n");
    ASSERT_EQ(log.records.size(), 1u);
    const AdifRecord& record = log.records[0];
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
    const AdifLog log = Read(file);
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Value("NAME"), "Кот");
    EXPECT_EQ(log.records[0].Value("COMMENT"), std::string("a<b>\n\0c", 7));
}

TEST(AdifReader, FileStartingWithATagHasNoHeader) {
    const AdifLog log = Read("<CALL:5>UA1AA<EOR><CALL:5>UA1AB<EOR>");
    EXPECT_TRUE(log.headerText.empty());
    EXPECT_TRUE(log.header.empty());
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[1].offset, 18u);
}

TEST(AdifReader, IgnoresTextBetweenFieldsAndALeadingByteOrderMark) {
    const AdifLog log = Read("\xEF\xBB\xBF<CALL:5>UA1AA  some note\n<MODE:2>CW<EOR>\n\n");
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Value("MODE"), "CW");
}

TEST(AdifReader, EmptyValuesAndEmptyFilesAreFine) {
    EXPECT_EQ(Read("").records.size(), 0u);
    EXPECT_EQ(Read("only a header <EOH>\r\n").records.size(), 0u);
    const AdifLog log = Read("<CALL:0><MODE:2>CW<EOR>");
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
        const char* message;
    };
    const Case cases[] = {
        {"length that is no number", "<CALL:5>UA1AA<EOR><CALL:x>UA1AB<EOR>", 2, 18, "length 'x'"},
        {"empty length", "h<EOH><CALL:>A<EOR>", 1, 6, "length ''"},
        {"value past the end", "<CALL:5>UA1AA<EOR><CALL:50>UA1AB<EOR>", 2, 18, "runs past the end"},
        {"tag without '>'", "<CALL:5>UA1AA<EOR><CALL:5 UA1AB<EOR>", 2, 18, "closing '>'"},
        {"tag cut by the end", "<CALL:5>UA1AA<EOR><MODE", 2, 18, "closing '>'"},
        {"no <EOR> at the end", "<CALL:5>UA1AA<EOR>\n<CALL:5>UA1AB\n", 2, 33, "no <EOR>"},
        {"header text without <EOH>", "Log of R9TST\n<CALL:5>UA1AA<EOR>", 0, 26,
         "<EOR> before <EOH>"},
        {"header text and no tag at all", "Just some text\n", 0, 15, "no <EOH>"},
        {"tag without a length", "<CALL:5>UA1AA<EOR><MODE>CW<EOR>", 2, 18, "has no length"},
        {"tag without a name", "<:2>CW<EOR>", 1, 0, "no field name"},
        {"field twice in a record", "<CALL:5>UA1AA<call:5>UA1AB<EOR>", 1, 13, "twice"},
        {"<EOH> among the records", "<CALL:5>UA1AA<EOR><EOH>", 2, 18, "after the header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AdifError error = ReadError(c.file);
        EXPECT_EQ(error.record, c.record);
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }
}

TEST(AdifReader, DescribesWhereTheFileIsMalformed) {
    EXPECT_EQ((AdifError{3, 120, "tag without its closing '>'"}).Describe(),
              "record 3, byte 120: tag without its closing '>'");
    EXPECT_EQ((AdifError{0, 7, "x"}).Describe(), "header, byte 7: x");
}

}  // namespace
}  // namespace zelk::host
