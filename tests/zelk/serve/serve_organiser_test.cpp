// The organiser's hands on every log, over HTTP: removing, restoring and
// setting a category, each kept with its reason and used by the check; a
// log of another contest refused to the public and added by the organiser;
// sessions that end and a token made anew. And every current log checked:
// export names that never collide, the log that arrived last current
// whatever order it was read in, an export's leftovers cleared.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <set>

#include "serve/check_run.h"
#include "served_contest.h"

namespace zelk::serve::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

// The current logs as "CALL#id", in order of call.
std::string CurrentLogs(ServedContest& served) {
    std::string text;
    for (const Submission& row : served.app().submissions.Current()) {
        text += (text.empty() ? "" : " ") + row.call + "#" + std::to_string(row.id);
    }
    return text;
}

TEST(ServeOrganiser, EachActionIsKeptShownAndUsedByTheCheck) {
    ServeSettings settings;
    settings.rules.contestAliases = {"ZELK-CW"};
    ServedContest served(settings);
    // 1 UA2TV, 2 UA2JOI, 3 UA2TV again, which replaces 1.
    for (const std::string& log :
         {Example("UA2TV.log"), Example("UA2JOI.log"),
          Replaced(Example("UA2TV.log"), "CLAIMED-SCORE: 2603", "CLAIMED-SCORE: 2500")}) {
        ASSERT_EQ(served.Upload(log)->status, 201);
    }
    const std::string otherContest =
        Replaced(Example("RK7P.log"), "CONTEST: ZELK", "CONTEST: CQ-WW-CW");
    const std::string aliased =
        Replaced(Example("ly8cwz.log"), "contest: ZELK", "contest: zelk-cw");
    const std::string token = served.token();

    const struct {
        const char* what;
        std::string path;  // POSTed with the token; "" uploads `log`
        std::string form;
        std::string log;
        bool byOrganiser;
        int status;
        std::string current;  // the current logs afterwards
        std::string says;     // in the answer
    } steps[] = {
        {"remove the later UA2TV", "/organiser/submissions/3/remove", "reason=a test upload", "",
         true, 200, "UA2JOI#2 UA2TV#1", "out of the contest"},
        {"remove it again", "/organiser/submissions/3/remove", "reason=again", "", true, 409,
         "UA2JOI#2 UA2TV#1", "removed already"},
        {"remove without a reason", "/organiser/submissions/2/remove", "reason=+", "", true, 422,
         "UA2JOI#2 UA2TV#1", "Say why"},
        {"restore it", "/organiser/submissions/3/restore", "reason=the entrant's own", "", true,
         200, "UA2JOI#2 UA2TV#3", "back in the contest"},
        {"restore one not removed", "/organiser/submissions/3/restore", "reason=x", "", true, 409,
         "UA2JOI#2 UA2TV#3", "not removed"},
        {"set a category", "/organiser/submissions/2/category",
         "operator=single-op&band=40M&power=QRP&reason=its header says ALL", "", true, 200,
         "UA2JOI#2 UA2TV#3", "SINGLE-OP 40M QRP"},
        {"a category the contest has not", "/organiser/submissions/2/category",
         "operator=SINGLE-OP&band=41M&power=QRP&reason=x", "", true, 422, "UA2JOI#2 UA2TV#3",
         "is no band category"},
        {"no such submission", "/organiser/submissions/99/remove", "reason=x", "", true, 404,
         "UA2JOI#2 UA2TV#3", "no such submission"},
        {"another contest's log from the public", "", "", otherContest, false, 422,
         "UA2JOI#2 UA2TV#3",
         "CONTEST: line (line 2) names CQ-WW-CW, but this is the ZELK (or "
         "ZELK-CW) contest"},
        {"the same added by the organiser", "", "", otherContest, true, 201,
         "RK7P#4 UA2JOI#2 UA2TV#3", "CONTEST: names CQ-WW-CW"},
        {"a log naming the contest's other name", "", "", aliased, false, 201,
         "LY8CWZ#5 RK7P#4 UA2JOI#2 UA2TV#3", "LY8CWZ"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const httplib::Headers headers = step.byOrganiser ? Bearer(token) : httplib::Headers{};
        const auto answer =
            step.path.empty()
                ? served.Upload(step.log, "", headers)
                : served.Client().Post(
                      step.path,
                      {{"Authorization", "Bearer " + token}, {"Accept", "application/json"}},
                      step.form, "application/x-www-form-urlencoded");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, step.status) << answer->body;
        EXPECT_NE(answer->body.find(step.says), std::string::npos) << answer->body;
        EXPECT_EQ(CurrentLogs(served), step.current);
    }

    // Kept with time and reason, shown on the desk; nothing deleted.
    const json actions =
        Body(served.Client().Get("/organiser/actions.json", Bearer(token)))["actions"];
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[2]["what"], "remove");
    EXPECT_EQ(actions[2]["submission"], 3);
    EXPECT_EQ(actions[2]["reason"], "a test upload");
    EXPECT_EQ(actions[1]["what"], "restore");
    EXPECT_EQ(actions[0]["value"], "SINGLE-OP 40M QRP");
    EXPECT_EQ(actions[0]["call"], "UA2JOI");
    const std::string desk = served.Client().Get("/organiser", Bearer(token))->body;
    for (const char* shown : {"a test upload", "the entrant&#39;s own", "its header says ALL"}) {
        EXPECT_NE(desk.find(shown), std::string::npos) << shown;
    }
    EXPECT_EQ(served.app().submissions.All().size(), 5u);
    const json received = Body(served.Client().Get("/api/logs"));
    EXPECT_EQ(received["logs"][2]["category"], "SINGLE-OP 40M QRP");

    // The check takes the organiser's category and leaves out what was removed.
    ASSERT_EQ(served.Client()
                  .Post("/organiser/submissions/5/remove", Bearer(token), "reason=a prank",
                        "application/x-www-form-urlencoded")
                  ->status,
              200);
    const auto check = served.Client().Post("/organiser/check", Bearer(token), "", "text/plain");
    ASSERT_EQ(check->status, 200);
    const json results = json::parse(ReadFile(served.dir().results / "results.json"));
    std::map<std::string, json> entrants;
    for (const json& entrant : results["entrants"]) {
        entrants[entrant["call"]] = entrant;
    }
    EXPECT_EQ(entrants.size(), 3u);
    EXPECT_FALSE(entrants.contains("LY8CWZ"));
    EXPECT_EQ(entrants["UA2JOI"]["category"]["band"], "40M");
    EXPECT_EQ(entrants["UA2JOI"]["category"]["power"], "QRP");
    EXPECT_EQ(entrants["UA2TV"]["claimed_score"], 2500);
}

