// zelk serve's parts that take hostile text or keep state: the request
// headers and organiser's fields it reads by hand, times and addresses, the
// desk's view, the settings under the flags, the upload limits, the form
// collector, a request read within its limits, the form's fields, and the
// database's migration.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "serve/live_settings.h"
#include "serve/multipart_form.h"
#include "serve/organiser_pages.h"
#include "serve/outbox.h"
#include "serve/rate_limiter.h"
#include "serve/request_parts.h"
#include "serve/request_reader.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"
#include "serve/upload_form.h"

namespace zelk::serve {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(ServeParts, RequestHeadersAreReadWhateverTheyHold) {
    EXPECT_EQ(CookieValue("a=1; zelk_organiser=abc; b=2", "zelk_organiser"), "abc");
    EXPECT_EQ(CookieValue("zelk_organiser=\"q\";zelk_organiser=second", "zelk_organiser"), "q");
    EXPECT_EQ(CookieValue("xzelk_organiser=1; zelk_organiserx=2", "zelk_organiser"), std::nullopt);
    EXPECT_EQ(CookieValue(std::string("zelk_organiser=a\0b", 18), "zelk_organiser"),
              std::string("a\0b", 3));
    EXPECT_EQ(CookieValue(";;=;", "zelk_organiser"), std::nullopt);

    EXPECT_EQ(BearerToken("Bearer abc"), "abc");
    EXPECT_EQ(BearerToken("bearer\tabc "), "abc");
    EXPECT_EQ(BearerToken("Bearerabc"), std::nullopt);
    EXPECT_EQ(BearerToken("Basic YWJj"), std::nullopt);
    EXPECT_EQ(BearerToken("Bearer "), std::nullopt);

    const struct {
        const char* accept;
        bool json;
    } accepts[] = {
        {"application/json", true},
        {"Application/JSON; charset=utf-8", true},
        {"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8", false},
        {"text/html, application/json", false},
        {"application/json;q=0", false},
        {"application/json;q=abc", false},
        {"", false},
        {",,;;", false},
    };
    for (const auto& c : accepts) {
        EXPECT_EQ(WantsJson(c.accept), c.json) << c.accept;
    }

    EXPECT_TRUE(SameOrigin("http://127.0.0.1:8080", "127.0.0.1:8080"));
    EXPECT_TRUE(SameOrigin("HTTPS://Logs.Example.org", "logs.example.org"));
    EXPECT_FALSE(SameOrigin("https://logs.example.org.evil.example", "logs.example.org"));
    EXPECT_FALSE(SameOrigin("null", "logs.example.org"));
    EXPECT_FALSE(SameOrigin("ftp://logs.example.org", "logs.example.org"));
    EXPECT_FALSE(SameOrigin("https://logs.example.org/x", "logs.example.org"));

    EXPECT_EQ(ClientAddress("127.0.0.1", "203.0.113.9, 198.51.100.7", true), "198.51.100.7");
    EXPECT_EQ(ClientAddress("127.0.0.1", "203.0.113.9", false), "127.0.0.1");
    EXPECT_EQ(ClientAddress("127.0.0.1", " , ", true), "127.0.0.1");

    for (const char* good : {"", "ua2tv@example.org", "a.b+c@mail.example.co.uk"}) {
        EXPECT_EQ(EmailProblem(good), std::nullopt) << good;
    }
    for (const char* bad : {"ua2tv", "@example.org", "a@b", "a b@c.org", "a@b.org<x>", "a@"}) {
        EXPECT_NE(EmailProblem(bad), std::nullopt) << bad;
    }
    EXPECT_NE(EmailProblem(std::string(250, 'a') + "@b.org"), std::nullopt);

