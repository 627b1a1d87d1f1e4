// The organiser's routes: everything here needs the token (as a bearer
// token, or the cookie of the login form), and everything that changes
// something also a genuine form.
#include "adjudication/output_folder.h"
#include "serve/organiser_pages.h"
#include "serve/receipt.h"
#include "serve/report_letters.h"
#include "serve/request_parts.h"
#include "serve/responses.h"
#include "serve/routes.h"

namespace zelk::serve {

namespace {

using Via = OrganiserAuth::Via;

// The letters the desk lists, newest first.
constexpr int kOutboxOnDesk = 200;

Via Authenticate(const App& app, const httplib::Request& request) {
    return app.auth.Authenticate(request.get_header_value("Authorization"),
                                 request.get_header_value("Cookie"));
}

bool RefusedUnlessOrganiser(const App& app, const httplib::Request& request,
                            httplib::Response& response) {
    if (Authenticate(app, request) != Via::kNone) {
        return false;
    }
    if (ClientWantsJson(request) || request.has_header("Authorization")) {
        response.set_header("WWW-Authenticate", "Bearer");
        SendJson(response, 401, ErrorJson("the organiser's token is needed"));
    } else {
        SendPage(response, 401, LoginPage(app.settings.contestName, ""));
    }
    return true;
}

// For a request that changes something: the organiser, from the organiser's page.
bool RefusedUnlessGenuine(const App& app, const httplib::Request& request,
                          httplib::Response& response) {
    if (RefusedUnlessOrganiser(app, request, response)) {
        return true;
    }
    if (!app.auth.FormIsGenuine(Authenticate(app, request), request.get_param_value("form"),
                                request.get_header_value("Origin"),
                                request.get_header_value("Host"))) {
        SendRefusal(request, response, 403, "Refused",
                    "This request did not come from the organiser's page; nothing was changed.",
                    "/organiser");
        return true;
    }
    return false;
}

Desk MakeDesk(App& app) {
    Desk desk;
    desk.contestName = app.settings.contestName;
    if (app.settings.deadline) {
        desk.deadline = UtcTextForPeople(*app.settings.deadline);
    }
    desk.open = app.intake.Open(Now());
    desk.submissions = app.submissions.All();
    desk.lastCheck = app.submissions.LastCheck();
    desk.published = app.submissions.PublishedCheck();
    std::error_code error;
    const auto table = app.dir.results / adjudication::kResultsText;
    if (desk.lastCheck && std::filesystem::exists(table, error)) {
        desk.resultsTable = ReadWholeFile(table);
    }
    desk.formValue = app.auth.FormValue();
    desk.lettersOut = app.settings.lettersOut;
    desk.outbox = app.outbox.Latest(kOutboxOnDesk);
    desk.outboxCounts = app.outbox.Counts();
    return desk;
}

void Login(App& app, const httplib::Request& request, httplib::Response& response) {
    const std::string origin = request.get_header_value("Origin");
    if (!origin.empty() && !SameOrigin(origin, request.get_header_value("Host"))) {
        SendPage(
            response, 403,
            LoginPage(app.settings.contestName, "This login did not come from this site's page."));
        return;
    }
    if (!app.auth.TokenMatches(request.get_param_value("token"))) {
        SendPage(response, 403,
                 LoginPage(app.settings.contestName, "That is not the organiser's token."));
        return;
    }
    response.set_header("Set-Cookie", app.auth.SetCookie(app.settings.behindProxy));
    SendRedirect(response, "/organiser");
}

void RunCheck(App& app, const httplib::Request& request, httplib::Response& response) {
    CheckOutcome outcome;
    try {
        outcome = app.checker.Run(Now());
    } catch (const std::exception& problem) {
        SendRefusal(request, response, 500, "The check failed", problem.what(), "/organiser");
        return;
    }
    if (ClientWantsJson(request)) {
        SendJson(response, 200,
                 "{\"check\": " + std::to_string(outcome.checkId) +
                     ", \"logs\": " + std::to_string(outcome.logs) + "}");
        return;
    }
    Desk desk = MakeDesk(app);
    desk.notice = "The check ran on " + std::to_string(outcome.logs) +
                  " current logs; its results are below and in results/.";
    desk.problems = outcome.problems;
    SendPage(response, 200, DeskPage(desk));
}

void SendReports(App& app, const httplib::Request& request, httplib::Response& response) {
    ReportLetters letters;
    try {
        letters = QueueReportLetters(app, Now());
    } catch (const std::exception& problem) {
        SendRefusal(request, response, 409, "No reports were sent", problem.what(), "/organiser");
        return;
    }
    if (ClientWantsJson(request)) {
        SendJson(response, 200,
                 "{\"queued\": " + std::to_string(letters.queued) +
                     ", \"already_queued\": " + std::to_string(letters.alreadyQueued) +
                     ", \"without_address\": " + std::to_string(letters.withoutAddress) +
                     ", \"without_report\": " + std::to_string(letters.withoutReport) + "}");
        return;
    }
    Desk desk = MakeDesk(app);
    desk.notice = std::to_string(letters.queued) + " check reports are in the outbox (" +
                  std::to_string(letters.alreadyQueued) + " were already, " +
                  std::to_string(letters.withoutAddress) + " current logs have no address, " +
                  std::to_string(letters.withoutReport) + " no report).";
    SendPage(response, 200, DeskPage(desk));
}

}  // namespace

void AddOrganiserRoutes(httplib::Server& server, App& app) {
    server.Get("/organiser",
               Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                   if (!RefusedUnlessOrganiser(app, request, response)) {
                       SendPage(response, 200, DeskPage(MakeDesk(app)));
                   }
               }));
    server.Post("/organiser/login",
                Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                    Login(app, request, response);
                }));
    server.Post("/organiser/logout",
                Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                    if (!RefusedUnlessGenuine(app, request, response)) {
                        response.set_header("Set-Cookie",
                                            app.auth.ClearCookie(app.settings.behindProxy));
                        SendRedirect(response, "/organiser");
                    }
                }));
    server.Post("/organiser/check",
                Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                    if (!RefusedUnlessGenuine(app, request, response)) {
                        RunCheck(app, request, response);
                    }
                }));
    server.Post("/organiser/publish",
                Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                    if (RefusedUnlessGenuine(app, request, response)) {
                        return;
                    }
                    try {
                        app.checker.Publish(Now());
                    } catch (const std::exception& problem) {
                        SendRefusal(request, response, 409, "Nothing was published", problem.what(),
                                    "/organiser");
                        return;
                    }
                    if (ClientWantsJson(request)) {
                        SendJson(response, 200, "{\"published\": true}");
                    } else {
                        SendRedirect(response, "/organiser");
                    }
                }));
    server.Post("/organiser/reports",
                Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                    if (!RefusedUnlessGenuine(app, request, response)) {
                        SendReports(app, request, response);
                    }
                }));
    server.Get(
        R"(/organiser/logs/(\d+))",
        Guarded([&app](const httplib::Request& request, httplib::Response& response) {
            if (RefusedUnlessOrganiser(app, request, response)) {
                return;
            }
            const auto id = ParseId(request.matches[1].str());
            const auto row = id ? app.submissions.Find(*id) : std::nullopt;
            if (!row) {
                SendRefusal(request, response, 404, "Not found",
                            "There is no such "
                            "submission.",
                            "/organiser");
                return;
            }
            response.set_header("Content-Disposition", "attachment; filename=\"" +
                                                           DownloadName(row->call, row->id) + "\"");
            response.status = 200;
            response.set_content(app.files.Read(row->storedName), "application/octet-stream");
        }));
    server.Get("/organiser/submissions.json",
               Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                   if (!RefusedUnlessOrganiser(app, request, response)) {
                       SendJson(response, 200, SubmissionsJson(app.submissions.All()));
                   }
               }));
    server.Get(R"(/organiser/results/(ubn/)?([^/]+))",
               Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                   if (RefusedUnlessOrganiser(app, request, response)) {
                       return;
                   }
                   if (!SendResultFile(app.dir.results, request.matches[2],
                                       request.matches[1].matched, response)) {
                       SendRefusal(request, response, 404, "Not found",
                                   "There is no such results file: run the check first.",
                                   "/organiser");
                   }
               }));
}

}  // namespace zelk::serve
