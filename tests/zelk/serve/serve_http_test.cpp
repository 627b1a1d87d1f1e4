// zelk serve over HTTP, against a server on an ephemeral loopback port: the
// receipt and the replacement of a call's log, the received list, refusals
// of what is no log and of oversized, slow and too frequent uploads, the
// deadline, the organiser's token, cross-site forms and escaping; and that
// the receipt's score and the check's results are zelk's own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "adjudication/contest_rules.h"
#include "adjudication/decisions_file.h"
#include "adjudication/log_header.h"
#include "logfile/cabrillo_reader.h"
#include "serve/security.h"
#include "served_contest.h"

namespace zelk::serve::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

const fs::path kExamples = ZELK_EXAMPLES;

TEST(ServeHttp, ReceiptTellsWhatWasReadAndANewLogOfACallReplacesTheOld) {
    ServedContest served;
    const std::string log = Example("UA2TV.log");
    auto first = served.Upload(log, "ua2tv@example.org");
    ASSERT_EQ(first->status, 201) << first->body;
    const json receipt = Body(first);
    EXPECT_EQ(receipt["call"], "UA2TV");
    EXPECT_EQ(receipt["category"], "SINGLE-OP ALL LOW") << "as the check ranks it";
    EXPECT_EQ(receipt["qsos"], 17);
    EXPECT_EQ(receipt["claimed_score"], 2603);
    EXPECT_TRUE(receipt["replaces"].is_null());
    EXPECT_EQ(receipt["sha256"], Sha256Hex(log));
    // Stored byte for byte under its SHA-256.
    EXPECT_EQ(ReadFile(served.dir().logs / (Sha256Hex(log) + ".log")), log);

    std::string corrected = Replaced(log, "CLAIMED-SCORE: 2603", "CLAIMED-SCORE: 2500");
    corrected =
        Replaced(corrected, "END-OF-LOG:", "QSO: 14030 CW 2024-05-12 0900 UA2TV 599\nEND-OF-LOG:");
    auto second = served.Upload(corrected);
    ASSERT_EQ(second->status, 201);
    const json replacing = Body(second);
    EXPECT_EQ(replacing["replaces"], receipt["id"]);
    EXPECT_EQ(replacing["claimed_score"], 2500);
    ASSERT_EQ(replacing["unreadable_lines"].size(), 1u);
    EXPECT_EQ(replacing["unreadable_lines"][0]["line"], 28);

    auto page = served.Upload(Example("UA2JOI.log"), "", {}, "text/html");
    ASSERT_EQ(page->status, 201);
    EXPECT_NE(page->body.find("<span id=\"call\">UA2JOI</span>"), std::string::npos);

    const json received = Body(served.Client().Get("/api/logs"));
    EXPECT_EQ(received["count"], 2);
    EXPECT_EQ(received["logs"][0]["call"], "UA2JOI");
    EXPECT_EQ(received["logs"][1]["call"], "UA2TV");
    const std::string list = served.Client().Get("/received")->body;
    EXPECT_NE(list.find("<strong id=\"count\">2</strong>"), std::string::npos);
    EXPECT_EQ(list.find("example.org"), std::string::npos) << "the public list shows no e-mail";

    const json all =
        Body(served.Client().Get("/organiser/submissions.json", Bearer(served.token())));
    ASSERT_EQ(all["count"], 3);
    EXPECT_EQ(all["submissions"][0]["replaced_by"], replacing["id"]);
    EXPECT_EQ(all["submissions"][0]["email"], "ua2tv@example.org");
}