    EXPECT_EQ(ParseId("17"), 17);
    for (const char* bad : {"", "0", "-1", "+1", "1x", "99999999999999999999"}) {
        EXPECT_EQ(ParseId(bad), std::nullopt) << bad;
    }
    // The organiser's reason and category.
    EXPECT_EQ(std::get<std::string>(ReadReason("  a prank \t")), "a prank");
    EXPECT_EQ(std::get<std::string>(ReadReason("caf\u00e9 \\ <b>")), "caf\u00e9 \\ <b>");
    for (const std::string& bad : {std::string(" "), std::string(501, 'x'), std::string("a\nb"),
                                   std::string("a\xFF"), std::string("a\0b", 3)}) {
        EXPECT_TRUE(std::holds_alternative<Refused>(ReadReason(bad))) << bad;
    }
    const auto known = adjudication::BuiltInCategories();
    EXPECT_EQ(std::get<std::string>(CategoryFromForm({"single-op", " 40M", "QRP"}, known)),
              "SINGLE-OP 40M QRP");
    for (const std::array<std::string, 3>& bad :
         {std::array<std::string, 3>{"SINGLE-OP", "41M", "QRP"},
          {"", "ALL", "LOW"},
          {"SINGLE-OP ALL", "ALL", "LOW"}}) {
        EXPECT_TRUE(std::holds_alternative<Refused>(CategoryFromForm(bad, known))) << bad[0];
    }

    EXPECT_EQ(DownloadName("R3ABC/P", 4), "R3ABC_P-4.log");
    EXPECT_EQ(DownloadName("\"; x=../..", 5), "___x______-5.log");
}

TEST(ServeParts, TimesAndAddressesAreReadOnlyWhenWhole) {
    EXPECT_EQ(UtcText(*ParseUtc("2024-05-19T23:59")), "2024-05-19T23:59:00Z");
    EXPECT_EQ(UtcText(*ParseUtc("2024-02-29 12:00:30Z")), "2024-02-29T12:00:30Z");
    EXPECT_EQ(UtcTextForPeople(*ParseUtc("2024-05-19T23:59")), "2024-05-19 23:59 UTC");
    for (const char* bad :
         {"2024-05-19", "2023-02-29T00:00", "2024-05-19T24:00", "2024-13-01T00:00",
          "2024-05-19T23:5x", "2024-05-19T23:59:60", "1969-12-31T23:59"}) {
        EXPECT_EQ(ParseUtc(bad), std::nullopt) << bad;
    }
    const auto v4 = ParseListen("127.0.0.1:8080");
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4->host, "127.0.0.1");
    EXPECT_EQ(v4->port, 8080);
    const auto v6 = ParseListen("[::1]:0");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
    for (const char* bad : {"8080", "127.0.0.1", "::1:8080", "[::1]", ":80", "h:65536", "h:-1"}) {
        EXPECT_EQ(ParseListen(bad), std::nullopt) << bad;
    }
}

// The desk's view from whatever its address holds, and the order it lists in.
TEST(ServeParts, TheDeskFiltersAndSortsByAnyColumn) {
    const auto row = [](int64_t id, std::string call, int64_t qsos, int64_t unreadable,
                        bool removed) {
        Submission submission;
        submission.id = id;
        submission.call = std::move(call);
        submission.qsos = qsos;
        submission.unreadableCount = unreadable;
        submission.removed = removed;
        submission.arrival = 100 - id;  // the first id arrived last
        return submission;
    };
    const std::vector<Submission> rows = {row(1, "UA2TV", 17, 0, false),
                                          row(2, "RK7P", 11, 3, true), row(3, "A/B", 11, 1, false)};
    const struct {
        const char* show;
        const char* sort;
        const char* order;
        std::vector<int64_t> ids;
    } views[] = {
        {"", "", "", {3, 2, 1}},  // by id, latest first
        {"problems", "", "", {3, 2}},
        {"", "call", "asc", {3, 2, 1}},
        {"", "call", "desc", {1, 2, 3}},
        {"", "qsos", "asc", {3, 2, 1}},  // equal keys: latest first
        {"", "received", "desc", {1, 2, 3}},
        {"", "state", "desc", {2, 3, 1}},
        {"problems", "problems", "desc", {2, 3}},
        {"<script>", "../../x", "sideways", {3, 2, 1}},
    };
    for (const auto& view : views) {
        std::vector<int64_t> ids;
        for (const Submission& shown :
             InView(rows, ReadDeskView(view.show, view.sort, view.order))) {
            ids.push_back(shown.id);
        }
        EXPECT_EQ(ids, view.ids) << view.show << " " << view.sort << " " << view.order;
    }
}

