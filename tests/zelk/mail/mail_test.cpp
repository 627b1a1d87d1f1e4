// The log robot's parts: messages read (attachments, encodings, charsets,
// automatic mail), letters drawn, a message taken into a contest folder
// (several files, the subject's call, a message taken twice, the answers an
// address may get, the notice to an earlier address, the refusals and the
// receipt's link as the upload's), the credentials file
// and the mailbox's search answer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "mail/imap_mailbox.h"
#include "mail/incoming_mail.h"
#include "mail/letter_mime.h"
#include "mail/mail_intake.h"
#include "mail/mail_server.h"
#include "serve/app.h"
#include "serve/letters.h"

namespace zelk::mail {
namespace {

namespace fs = std::filesystem;

std::string ExampleLog(const std::string& call = "UA2TV") {
    std::ifstream in(ZELK_EXAMPLE_LOG, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string log = bytes.str();
    for (auto at = log.find("UA2TV"); at != std::string::npos;
         at = log.find("UA2TV", at + call.size())) {
        log.replace(at, 5, call);
    }
    return log;
}

std::string Base64(const std::string& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        n |= i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0;
        n |= i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        out += digits[n >> 18];
        out += digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
        if (i % 57 == 54) {
            out += "\n";
        }
    }
    return out + "\n";
}

std::string Multipart(const std::string& headers, const std::vector<std::string>& parts) {
    std::string message = headers +
                          "MIME-Version: 1.0\nContent-Type: multipart/mixed; "
                          "boundary=\"b1\"\n\n";
    for (const std::string& part : parts) {
        message += "--b1\n" + part + "\n";
    }
    return message + "--b1--\n";
}

std::string Attachment(const std::string& name, const std::string& bytes) {
    return "Content-Type: application/octet-stream; name=\"" + name +
           "\"\nContent-Disposition: attachment; filename=\"" + name +
           "\"\nContent-Transfer-Encoding: base64\n\n" + Base64(bytes);
}

TEST(ReadMail, FindsTheLogsAndTellsAutomaticMail) {
    const std::string log = ExampleLog();
    const std::string head = "From: Ann <ann@example.org>\nMessage-ID: <m1@example.org>\n";
    struct Case {
        const char* what;
        std::string message;
        std::optional<std::string> envelope;
        std::vector<std::string> names;  // of the files found
        std::string inFirst;             // bytes the first file holds
        bool automatic = false;
    };
    const std::vector<Case> cases = {
        {"a base64 attachment of any name",
         Multipart(head, {"Content-Type: text/plain\n\nhi", Attachment("my log.txt", log)}),
         {},
         {"my log.txt"},
         log},
        {"the text, quoted-printable in Latin-1, as UTF-8",
         head + "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: "
                "quoted-printable\n\nSOAPBOX: caf=E9 =\nsoleil\n",
         {},
         {""},
         "SOAPBOX: caf\xC3\xA9 soleil"},
        {"two attachments",
         Multipart(head, {Attachment("a.cbr", log), Attachment("b.vcf", "x")}),
         {},
         {"a.cbr", "b.vcf"},
         log},
        {"a forwarded message's attachment",
         Multipart(head, {"Content-Type: message/rfc822\n\n" +
                          Multipart("From: b@example.org\n", {Attachment("f.log", log)})}),
         {},
         {"f.log"},
         log},
        {"Auto-Submitted: no is a person",
         head + "Auto-Submitted: no\n\nCALLSIGN: X\n",
         {},
         {""},
         "CALLSIGN",
         false},
        {"Auto-Submitted", head + "Auto-Submitted: auto-generated\n\nx\n", {}, {""}, "x", true},
        {"Precedence: list", head + "Precedence: list\n\nx\n", {}, {""}, "x", true},
        {"a list header",
         head + "List-Unsubscribe: <mailto:u@example.org>\n\nx\n",
         {},
         {""},
         "x",
         true},
        {"an empty envelope sender", head + "\nx\n", std::string(), {""}, "x", true},
        {"an empty Return-Path", "Return-Path: <>\n" + head + "\nx\n", {}, {""}, "x", true},
        {"an mbox line of the mailer daemon",
         "From MAILER-DAEMON Thu Jan  1 00:00:00 2026\n" + head + "\nx\n",
         {},
         {""},
         "x",
         true},
        {"a delivery report",
         head + "Content-Type: multipart/report; boundary=r\n\n--r\nContent-Type: "
                "text/plain\n\nx\n--r--\n",
         {},
         {""},
         "x",
         true},
        {"postmaster", "From: postmaster@example.org\n\nx\n", {}, {""}, "x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const IncomingMail mail = ReadMail(c.message, c.envelope);
        std::vector<std::string> names;
        for (const MailFile& file : mail.files) {
            names.push_back(file.name);
        }
        EXPECT_EQ(names, c.names);
        ASSERT_FALSE(mail.files.empty());
        EXPECT_NE(mail.files[0].bytes.find(c.inFirst), std::string::npos) << mail.files[0].bytes;
        EXPECT_EQ(mail.automatic.has_value(), c.automatic) << mail.automatic.value_or("");
    }
    const IncomingMail plain = ReadMail(cases[0].message);
    EXPECT_EQ(plain.from, "ann@example.org");
    EXPECT_EQ(plain.messageId, "<m1@example.org>");
}

TEST(RenderLetter, IsProperMailThatReadsBackAsSent) {
    serve::OutboxRow row;
    row.kind = serve::LetterKind::kRefusal;
    row.to = "ann@example.org";
    row.subject = "Log not received: UA2TV \xC3\xA9t\xC3\xA9";
    row.body =
        "Gr\xC3\xBC\xC3\x9F"
        "e, a bad byte \xFF here\nand a second line\n";
    row.messageKey = "0123abcd";
    row.inReplyTo = "<m1@example.org>";
    row.createdAt = "2026-05-19T12:00:00Z";
    const std::string text = RenderLetter(row, {"logs@contest.example.org", "ZELK robot"});
    for (const char* header :
         {"From: ZELK robot <logs@contest.example.org>", "To: ann@example.org",
          "Message-Id: <0123abcd@contest.example.org>", "In-Reply-To: <m1@example.org>",
          "References: <m1@example.org>", "Auto-Submitted: auto-replied", "MIME-Version: 1.0",
          "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: quoted-printable",
          "Date: Tue, 19 May 2026 12:00:00 +0000", "Subject: Log not received: UA2TV =?UTF-8?"}) {
        EXPECT_NE(text.find(header), std::string::npos) << header << " in\n" << text;
    }
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_EQ(text[at - 1], '\r') << "a bare line feed at " << at;
    }
    const IncomingMail back = ReadMail(text);
    EXPECT_EQ(back.subject, row.subject);
    ASSERT_EQ(back.files.size(), 1u);
    std::string body = back.files[0].bytes;
    std::erase(body, '\r');
    EXPECT_EQ(body,
              "Gr\xC3\xBC\xC3\x9F"
              "e, a bad byte \xEF\xBF\xBD here\nand a second line\n");

    row.kind = serve::LetterKind::kReport;
    row.inReplyTo.clear();
    const std::string report = RenderLetter(row, {"logs@contest.example.org", ""});
    EXPECT_NE(report.find("Auto-Submitted: auto-generated"), std::string::npos);
    EXPECT_EQ(report.find("In-Reply-To"), std::string::npos);
}

// A contest folder of the test's own, served by an App as zelk serve's.
class TakeMailTest : public ::testing::Test {
  protected:
    TakeMailTest()
        : m_root(fs::temp_directory_path() / ("zelk-mail-" + std::to_string(::getpid()))),
          m_dir((fs::remove_all(m_root), m_root / "contest")) {
        Start({});
    }
    // The contest served again with these settings, as zelk mail-in takes them.
    void Start(serve::ServeSettings settings) {
        settings.lettersOut = true;
        m_ledger.reset();
        m_app.reset();
        m_app =
            std::make_unique<serve::App>(settings, m_dir, serve::PrepareContestDir(m_dir).token);
        m_ledger = std::make_unique<MailLedger>(m_dir.database);
    }
    ~TakeMailTest() override {
        m_ledger.reset();
        m_app.reset();
        fs::remove_all(m_root);
    }