// A file of junk lines costs a receipt of a few kilobytes: the first
// unreadable lines and their count, in the receipt, the row and the pages.
// The receipt shows again at its link, to whoever has the whole link; its
// category is the check's reading of the header, told when it comes from a
// Cabrillo 2.0 CATEGORY: line.
TEST(ServeHttp, TheReceiptKeepsTheFirstUnreadableLinesAndShowsAgainAtItsLink) {
    ServedContest served;
    std::string junk;
    for (int i = 0; i < 5000; ++i) {
        junk += "JUNK " + std::to_string(i) + "\r\n";
    }
    std::string log = Replaced(Example("UA2TV.log"), "END-OF-LOG:", junk + "END-OF-LOG:");
    log = Replaced(log, "CATEGORY-OPERATOR: SINGLE-OP", "CATEGORY: SINGLE-OP ALL LOW CW");
    log = Replaced(log, "CATEGORY-BAND: ALL", "X-BAND: ALL");
    log = Replaced(log, "CATEGORY-POWER: LOW", "X-POWER: LOW");
    auto answer = served.Upload(log);
    ASSERT_EQ(answer->status, 201);
    EXPECT_LT(answer->body.size(), 40000u);
    const json receipt = Body(answer);
    EXPECT_EQ(receipt["unreadable_lines"].size(), kNotesKept);
    EXPECT_EQ(receipt["unreadable_count"], 5000);
    auto read = logfile::ReadCabrillo(log);
    const auto category =
        adjudication::ReadCategory(std::get<logfile::CabrilloLog>(read)).RankedName();
    EXPECT_EQ(receipt["category"], "SINGLE-OP ALL LOW");
    EXPECT_EQ(receipt["category"], category);
    const std::string said = receipt.dump();
    const auto told = said.find(
        "Cabrillo 2.0 CATEGORY: line (SINGLE-OP ALL LOW CW); the check "
        "takes it as " +
        category);
    EXPECT_NE(told, std::string::npos);
    EXPECT_EQ(said.find("Cabrillo 2.0", told + 1), std::string::npos) << "told once";
    const auto row = served.app().submissions.Find(receipt["id"]);
    EXPECT_EQ(row->unreadableCount, 5000);
    EXPECT_LT(row->summary.size(), 40000u);

    const std::string link = receipt["receipt_link"];
    EXPECT_EQ(Body(served.Client().Get(link, {{"Accept", "application/json"}})), receipt);
    EXPECT_NE(served.Client().Get(link)->body.find("and 4900 more"), std::string::npos);
    ASSERT_EQ(served.Upload(Example("UA2JOI.log"))->status, 201);
    const std::string key = link.substr(link.rfind('/') + 1);
    for (const std::string& wrong :
         {"/receipts/1/" + std::string(32, '0'), "/receipts/2/" + key, std::string("/receipts/1/"),
          "/receipts/1/" + key.substr(0, 31)}) {
        EXPECT_EQ(served.Client().Get(wrong)->status, 404) << wrong;
    }

    // The desk filtered to logs with problems: this one, not UA2JOI's.
    const std::string problems =
        served.Client().Get("/organiser?show=problems", Bearer(served.token()))->body;
    EXPECT_NE(problems.find("id=\"submission-1\""), std::string::npos);
    EXPECT_EQ(problems.find("id=\"submission-2\""), std::string::npos);
}

TEST(ServeHttp, WhatIsNoCabrilloLogIsRefusedAndLeavesNothingBehind) {
    ServedContest served;
    const std::string utf16("\xFF\xFES\0T\0A\0R\0T\0", 12);
    const std::string binary(
        "\x7F"
        "ELF\x02\x01\x01\0\0\0\0\0START",
        17);
    const struct {
        const char* name;
        std::string log;
        std::string email;
        const char* reason;
        std::string fileName = "mylog.log";
    } cases[] = {
        {"ADIF", Example("KL2OYT.adi"), "", "is an ADIF log"},
        {"UTF-16", utf16, "", "UTF-16"},
        {"binary", binary, "", "binary data"},
        {"blank", " \r\n\r\n", "", "is empty"},
        {"empty file", "", "", "The file you chose, mylog.log, is empty"},
        {"no file chosen", "", "", "No log arrived: choose the log file", ""},
        {"no call", "START-OF-LOG: 3.0\nEND-OF-LOG:\n", "", "names no call"},
        {"bad e-mail", Example("UA2TV.log"), "ua2tv at home", "not an e-mail address"},
    };
    for (const auto& refused : cases) {
        auto answer = served.Upload(refused.log, refused.email, {}, "application/json", "log",
                                    refused.fileName);
        ASSERT_TRUE(answer) << refused.name;
        EXPECT_EQ(answer->status, 422) << refused.name;
        EXPECT_NE(Body(answer)["error"].get<std::string>().find(refused.reason), std::string::npos)
            << refused.name << ": " << answer->body;
    }
    EXPECT_TRUE(fs::is_empty(served.dir().logs));
    EXPECT_TRUE(served.app().submissions.All().empty());
}