// The rules file's [serve] keys over the settings, and the flags over those.
TEST(ServeParts, FlagsOverrideTheRulesFilesServeKeys) {
    adjudication::CheckRules rules;
    rules.contest = "ZELK-CW";
    rules.intake.deadline = 28'000'000;  // minutes
    rules.intake.maxUploadBytes = 4096;
    rules.intake.uploadsPerHour = 5;
    rules.intake.publicUrl = "https://logs.example.org/";
    ServeSettings base;
    base.uploadsAtOnce = 7;
    const ServeSettings fileOnly = WithRules(base, rules, {});
    EXPECT_EQ(fileOnly.ContestName(), "ZELK-CW");
    EXPECT_EQ(fileOnly.deadline, UtcTime{std::chrono::minutes{28'000'000}});
    EXPECT_EQ(fileOnly.maxUploadBytes, 4096u);
    EXPECT_EQ(fileOnly.uploadsAtOnce, 7) << "the file does not say";
    EXPECT_EQ(fileOnly.uploadsPerHour, 5);
    EXPECT_EQ(fileOnly.publicUrl, "https://logs.example.org/");
    ServeFlags flags;
    flags.deadline = ParseUtc("2030-01-01T00:00");
    flags.maxUploadBytes = 8192;
    flags.uploadsPerHour = 50;
    flags.publicUrl = "https://zelk.example.net/";
    const ServeSettings flagged = WithRules(base, rules, flags);
    EXPECT_EQ(flagged.publicUrl, "https://zelk.example.net/");
    EXPECT_EQ(flagged.deadline, flags.deadline);
    EXPECT_EQ(flagged.maxUploadBytes, 8192u);
    EXPECT_EQ(flagged.uploadsPerHour, 50);
}

TEST(ServeParts, AnAddressHasAFewUploadsAtOnceAndABucketAnHour) {
    RateLimiter limiter(2, 4);
    const auto t0 = RateLimiter::Clock::time_point{} + 1000h;
    std::vector<RateLimiter::Slot> held;
    auto admit = [&](const std::string& address, RateLimiter::Clock::time_point now) {
        auto answer = limiter.Admit(address, now);
        if (auto* slot = std::get_if<RateLimiter::Slot>(&answer)) {
            held.push_back(std::move(*slot));
            return 0;
        }
        return std::get<RateLimiter::Refused>(answer).tooManyAtOnce ? 1 : 2;
    };
    EXPECT_EQ(admit("a", t0), 0);
    EXPECT_EQ(admit("a", t0), 0);
    EXPECT_EQ(admit("a", t0), 1) << "two at once";
    EXPECT_EQ(admit("b", t0), 0) << "another address is counted apart";
    held.clear();  // the uploads are done
    EXPECT_EQ(admit("a", t0), 0);
    EXPECT_EQ(admit("a", t0), 0);
    held.clear();
    EXPECT_EQ(admit("a", t0), 2) << "four an hour";
    EXPECT_EQ(admit("a", t0 + 14min), 2);
    EXPECT_EQ(admit("a", t0 + 16min), 0) << "a quarter of an hour gives one back";
}

TEST(ServeParts, TheUploadFormKeepsWithinItsLimits) {
    UploadFormCollector form(10);
    form.BeginField("email");
    EXPECT_TRUE(form.Append(" a@b.org \r\n"));
    form.BeginField("other");
    EXPECT_TRUE(form.Append(std::string(1000, 'x')));
    form.BeginField("log");
    EXPECT_TRUE(form.Append("0123456789"));
    EXPECT_EQ(form.Email(), "a@b.org");
    EXPECT_EQ(form.File(), "0123456789");
    EXPECT_FALSE(form.Append("!"));
    EXPECT_EQ(form.Failure(), UploadFormCollector::Problem::kTooLarge);

    UploadFormCollector endless(10);
    endless.BeginField("email");
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(endless.Append(std::string(1000, 'e')));
    }
    EXPECT_LE(endless.Email().size(), 300u) << "an over-long address is kept short";
}