TEST(ServeOrganiser, SessionsEndAndANewTokenEndsTheOldOne) {
    ServedContest served;
    const Session first = LogIn(served);
    const Session second = LogIn(served);
    EXPECT_NE(first.cookie, second.cookie) << "each login its own session";
    // Whether the session's cookie still opens the desk (else the login page).
    const auto desk = [&served](const std::string& cookie) {
        return served.Client()
                   .Get("/organiser", {{"Cookie", cookie}})
                   ->body.find("Every submission") != std::string::npos;
    };
    const auto post = [&served](const std::string& path, const Session& session,
                                const std::string& formValue) {
        return served.Client()
            .Post(path, {{"Cookie", session.cookie}}, "form=" + formValue,
                  "application/x-www-form-urlencoded")
            ->status;
    };
    const std::string oldToken = served.token();
    std::string newToken;

    const struct {
        const char* what;
        std::function<int()> act;
        int status;
        bool firstDesk, secondDesk;
    } steps[] = {
        {"both sessions see the desk", [] { return 200; }, 200, true, true},
        {"a form of one session with the other's value",
         [&] { return post("/organiser/logout", first, second.formValue); }, 403, true, true},
        {"the first logs out", [&] { return post("/organiser/logout", first, first.formValue); },
         303, false, true},
        {"a session past its twelve hours",
         [&] {
             const auto later = OrganiserAuth::Clock::now() + OrganiserAuth::kSessionLength;
             return served.app().auth.Authenticate("", second.cookie, later).via ==
                            OrganiserAuth::Via::kNone
                        ? 401
                        : 200;
         },
         401, false, true},
        {"a new token",
         [&] {
             const auto answer = served.Client().Post(
                 "/organiser/token", {{"Cookie", second.cookie}, {"Accept", "application/json"}},
                 "form=" + second.formValue, "application/x-www-form-urlencoded");
             newToken = Body(answer)["token"];
             return answer->status;
         },
         200, false, false},
        {"the old token",
         [&] { return served.Client().Get("/organiser", Bearer(oldToken))->status; }, 401, false,
         false},
        {"the new token",
         [&] { return served.Client().Get("/organiser", Bearer(newToken))->status; }, 200, false,
         false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.act(), step.status);
        EXPECT_EQ(desk(first.cookie), step.firstDesk);
        EXPECT_EQ(desk(second.cookie), step.secondDesk);
    }
    EXPECT_EQ(ReadFile(served.dir().tokenFile), newToken + "\n");
    struct stat file {};
    ASSERT_EQ(::stat(served.dir().tokenFile.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_THROW(LogIn(served, oldToken), std::runtime_error);
    EXPECT_TRUE(desk(LogIn(served, newToken).cookie));
    EXPECT_EQ(served.app().submissions.Actions().front().what, OrganiserAction::kNewToken);
}

TEST(ServeOrganiser, EveryCurrentLogIsCheckedUnderANameOfItsOwn) {
    ServedContest served;
    // Calls that a name made of letters, digits and "_" would give one file.
    for (const char* call : {"A/B", "A_B", "A_B-2", "a%2Fb"}) {
        ASSERT_EQ(served
                      .Upload(Replaced(Example("UA2TV.log"), "CALLSIGN: UA2TV",
                                       std::string("CALLSIGN: ") + call))
                      ->status,
                  201)
            << call;
    }
    EXPECT_EQ(ExportName("A/B", 1), "A_2FB.log");
    EXPECT_EQ(ExportName(std::string(200, 'Q'), 7), std::string(100, 'Q') + "~7.log");

    // Of two logs of a call, the one whose body arrived last is current,
    // though it was read and stored first.
    Intake& intake = served.app().intake;
    const auto settings = served.app().settings.Current();
    const Arrival earlier = intake.Arrive();
    const Arrival later = intake.Arrive();
    const auto latest = intake.Receive(
        {Replaced(Example("RK7P.log"), "CLAIMED-SCORE: 1550", "CLAIMED-SCORE: 1"), ""}, false,
        *settings, later);
    const auto first = intake.Receive({Example("RK7P.log"), ""}, false, *settings, earlier);
    ASSERT_TRUE(latest.receipt && first.receipt);
    EXPECT_EQ(first.receipt->replacedBy, latest.receipt->id);
    EXPECT_FALSE(first.receipt->replaces);
    for (const Submission& row : served.app().submissions.Current()) {
        if (row.call == "RK7P") {
            EXPECT_EQ(row.id, latest.receipt->id);
        }
    }

    // Leftovers of an export a kill cut off go at start.
    fs::create_directory(served.dir().root / ".current-AbC123");
    fs::create_directory(served.dir().root / ".published-x1y2z3");
    fs::create_directory(served.dir().root / ".current-kept");
    EXPECT_EQ(RemoveExportLeftovers(served.dir()), 2u);
    EXPECT_TRUE(fs::exists(served.dir().root / ".current-kept"));

    httplib::Headers headers = Bearer(served.token());
    headers.emplace("Accept", "application/json");
    const auto check = served.Client().Post("/organiser/check", headers, "", "text/plain");
    ASSERT_EQ(check->status, 200) << check->body;
    EXPECT_EQ(Body(check)["logs"], 5);
    std::set<std::string> exported;
    for (const auto& entry : fs::directory_iterator(served.dir().current)) {
        exported.insert(entry.path().filename().string());
    }
    EXPECT_EQ(exported, (std::set<std::string>{"A_2FB.log", "A_5FB.log", "A_5FB-2.log",
                                               "A_252FB.log", "RK7P.log"}));
    const json results = json::parse(ReadFile(served.dir().results / "results.json"));
    EXPECT_EQ(results["entrants"].size(), 5u);
    EXPECT_NE(ReadFile(served.dir().current / "RK7P.log").find("CLAIMED-SCORE: 1\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zelk::serve::testing