TEST(ServeHttp, ALogOfTheLimitIsTakenAndOneByteMoreIsNot) {
    ServeSettings settings;
    settings.maxUploadBytes = 4096;
    ServedContest served(settings);
    const std::string log = Example("UA2TV.log");
    const std::string padded = log + std::string(4096 - log.size(), '\n');
    EXPECT_EQ(served.Upload(padded)->status, 201);
    EXPECT_EQ(served.Upload(padded + "\n")->status, 413);
    // A client that waits to be told before it sends the body (curl does) is told.
    const auto told = served.Raw(
        "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=B\r\n"
        "Content-Length: 1000\r\nExpect: 100-continue\r\n\r\n",
        500ms);
    EXPECT_EQ(told.bytes, "HTTP/1.1 100 Continue\r\n\r\n");
}

// Clients that send too much, too slowly or nothing: each is answered (or
// dropped) and closed within a bound, all at once, while an honest upload
// is still received; beyond the connections held, room is made for an
// honest client; and the server stops at once with hostile clients
// connected.
TEST(ServeHttp, HostileClientsAreCutOffAndHonestOnesStillServed) {
    ServeSettings settings;
    settings.maxUploadBytes = 4096;
    settings.readTimeoutSeconds = 1;
    settings.uploadSeconds = 3;
    settings.threads = 2;
    settings.uploadsAtOnce = 10;
    std::optional<ServedContest> served(std::in_place, settings);
    const std::string upload =
        "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=B\r\n";
    const auto chunk = [](const std::string& bytes) {
        std::ostringstream size;
        size << std::hex << bytes.size();
        return size.str() + "\r\n" + bytes + "\r\n";
    };
    std::string headerLines;
    while (headerLines.size() < 1024) {
        headerLines += "X-Part: 0123456789abcdef\r\n";
    }
    std::string manyLines = "GET / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 120; ++i) {
        manyLines += "A: b\r\n";
    }
    const struct {
        const char* name;
        std::string request;
        std::string drip;
        std::chrono::milliseconds every;
        int status;  // 0: closed without an answer
        std::chrono::seconds within;
    } clients[] = {
        {"idle", "", "", 0ms, 0, 4s},
        {"head trickled", "GET / HTTP/1.1\r\nHost: x\r\n", "X", 200ms, 408, 4s},
        {"body trickled", upload + "Content-Length: 60000\r\n\r\n--B\r\n", "x", 200ms, 408, 7s},
        {"endless part headers", upload + "Transfer-Encoding: chunked\r\n\r\n" + chunk("--B\r\n"),
         chunk(headerLines), 0ms, 413, 4s},
        {"header flood", "GET / HTTP/1.1\r\n", "X-Flood: " + std::string(1000, 'a') + "\r\n", 0ms,
         431, 4s},
        {"too many header lines", manyLines + "\r\n", "", 0ms, 431, 4s},
        {"chunked flood to the login",
         "POST /organiser/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n",
         chunk(std::string(1024, 'x')), 0ms, 413, 4s},
        {"chunked flood to no page",
         "POST /nowhere HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n",
         chunk(std::string(1024, 'x')), 0ms, 404, 4s},
        {"endless chunk size line",
         "POST /organiser/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n1;",
         std::string(1000, 'a'), 0ms, 400, 4s},
        {"huge length for an upload", upload + "Content-Length: 10737418240\r\n\r\n", "", 0ms, 413,
         4s},
        {"huge length for the login",
         "POST /organiser/login HTTP/1.1\r\nHost: x\r\nContent-Length: 10737418240\r\n\r\n", "",
         0ms, 413, 4s},
    };
    std::vector<std::future<ServedContest::RawAnswer>> answers;
    for (const auto& client : clients) {
        answers.push_back(std::async(std::launch::async, [&served, &client] {
            return served->Raw(client.request, 15s, client.drip, client.every);
        }));
    }
    std::this_thread::sleep_for(300ms);
    const auto honest = served->Upload(Example("UA2TV.log"));
    ASSERT_TRUE(honest);
    EXPECT_EQ(honest->status, 201) << "an honest upload is received meanwhile";
    for (std::size_t i = 0; i < std::size(clients); ++i) {
        const auto answer = answers[i].get();
        EXPECT_EQ(StatusOf(answer.bytes), clients[i].status) << clients[i].name;
        EXPECT_TRUE(answer.closed) << clients[i].name;
        EXPECT_LT(answer.after, clients[i].within) << clients[i].name;
    }

    served.reset();

    // With the usual time for a head (10 s): more tricklers than the
    // connections held; a client that sends its request at once still gets
    // in, and a stop waits for none of them.
    ServeSettings usual;
    usual.maxConnections = 16;
    served.emplace(usual);
    std::vector<std::future<ServedContest::RawAnswer>> lingering;
    for (int i = 0; i < 20; ++i) {
        lingering.push_back(std::async(std::launch::async, [&served] {
            return served->Raw("GET / HTTP/1.1\r\n", 15s, "X", 100ms);
        }));
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(served->Upload(Example("UA2TV.log"))->status, 201);
    const auto stopping = std::chrono::steady_clock::now();
    served.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 3s) << "a stop waits for no client";
    for (auto& answer : lingering) {
        EXPECT_TRUE(answer.get().closed);
    }
}