// A request read whole or refused with its status, the same whether its
// bytes come at once or one by one.
TEST(ServeParts, ARequestIsReadWithinItsLimitsInAnyPieces) {
    const std::string post = "POST /organiser/login HTTP/1.1\r\nHost: x\r\n";
    std::string manyLines = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 101; ++i) {
        manyLines += "A: b\r\n";
    }
    const struct {
        const char* name;
        std::string bytes;
        int refusal;  // 0: read whole
        std::string path;
        std::string body;
    } cases[] = {
        {"get", "GET /received HTTP/1.1\r\nHost: x\r\n\r\n", 0, "/received", ""},
        {"decoded", "GET /results/%2E%2E/x?a=1&b=two+words HTTP/1.0\r\n\r\n", 0, "/results/../x",
         ""},
        {"length", post + "Content-Length: 5\r\n\r\nhello", 0, "/organiser/login", "hello"},
        {"chunked",
         post + "Transfer-Encoding: chunked\r\n\r\n3;x=y\r\nhel\r\n2\r\nlo\r\n0\r\nT: 1\r\n\r\n", 0,
         "/organiser/login", "hello"},
        {"length over", post + "Content-Length: 11\r\n\r\n", 413, "", ""},
        {"chunked over", post + "Transfer-Encoding: chunked\r\n\r\n6\r\nhello!\r\n6\r\nhello!\r\n",
         413, "", ""},
        {"both lengths", post + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n", 400, "",
         ""},
        {"long chunk line", post + "Transfer-Encoding: chunked\r\n\r\n1;" + std::string(9000, 'a'),
         400, "", ""},
        {"long head", "GET / HTTP/1.1\r\nX: " + std::string(33 * 1024, 'a'), 431, "", ""},
        {"many lines", manyLines + "\r\n", 431, "", ""},
        {"long address", "GET /" + std::string(3000, 'a') + " HTTP/1.1\r\n\r\n", 414, "", ""},
        {"no address", "OPTIONS * HTTP/1.1\r\n\r\n", 400, "", ""},
        {"no request", "HELLO\r\n\r\n", 400, "", ""},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {c.bytes.size(), std::size_t{1}}) {
            RequestReader reader;
            Request head;
            std::string body;
            RequestReader::Step step = RequestReader::Step::kMore;
            for (std::size_t at = 0; at < c.bytes.size() && step == RequestReader::Step::kMore;
                 at += piece) {
                step = reader.Feed(std::string_view(c.bytes).substr(at, piece));
                if (step == RequestReader::Step::kHead) {
                    head = reader.TakeHead();
                    step = reader.ReadBody(10);
                }
            }
            const std::string name = std::string(c.name) + " in pieces of " + std::to_string(piece);
            if (c.refusal != 0) {
                EXPECT_EQ(step, RequestReader::Step::kRefused) << name;
                EXPECT_EQ(reader.RefusalStatus(), c.refusal) << name;
                EXPECT_LE(reader.BodyBytes(), 10u) << name;
                continue;
            }
            ASSERT_EQ(step, RequestReader::Step::kComplete) << name;
            EXPECT_EQ(head.path, c.path) << name;
            EXPECT_EQ(reader.TakeBody(), c.body) << name;
        }
    }
    std::string path;
    Params params;
    ASSERT_TRUE(ReadTarget("/x%20y?a=1&b=two+words&c&%ZZ=%41", path, params));
    EXPECT_EQ(path, "/x y");
    EXPECT_EQ(params, (Params{{"a", "1"}, {"b", "two words"}, {"c", ""}, {"%ZZ", "A"}}));
}