    MailOutcome Take(const std::string& message) {
        return TakeMail(message, *m_app, *m_ledger, serve::Now(), std::nullopt);
    }
    std::vector<serve::OutboxRow> Letters() { return m_app->outbox.Latest(100); }

    fs::path m_root;
    serve::ContestDir m_dir;
    std::unique_ptr<serve::App> m_app;
    std::unique_ptr<MailLedger> m_ledger;
};

TEST_F(TakeMailTest, TakesEachLogOnceAndAnswersWithinLimits) {
    const std::string message =
        Multipart("From: ann@example.org\nSubject: log of R9ZZ\nMessage-ID: <t1@example.org>\n",
                  {Attachment("card.vcf", "BEGIN:VCARD"), Attachment("ua2tv.cbr", ExampleLog())});
    const MailOutcome first = Take(message);
    EXPECT_EQ(first.logsTaken, 1u);
    EXPECT_TRUE(Take(message).duplicate);
    ASSERT_EQ(m_app->submissions.All().size(), 1u);
    EXPECT_EQ(m_app->submissions.All()[0].source, "mail");
    auto letters = Letters();
    ASSERT_EQ(letters.size(), 1u);
    EXPECT_EQ(letters[0].inReplyTo, "<t1@example.org>");
    EXPECT_EQ(letters[0].to, "ann@example.org");
    for (const char* said : {"\"card.vcf\": not taken", "\"ua2tv.cbr\": log received",
                             "the subject names R9ZZ", "Receipt:"}) {
        EXPECT_NE(letters[0].body.find(said), std::string::npos) << said << letters[0].body;
    }

    // The log's EMAIL: line is the address answered; a log from another
    // address replaces it and the earlier address hears of it.
    std::string log = ExampleLog();
    log.insert(log.find("CALLSIGN:"), "EMAIL: ua2tv@example.net\n");
    Take("From: other@example.org\nMessage-ID: <t2@example.org>\n\n" + log);
    letters = Letters();
    ASSERT_EQ(letters.size(), 3u);
    EXPECT_EQ(letters[0].to, "ua2tv@example.net");
    EXPECT_EQ(letters[1].kind, serve::LetterKind::kNotice);
    EXPECT_EQ(letters[1].to, "ann@example.org");

    // A robot that writes again and again gets a few answers an hour.
    for (int i = 0; i < serve::kAnswersPerAddressPerHour + 2; ++i) {
        Take("From: robot@example.org\nMessage-ID: <r" + std::to_string(i) +
             "@x.org>\n\nnot a log " + std::to_string(i) + "\n");
    }
    int toRobot = 0;
    for (const serve::OutboxRow& row : Letters()) {
        toRobot += row.to == "robot@example.org" ? 1 : 0;
    }
    EXPECT_EQ(toRobot, serve::kAnswersPerAddressPerHour);
}

// A mailed log is refused for what an upload is refused for, in the same
// words; one taken is answered with its receipt's own page.
TEST_F(TakeMailTest, RefusesAsTheUploadDoesAndLinksTheReceiptsPage) {
    serve::ServeSettings settings;
    settings.publicUrl = "https://logs.example.org/";
    Start(settings);
    Take("From: ann@example.org\nMessage-ID: <l1@example.org>\n\n" + ExampleLog());
    ASSERT_EQ(m_app->submissions.All().size(), 1u);
    const serve::Submission row = m_app->submissions.All()[0];
    const std::string link =
        "https://logs.example.org/receipts/" + std::to_string(row.id) + "/" + row.receiptKey + " ";
    EXPECT_NE(Letters()[0].body.find(link), std::string::npos) << Letters()[0].body;

    std::string other = ExampleLog("RK7P");
    other.replace(other.find("CONTEST: ZELK"), 13, "CONTEST: CQ-WW-CW");
    settings.deadline = serve::Now() - std::chrono::hours(1);
    for (const bool late : {false, true}) {
        SCOPED_TRACE(late ? "after the deadline" : "another contest");
        Start(late ? settings : serve::ServeSettings{});
        const std::string log = late ? ExampleLog("RK7P") : other;
        const serve::IntakeOutcome web =
            m_app->intake.Receive({log, "", "web"}, false, *m_app->settings.Current(),
                                  {serve::Now(), m_app->submissions.NextArrival()});
        EXPECT_EQ(web.status, late ? 403 : 422);
        Take("From: bob@example.org\nMessage-ID: <late" + std::to_string(late) +
             "@example.org>\n\n" + log);
        const serve::OutboxRow answer = Letters()[0];
        EXPECT_EQ(answer.to, "bob@example.org");
        EXPECT_EQ(answer.kind, serve::LetterKind::kRefusal);
        std::string body = answer.body;
        std::replace(body.begin(), body.end(), '\n', ' ');
        EXPECT_NE(body.find(web.refusal), std::string::npos) << web.refusal << "\n" << body;
    }
    EXPECT_EQ(m_app->submissions.All().size(), 1u);
}

TEST(MailServer, CredentialsOnlyFromAFileOfTheOwnersAndTlsOffOnlyAtHome) {
    const fs::path file =
        fs::temp_directory_path() / ("zelk-credentials-" + std::to_string(::getpid()));
    std::ofstream(file) << "robot\npass:word with spaces\r\n";
    ::chmod(file.c_str(), 0644);
    const auto loose = MailServerFrom("imaps://mail.example.org/INBOX", file.string(), "");
    ASSERT_TRUE(std::holds_alternative<std::string>(loose));
    EXPECT_NE(std::get<std::string>(loose).find("chmod 600"), std::string::npos);
    ::chmod(file.c_str(), 0600);
    const auto read = MailServerFrom("smtp://relay.example.org:587", file.string(), "");
    ASSERT_TRUE(std::holds_alternative<MailServer>(read));
    EXPECT_EQ(std::get<MailServer>(read).user, "robot");
    EXPECT_EQ(std::get<MailServer>(read).password, "pass:word with spaces");
    EXPECT_TRUE(std::holds_alternative<std::string>(
        MailServerFrom("imaps://u:p@mail.example.org/", "", "")));
    EXPECT_TRUE(std::holds_alternative<std::string>(MailServerFrom("http://x/", "", "")));
    fs::remove(file);

    for (auto [url, loopback] : {std::pair{"smtp://127.0.0.1:25", true},
                                 {"smtp://localhost", true},
                                 {"imap://[::1]:143/INBOX", true},
                                 {"smtp://127.example.org", false},
                                 {"imap://mail.example.org/127.0.0.1", false}}) {
        EXPECT_EQ(IsLoopbackUrl(url), loopback) << url;
    }
}

TEST(ImapMailbox, ReadsTheUidsOfASearchAnswer) {
    EXPECT_EQ(SearchUids("* SEARCH 3 17 4294967296\r\n* OK x\r\n"),
              (std::vector<uint64_t>{3, 17, 4294967296}));
    EXPECT_EQ(SearchUids("* SEARCH\r\n"), std::vector<uint64_t>{});
    EXPECT_EQ(SearchUids("* SEARCH 1 x2 -3 0\r\n"), std::vector<uint64_t>{1});
}

}  // namespace
}  // namespace zelk::mail