// Behind a proxy the log and the upload limits name the entrant's address
// (the last of X-Forwarded-For); without one a client's X-Forwarded-For is
// not believed.
TEST(ServeHttp, TheClientsAddressIsTheProxysWordOnlyBehindAProxy) {
    for (const bool behindProxy : {true, false}) {
        ServeSettings settings;
        settings.behindProxy = behindProxy;
        settings.uploadsPerHour = 1;
        ServedContest served(settings);
        const auto from = [&](const char* address) {
            return served.Upload(Example("UA2TV.log"), "", {{"X-Forwarded-For", address}})->status;
        };
        EXPECT_EQ(from("203.0.113.9"), 201) << behindProxy;
        EXPECT_EQ(from("198.51.100.7"), behindProxy ? 201 : 429) << behindProxy;
        EXPECT_EQ(from("203.0.113.9"), 429) << behindProxy;
        const std::vector<std::string> lines = served.LogLines();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_NE(
            lines[0].find(behindProxy ? " 203.0.113.9 POST /api/logs 201" : " 127.0.0.1 POST"),
            std::string::npos)
            << lines[0];
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find(behindProxy ? "127.0.0.1" : "203.0.113.9"), std::string::npos)
                << line;
        }
    }
}

TEST(ServeHttp, ManyUploadsFromOneAddressGet429) {
    ServeSettings settings;
    settings.uploadsAtOnce = 1;
    settings.uploadsPerHour = 3;
    ServedContest served(settings);
    // One upload under way (its body never comes) holds the address's place.
    std::thread stalled([&served] {
        served.Raw(
            "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; "
            "boundary=B\r\nContent-Length: 1000\r\n\r\n--B\r\n",
            800ms);
    });
    std::this_thread::sleep_for(300ms);
    auto atOnce = served.Upload(Example("UA2TV.log"));
    stalled.join();
    EXPECT_EQ(atOnce->status, 429);
    EXPECT_EQ(atOnce->get_header_value("Retry-After"), "1");
    std::this_thread::sleep_for(200ms);  // the stalled upload gives its place back

    // Three an hour: the stalled one was the first.
    EXPECT_EQ(served.Upload(Example("UA2TV.log"))->status, 201);
    EXPECT_EQ(served.Upload(Example("UA2JOI.log"))->status, 201);
    auto hourly = served.Upload(Example("RK7P.log"));
    EXPECT_EQ(hourly->status, 429);
    EXPECT_GT(std::stoi(hourly->get_header_value("Retry-After")), 60);
    // The organiser is not counted.
    EXPECT_EQ(served.Upload(Example("RK7P.log"), "", Bearer(served.token()))->status, 201);
}