TEST(ServeParts, AFormsFieldsAreReadOrTheFormRefused) {
    EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=abc"), "abc");
    EXPECT_EQ(MultipartBoundary("multipart/form-data; charset=x; BOUNDARY=\"a b\""), "a b");
    EXPECT_EQ(MultipartBoundary("multipart/form-data"), std::nullopt);
    EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=" + std::string(71, 'b')),
              std::nullopt);

    const std::string part =
        "--B\r\nContent-Disposition: form-data; name=\"log\"; "
        "filename=\"a;b.log\"\r\nContent-Type: text/plain\r\n\r\n";
    const struct {
        const char* name;
        std::string body;
        bool whole;
        std::string fields;  // name[file name]=content, each
    } cases[] = {
        {"two fields",
         part + "QSO\r\n--B\r\nContent-Disposition: form-data; name=email\r\n\r\n"
                "a@b.org\r\n--B--\r\n",
         true, "log[a;b.log]=QSO;email=a@b.org;"},
        {"preamble and epilogue", "junk\r\n" + part + "x\r\n--B--\r\njunk", true,
         "log[a;b.log]=x;"},
        {"empty content", part + "\r\n--B--", true, "log[a;b.log]=;"},
        {"no closing boundary", part + "QSO\r\n--B\r\n", false, "log[a;b.log]=QSO;"},
        {"cut off", part + "QSO", false, ""},
        {"no name", "--B\r\nContent-Type: text/plain\r\n\r\nx\r\n--B--", false, ""},
        {"not form-data", "--B\r\nContent-Disposition: attachment; name=x\r\n\r\nx\r\n--B--", false,
         ""},
        {"endless part headers", "--B\r\n" + std::string(10000, 'h') + "\r\n\r\nx\r\n--B--", false,
         ""},
        {"no boundary", "nothing here", false, ""},
    };
    for (const auto& c : cases) {
        std::string fields;
        const bool whole = ReadMultipartForm(
            c.body, "B",
            [&fields](std::string_view name, std::string_view fileName) {
                fields += std::string(name) +
                          (fileName.empty() ? "" : "[" + std::string(fileName) + "]") + "=";
                return true;
            },
            [&fields](std::string_view bytes) {
                fields += std::string(bytes) + ";";
                return true;
            });
        EXPECT_EQ(whole, c.whole) << c.name;
        EXPECT_EQ(fields, c.fields) << c.name;
    }
}

// Logs of a call arriving in any order, taken out and put back in any
// order: each row not removed points at the next by arrival, and the last is
// current, as a plain list sorted by arrival says.
TEST(ServeParts, TheCurrentLogIsTheLastArrivedOfThoseNotRemoved) {
    std::random_device random;
    const fs::path folder =
        fs::temp_directory_path() / ("zelk-serve-chain-" + std::to_string(random()));
    fs::create_directories(folder);
    SubmissionStore store(folder / "submissions.sqlite");
    std::mt19937 pick(7);
    struct Row {
        int64_t id, arrival;
        std::string call;
        bool removed = false;
    };
    std::vector<Row> rows;
    for (int step = 0; step < 200; ++step) {
        const int what = static_cast<int>(pick() % 4);
        if (what < 2 || rows.empty()) {
            NewSubmission row;
            row.call = pick() % 2 == 0 ? "UA2TV" : "RK7P";
            row.arrival = static_cast<int64_t>(pick() % 100000);  // in any order
            row.sha256 = "aa";
            rows.push_back({store.Add(row).id, row.arrival, row.call});
        } else {
            Row& row = rows[pick() % rows.size()];
            const std::string problem = row.removed ? store.Restore(row.id, "why", "at")
                                                    : store.Remove(row.id, "why", "at");
            ASSERT_EQ(problem, "");
            row.removed = !row.removed;
        }
        for (const std::string call : {"UA2TV", "RK7P"}) {
            std::vector<const Row*> live;
            for (const Row& row : rows) {
                if (row.call == call && !row.removed) {
                    live.push_back(&row);
                }
            }
            std::sort(live.begin(), live.end(), [](const Row* a, const Row* b) {
                return std::pair(a->arrival, a->id) < std::pair(b->arrival, b->id);
            });
            for (std::size_t i = 0; i < live.size(); ++i) {
                const auto next =
                    i + 1 < live.size() ? std::optional(live[i + 1]->id) : std::nullopt;
                ASSERT_EQ(store.Find(live[i]->id)->replacedBy, next) << "step " << step;
            }
        }
    }
    EXPECT_EQ(store.IntegrityCheck(), "ok");
    fs::remove_all(folder);
}