TEST(ServeHttp, AfterTheDeadlineOnlyTheOrganiserAddsLogs) {
    ServeSettings settings;
    settings.deadline = ParseUtc("2024-05-19T23:59");
    ServedContest served(settings);
    auto late = served.Upload(Example("UA2TV.log"));
    EXPECT_EQ(late->status, 403);
    EXPECT_NE(Body(late)["error"].get<std::string>().find("deadline"), std::string::npos);
    EXPECT_NE(served.Client().Get("/")->body.find("no longer received"), std::string::npos);

    auto byToken = served.Upload(Example("UA2TV.log"), "", Bearer(served.token()));
    ASSERT_EQ(byToken->status, 201);
    EXPECT_EQ(Body(byToken)["by_organiser"], true);

    // From the organiser's page: the cookie and the form's hidden value.
    const auto [cookie, value] = LogIn(served);
    const httplib::MultipartFormDataItems withValue = {{"log", Example("UA2JOI.log"), "a.log", ""},
                                                       {"form", value, "", ""}};
    auto fromDesk = served.Client().Post("/api/logs", {{"Cookie", cookie}}, withValue);
    EXPECT_EQ(fromDesk->status, 201);
    // The cookie alone, as a page elsewhere could make a browser send it, is no organiser.
    EXPECT_EQ(served.Upload(Example("RK7P.log"), "", {{"Cookie", cookie}})->status, 403);
}

TEST(ServeHttp, TheOrganisersPagesNeedTheToken) {
    ServedContest served;
    struct stat token {};
    ASSERT_EQ(::stat(served.dir().tokenFile.c_str(), &token), 0);
    EXPECT_EQ(token.st_mode & 0777, 0600u);

    const struct {
        const char* path;
        httplib::Headers headers;
        int status;
    } cases[] = {
        {"/organiser/submissions.json", {}, 401},
        {"/organiser/submissions.json", Bearer("0123456789abcdef0123456789abcdef"), 401},
        {"/organiser/submissions.json", Bearer(served.token()), 200},
        {"/organiser/logs/1", {}, 401},
        {"/organiser/results/results.txt", {{"Cookie", "zelk_organiser=" + served.token()}}, 401},
        {"/organiser", {}, 200},  // the login page, not the desk
        {"/organiser/submissions/1", {}, 401},
    };
    for (const auto& request : cases) {
        const auto answer = served.Client().Get(request.path, request.headers);
        EXPECT_EQ(answer->status, request.status) << request.path;
        EXPECT_EQ(answer->body.find("Every submission"), std::string::npos) << request.path;
    }
    auto wrong = served.Client().Post("/organiser/login", "token=guess",
                                      "application/x-www-form-urlencoded");
    EXPECT_EQ(wrong->status, 403);
    auto right = served.Client().Post("/organiser/login", "token=" + served.token(),
                                      "application/x-www-form-urlencoded");
    ASSERT_EQ(right->status, 303);
    const std::string setCookie = right->get_header_value("Set-Cookie");
    EXPECT_NE(setCookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(setCookie.find("SameSite=Strict"), std::string::npos);
    EXPECT_EQ(setCookie.find(served.token()), std::string::npos) << "the cookie is not the token";
    auto desk =
        served.Client().Get("/organiser", {{"Cookie", setCookie.substr(0, setCookie.find(';'))}});
    EXPECT_EQ(desk->status, 200);
    EXPECT_NE(desk->body.find("Every submission"), std::string::npos);
}

TEST(ServeHttp, FormsFromAnotherSiteChangeNothing) {
    ServedContest served;
    const auto [cookie, value] = LogIn(served);
    const struct {
        std::string form;
        std::string origin;
        int status;
    } cases[] = {
        {"", "", 403},
        {"form=" + std::string(64, '0'), "", 403},
        {"form=" + value, "http://evil.example", 403},
        {"form=" + value, "null", 403},
        {"form=" + value, "http://" + served.host(), 200},
        {"form=" + value, "", 200},
    };
    for (const auto& request : cases) {
        httplib::Headers headers{{"Cookie", cookie}};
        if (!request.origin.empty()) {
            headers.emplace("Origin", request.origin);
        }
        auto answer = served.Client().Post("/organiser/check", headers, request.form,
                                           "application/x-www-form-urlencoded");
        EXPECT_EQ(answer->status, request.status) << request.form << " from " << request.origin;
    }
    EXPECT_EQ(served.app().submissions.LastCheck()->id, 2) << "only the two genuine forms ran";
    auto login =
        served.Client().Post("/organiser/login", {{"Origin", "http://evil.example"}},
                             "token=" + served.token(), "application/x-www-form-urlencoded");
    EXPECT_EQ(login->status, 403);
}

TEST(ServeHttp, TextsFromALogAreShownAsTextAndPagesForbidScripts) {
    ServedContest served;
    std::string log =
        Replaced(Example("UA2TV.log"), "CALLSIGN: UA2TV", "CALLSIGN: <script>x()</script>");
    log = Replaced(log, "CATEGORY-POWER: LOW", "CATEGORY-POWER: <img src=x onerror=y()>");
    auto receipt = served.Upload(log, "", {}, "text/html");
    ASSERT_EQ(receipt->status, 201);
    EXPECT_EQ(Body(served.Client().Get("/api/logs"))["logs"][0]["call"], "<SCRIPT>X()</SCRIPT>");
    const std::string pages[] = {receipt->body, served.Client().Get("/received")->body,
                                 served.Client().Get("/organiser", Bearer(served.token()))->body};
    for (const std::string& page : pages) {
        EXPECT_EQ(page.find("<SCRIPT"), std::string::npos);
        EXPECT_EQ(page.find("<img"), std::string::npos);
        EXPECT_NE(page.find("&lt;SCRIPT&gt;X()&lt;/SCRIPT&gt;"), std::string::npos);
    }
    for (const char* path : {"/", "/received", "/results/", "/nowhere"}) {
        const std::string policy =
            served.Client().Get(path)->get_header_value("Content-Security-Policy");
        EXPECT_NE(policy.find("default-src 'none'"), std::string::npos) << path;
        EXPECT_EQ(policy.find("script-src"), std::string::npos) << path;
    }
}

// The deadline, the contest's information and the upload limits follow
// contest.toml as it changes (the upload limit above the one started with
// too); a change that cannot be read leaves them as they were, and the desk
// says why.
TEST(ServeHttp, TheSettingsFollowContestTomlWithoutARestart) {
    ServeSettings started;
    started.maxUploadBytes = 1024;
    ServedContest served(started, {}, [](const fs::path& file) {
        return fs::exists(file) ? adjudication::ReadRulesFile(file)
                                : std::variant<adjudication::CheckRules, std::string>{};
    });
    const struct {
        std::string toml;
        int upload;
        std::string page;  // on the upload page, or (after a fault) on the desk
    } steps[] = {
        {"[serve]\ndeadline = 2020-01-01T00:00:00Z\ncontact = \"contest@example.org\"\n", 403,
         "mailto:contest@example.org"},
        {"[serve]\ndeadline = 2099-01-01T00:00:00Z\nrules_link = \"https://example.org/r\"\n"
         "max_upload = 1048576\n",
         201, "2099-01-01 00:00 UTC"},
        {"contest = \"ZELK-CW\"\nstart = 2024-05-11T12:00:00Z\nend = 2024-05-12T12:00:00Z\n"
         "contest_aliases = [\"ZELK\"]\n[serve]\nmax_upload = 1024\n",
         413, "2024-05-11 12:00 UTC to 2024-05-12 12:00 UTC"},
        {"[serve]\nmax_upload = \"a lot\"\n", 413, "contest.toml line 2: serve.max_upload"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.toml);
        std::ofstream(served.dir().root / "contest.toml") << step.toml;
        std::this_thread::sleep_for(1100ms);  // the file is looked at once a second
        EXPECT_EQ(served.Upload(Example("UA2TV.log"))->status, step.upload);
        const std::string page =
            served.Client()
                .Get(step.upload == 413 && step.page.starts_with("contest.toml") ? "/organiser"
                                                                                 : "/",
                     Bearer(served.token()))
                ->body;
        EXPECT_NE(page.find(step.page), std::string::npos) << page;
    }
}

// What `zelk` prints or writes, run as a user runs it.
int RunZelk(const std::string& arguments, const fs::path& output) {
    const std::string command = std::string("'") + ZELK_PROGRAM + "' " + arguments + " >'" +
                                output.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ServeHttp, TheReceiptsScoreIsZelkReportsScore) {
    ServedContest served;
    std::vector<fs::path> logs{ZELK_FIXTURES "/cabrillo/other-loggers.log",
                               ZELK_FIXTURES "/cabrillo/unreadable-lines.log"};
    for (const auto& entry : fs::directory_iterator(kExamples / "contest")) {
        if (entry.path().extension() != ".adi") {
            logs.push_back(entry.path());
        }
    }
    const fs::path summary = served.dir().root / "summary.txt";
    for (const fs::path& log : logs) {
        ASSERT_EQ(RunZelk("report '" + log.string() + "' --summary", summary), 0) << log;
        // "Score:          850+202+951+300+300 = 2603"
        const std::string text = ReadFile(summary);
        const auto line = text.find("\nScore:");
        ASSERT_NE(line, std::string::npos) << text;
        const auto equals = text.find("= ", line);
        ASSERT_NE(equals, std::string::npos) << text;
        auto receipt = served.Upload(ReadFile(log), "", Bearer(served.token()));
        ASSERT_EQ(receipt->status, 201) << log;
        EXPECT_EQ(Body(receipt)["score"], std::stoll(text.substr(equals + 2))) << log;
    }
}

TEST(ServeHttp, TheCheckIsZelkAdjudicateOnTheCurrentLogsAndPublishingShowsIt) {
    ServedContest served;
    for (const auto& entry : fs::directory_iterator(kExamples / "contest")) {
        served.Upload(ReadFile(entry.path()));
    }
    served.Upload(Replaced(Example("RK7P.log"), "CLAIMED-SCORE: 1550", "CLAIMED-SCORE: 1500"));
    EXPECT_NE(served.Client().Get("/results/")->body.find("not yet published"), std::string::npos);

    auto check = served.Client().Post("/organiser/check", Bearer(served.token()), "", "text/plain");
    ASSERT_EQ(check->status, 200) << check->body;
    const fs::path again = served.dir().root / "adjudicated";
    ASSERT_EQ(RunZelk("adjudicate '" + served.dir().current.string() + "' -o '" + again.string() +
                          "' --html",
                      served.dir().root / "table.txt"),
              0);
    const std::string results = ReadFile(served.dir().results / "results.txt");
    EXPECT_EQ(results, ReadFile(again / "results.txt"));
    EXPECT_NE(results.find("RK7P"), std::string::npos);
    EXPECT_NE(results.find("1500"), std::string::npos) << "the latest log of RK7P is checked";
    EXPECT_EQ(served.Client().Get("/results/ubn/UA2TV.ubn")->status, 404) << "not yet published";

    auto publish =
        served.Client().Post("/organiser/publish", Bearer(served.token()), "", "text/plain");
    ASSERT_EQ(publish->status, 303);
    // The public page: the site's navigation, no lists for the organiser's review.
    const std::string page = served.Client().Get("/results/")->body;
    EXPECT_TRUE(page == ReadFile(served.dir().results / "results-public.html"));
    EXPECT_NE(page.find("<a href=\"/received\">"), std::string::npos);
    EXPECT_EQ(page.find("Logs that cost others NILs"), std::string::npos);
    EXPECT_NE(ReadFile(served.dir().results / "results.html").find("Logs that cost others NILs"),
              std::string::npos);
    EXPECT_EQ(served.Client().Get("/results/ubn/UA2TV.ubn")->status, 200);
    EXPECT_EQ(served.Client().Get("/results/results.json")->status, 404) << "it holds them too";
    // Published with them when the organiser chooses.
    publish = served.Client().Post("/organiser/publish", Bearer(served.token()), "review=1",
                                   "application/x-www-form-urlencoded");
    ASSERT_EQ(publish->status, 303);
    EXPECT_NE(served.Client().Get("/results/")->body.find("Logs that cost others NILs"),
              std::string::npos);
    EXPECT_EQ(served.Client().Get("/results/results.json")->status, 200);
    for (const char* path :
         {"/results/ubn/..%2F..%2Forganiser-token", "/results/..%2Forganiser-token",
          "/results/%2E%2E/submissions.sqlite"}) {
        EXPECT_EQ(served.Client().Get(path)->status, 404) << path;
    }
}

// The rules file and its decisions file are read again at each check, as
// zelk adjudicate --rules reads them, and a fault in them stops the check
// with the reason, leaving the results as they were.
TEST(ServeHttp, EachCheckReadsTheRulesAndDecisionsAsZelkAdjudicateDoes) {
    // In the contest's folder, where zelk serve looks for it.
    auto where = std::make_shared<fs::path>();
    ServeSettings settings;
    settings.rulesAtCheck = [where]() -> std::variant<adjudication::CheckRules, std::string> {
        auto read = adjudication::ReadRulesFile(*where);
        if (auto* rules = std::get_if<adjudication::CheckRules>(&read)) {
            auto decisions = adjudication::ReadDecisionsFile(rules->overridesFile);
            if (auto* problem = std::get_if<std::string>(&decisions)) {
                return *problem;
            }
            rules->decisions = std::get<std::vector<adjudication::Decision>>(decisions);
        }
        return read;
    };
    ServedContest served(settings);
    const fs::path rulesFile = *where = served.dir().root / "contest.toml";
    fs::copy_file(kExamples / "contest.toml", rulesFile);
    fs::copy_file(kExamples / "overrides.csv", served.dir().root / "overrides.csv");
    for (const auto& entry : fs::directory_iterator(kExamples / "contest")) {
        served.Upload(ReadFile(entry.path()));
    }
    const auto check = [&] {
        return served.Client().Post("/organiser/check", Bearer(served.token()), "", "text/plain");
    };
    ASSERT_EQ(check()->status, 200);
    const fs::path again = served.dir().root / "adjudicated";
    ASSERT_EQ(RunZelk("adjudicate '" + served.dir().current.string() + "' -o '" + again.string() +
                          "' --html --rules '" + rulesFile.string() + "'",
                      served.dir().root / "table.txt"),
              0);
    const std::string results = ReadFile(served.dir().results / "results.txt");
    EXPECT_EQ(results, ReadFile(again / "results.txt"));
    EXPECT_EQ(json::parse(ReadFile(served.dir().results / "results.json"))["settings"],
              json::parse(ReadFile(again / "results.json"))["settings"]);

    std::ofstream(rulesFile, std::ios::app) << "time_widow = 3\n";
    const auto refused = check();
    EXPECT_EQ(refused->status, 500);
    EXPECT_NE(refused->body.find("time_widow"), std::string::npos) << refused->body;
    EXPECT_EQ(ReadFile(served.dir().results / "results.txt"), results);
}

}  // namespace
}  // namespace zelk::serve::testing