// The database as the first release left it: schema version 1.
void MakeVersionOne(const fs::path& file) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    const char* sql = R"(
        CREATE TABLE submissions (id INTEGER PRIMARY KEY, call TEXT NOT NULL,
            category TEXT NOT NULL, email TEXT NOT NULL, received_at TEXT NOT NULL,
            size INTEGER NOT NULL, sha256 TEXT NOT NULL, stored_name TEXT NOT NULL,
            replaced_by INTEGER REFERENCES submissions(id), summary TEXT NOT NULL);
        CREATE UNIQUE INDEX submissions_current ON submissions(call) WHERE replaced_by IS NULL;
        INSERT INTO submissions VALUES (1, 'UA2TV', 'SO', '', '2024-05-19T10:00:00Z', 10, 'aa',
            'aa.log', NULL, '{"qsos": 17, "claimed_score": null, "score": 2603,
            "unreadable_lines": [{"line": 28, "reason": "x"}], "warnings": []}');
        INSERT INTO submissions VALUES (2, 'RK7P', 'SO', '', '2024-05-19T10:00:00Z', 10, 'cc',
            'cc.log', NULL, 'not JSON');
        PRAGMA user_version = 1;)";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(ServeParts, TheDatabaseIsMigratedForwardAndANewerOneIsRefused) {
    std::random_device random;
    const fs::path folder =
        fs::temp_directory_path() / ("zelk-serve-db-" + std::to_string(random()));
    fs::create_directories(folder);
    const fs::path file = folder / "submissions.sqlite";
    MakeVersionOne(file);
    {
        SubmissionStore store(file);
        EXPECT_EQ(store.SchemaVersion(), SubmissionStore::CurrentSchemaVersion());
        const auto old = store.All();
        ASSERT_EQ(old.size(), 2u);
        EXPECT_EQ(old[0].call, "UA2TV");
        EXPECT_FALSE(old[0].byOrganiser);
        // The counts the pages show, from the summaries there were.
        EXPECT_EQ(old[0].qsos, 17);
        EXPECT_EQ(old[0].score, 2603);
        EXPECT_EQ(old[0].claimedScore, std::nullopt);
        EXPECT_EQ(old[0].unreadableCount, 1);
        EXPECT_EQ(old[1].qsos, 0);
        EXPECT_EQ(old[0].receiptKey.size(), 32u);
        EXPECT_NE(old[0].receiptKey, old[1].receiptKey);
        EXPECT_LT(old[0].arrival, store.NextArrival());
        // The logs there were came in by the web; the mail tables and the
        // outbox are there, empty.
        EXPECT_EQ(old[0].source, "web");

        NewSubmission next = old[0];
        next.sha256 = "bb";
        next.byOrganiser = true;
        next.source = "mail";
        next.arrival = store.NextArrival();
        const Added added = store.Add(next);
        EXPECT_EQ(added.replaces, 1);
        EXPECT_EQ(store.Find(1)->replacedBy, added.id);
        ASSERT_EQ(store.Current().size(), 2u);
        EXPECT_TRUE(store.Current()[1].byOrganiser);
        EXPECT_EQ(store.Current()[1].source, "mail");
        Outbox outbox(file);
        EXPECT_EQ(outbox.Counts().waiting, 0);
        EXPECT_TRUE(
            outbox.Queue({LetterKind::kReceipt, "ann@example.org", "s", "b", "", added.id}, Now()));
        EXPECT_EQ(outbox.Counts().waiting, 1);
        EXPECT_EQ(store.IntegrityCheck(), "ok");
    }
    {
        Connection connection(file);
        connection.Execute("PRAGMA user_version = 99");
    }
    EXPECT_THROW(SubmissionStore{file}, std::runtime_error);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zelk::serve
