// The organiser's routes: everything here needs the token (as a bearer
// token, or a session of the login form), and everything that changes
// something also a genuine form.
#include <nlohmann/json.hpp>

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
using Caller = OrganiserAuth::Caller;

// The letters the desk lists, newest first.
constexpr int kOutboxOnDesk = 200;

Caller Authenticate(const App& app, const Request& request) {
    return app.auth.Authenticate(request.get_header_value("Authorization"),
                                 request.get_header_value("Cookie"), OrganiserAuth::Clock::now());
}

std::string ContestName(App& app) {
    return app.settings.Current()->ContestName();
}

// The caller, or nullopt once a refusal is sent.
std::optional<Caller> Organiser(App& app, const Request& request, Response& response) {
    Caller caller = Authenticate(app, request);
    if (caller.via != Via::kNone) {
        return caller;
    }
    if (ClientWantsJson(request) || request.has_header("Authorization")) {
        response.set_header("WWW-Authenticate", "Bearer");
        SendJson(response, 401, ErrorJson("the organiser's token is needed"));
    } else {
        SendPage(response, 401, LoginPage(ContestName(app), ""));
    }
    return std::nullopt;
}

// For a request that changes something: the organiser, from the organiser's page.
std::optional<Caller> GenuineOrganiser(App& app, const Request& request, Response& response) {
    auto caller = Organiser(app, request, response);
    if (caller && !OrganiserAuth::FormIsGenuine(*caller, request.get_param_value("form"),
                                                request.get_header_value("Origin"),
                                                request.get_header_value("Host"))) {
        SendRefusal(request, response, 403, "Refused",
                    "This request did not come from the organiser's page; nothing was changed.",
                    "/organiser");
        return std::nullopt;
    }
    return caller;
}

Desk MakeDesk(App& app, const Caller& caller, const Request& request) {
    const auto settings = app.settings.Current();
    Desk desk;
    desk.contestName = settings->ContestName();
    if (settings->deadline) {
        desk.deadline = UtcTextForPeople(*settings->deadline);
    }
    desk.open = Intake::Open(*settings, Now());
    desk.submissions = app.submissions.All();
    desk.actions = app.submissions.Actions();
    desk.lastCheck = app.submissions.LastCheck();
    desk.published = app.submissions.PublishedCheck();
    std::error_code error;
    const auto table = app.dir.results / adjudication::kResultsText;
    if (desk.lastCheck && std::filesystem::exists(table, error)) {
        desk.resultsTable = ReadWholeFile(table);
    }
    desk.formValue = caller.formValue;
    desk.rulesFile = app.settings.File().string();
    desk.settingsProblem = app.settings.Problem();
    desk.view = ReadDeskView(request.get_param_value("show"), request.get_param_value("sort"),
                             request.get_param_value("order"));
    desk.lettersOut = settings->lettersOut;
    desk.outbox = app.outbox.Latest(kOutboxOnDesk);
    desk.outboxCounts = app.outbox.Counts();
    return desk;
}

void Login(App& app, const Request& request, Response& response) {
    const std::string origin = request.get_header_value("Origin");
    if (!origin.empty() && !SameOrigin(origin, request.get_header_value("Host"))) {
        SendPage(response, 403,
                 LoginPage(ContestName(app), "This login did not come from this site's page."));
        return;
    }
    const auto cookie =
        app.auth.LogIn(request.get_param_value("token"), OrganiserAuth::Clock::now(),
                       app.settings.Current()->behindProxy);
    if (!cookie) {
        SendPage(response, 403, LoginPage(ContestName(app), "That is not the organiser's token."));
        return;
    }
    response.set_header("Set-Cookie", *cookie);
    SendRedirect(response, "/organiser");
}

void RunCheck(App& app, const Caller& caller, const Request& request, Response& response) {
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
    Desk desk = MakeDesk(app, caller, request);
    desk.notice = "The check ran on " + std::to_string(outcome.logs) +
                  " current logs; its results are below and in results/.";
    desk.problems = outcome.problems;
    SendPage(response, 200, DeskPage(desk));
}

void SendReports(App& app, const Caller& caller, const Request& request, Response& response) {
    ReportLetters letters;
    try {
        letters = QueueReportLetters(app, Now());
    } catch (const std::exception& problem) {
        SendRefusal(request, response, 409, "No reports were sent", problem.what(), "/organiser");
        return;
    }
    app.submissions.RecordAction({0, UtcText(Now()), OrganiserAction::kMailReports, std::nullopt,
                                  "", std::to_string(letters.queued), ""});
    if (ClientWantsJson(request)) {
        SendJson(response, 200,
                 "{\"queued\": " + std::to_string(letters.queued) +
                     ", \"already_queued\": " + std::to_string(letters.alreadyQueued) +
                     ", \"without_address\": " + std::to_string(letters.withoutAddress) +
                     ", \"without_report\": " + std::to_string(letters.withoutReport) + "}");
        return;
    }
    Desk desk = MakeDesk(app, caller, request);
    desk.notice = std::to_string(letters.queued) + " check reports are in the outbox (" +
                  std::to_string(letters.alreadyQueued) + " were already, " +
                  std::to_string(letters.withoutAddress) + " current logs have no address, " +
                  std::to_string(letters.withoutReport) + " no report).";
    SendPage(response, 200, DeskPage(desk));
}

// The answer to an action the organiser took: JSON for a script, else the
// submission's page (or the desk) saying what was done.
void SendDone(App& app, const Caller& caller, const Request& request, Response& response,
              int64_t id, const std::string& problem, const std::string& notice) {
    if (!problem.empty()) {
        SendRefusal(request, response, 409, "Nothing was changed", problem,
                    "/organiser/submissions/" + std::to_string(id));
        return;
    }
    if (ClientWantsJson(request)) {
        SendJson(response, 200, nlohmann::json{{"done", notice}}.dump());
        return;
    }
    const auto row = app.submissions.Find(id);
    SendPage(response, 200,
             SubmissionPage(*row, app.submissions.Actions(),
                            app.settings.Current()->rules.categories, caller.formValue, notice));
}

// The submission the address's number names; a 404 when there is none.
std::optional<Submission> NamedSubmission(App& app, const Request& request, Response& response) {
    const auto id = ParseId(request.matches[1].str());
    auto row = id ? app.submissions.Find(*id) : std::nullopt;
    if (!row) {
        SendRefusal(request, response, 404, "Not found", "There is no such submission.",
                    "/organiser");
    }
    return row;
}

// remove, restore, category: on submission `id`, with a reason.
void ActOn(App& app, const Request& request, Response& response, const std::string& action) {
    const auto caller = GenuineOrganiser(app, request, response);
    if (!caller) {
        return;
    }
    const auto row = NamedSubmission(app, request, response);
    if (!row) {
        return;
    }
    const int64_t id = row->id;
    auto reason = ReadReason(request.get_param_value("reason"));
    if (auto* refused = std::get_if<Refused>(&reason)) {
        SendRefusal(request, response, 422, "Nothing was changed", refused->reason,
                    "/organiser/submissions/" + std::to_string(id));
        return;
    }
    const std::string& why = std::get<std::string>(reason);
    const std::string at = UtcText(Now());
    if (action == "remove") {
        SendDone(app, *caller, request, response, id, app.submissions.Remove(id, why, at),
                 "Submission " + std::to_string(id) + " is out of the contest.");
    } else if (action == "restore") {
        SendDone(app, *caller, request, response, id, app.submissions.Restore(id, why, at),
                 "Submission " + std::to_string(id) + " is back in the contest.");
    } else {
        std::string category;
        if (request.get_param_value("header").empty()) {
            auto set = CategoryFromForm(
                {request.get_param_value("operator"), request.get_param_value("band"),
                 request.get_param_value("power")},
                app.settings.Current()->rules.categories);
            if (auto* refused = std::get_if<Refused>(&set)) {
                SendRefusal(request, response, 422, "Nothing was changed", refused->reason,
                            "/organiser/submissions/" + std::to_string(id));
                return;
            }
            category = std::get<std::string>(set);
        }
        SendDone(app, *caller, request, response, id,
                 app.submissions.SetCategory(row->call, category, why, at),
                 category.empty() ? "The category of " + row->call + " is the header's again."
                                  : "The category of " + row->call + " is " + category + ".");
    }
}

void MakeNewToken(App& app, const Request& request, Response& response) {
    if (!GenuineOrganiser(app, request, response)) {
        return;
    }
    const std::string token = app.auth.NewToken(app.dir.tokenFile);
    app.submissions.RecordAction({0, UtcText(Now()), OrganiserAction::kNewToken, std::nullopt, "",
                                  "", "the old token and its sessions ended"});
    const bool secure = app.settings.Current()->behindProxy;
    response.set_header("Set-Cookie", OrganiserAuth::ClearCookie(secure));
    if (ClientWantsJson(request)) {
        SendJson(response, 200, nlohmann::json{{"token", token}}.dump());
    } else {
        SendPage(response, 200, NewTokenPage(ContestName(app), token, app.dir.tokenFile.string()));
    }
}

std::string ActionsJson(const std::vector<OrganiserAction>& actions) {
    nlohmann::json list = nlohmann::json::array();
    for (const OrganiserAction& action : actions) {
        list.push_back({{"at", action.at},
                        {"what", action.what},
                        {"submission", action.submission ? nlohmann::json(*action.submission)
                                                         : nlohmann::json(nullptr)},
                        {"call", action.call},
                        {"value", action.value},
                        {"reason", action.reason}});
    }
    return nlohmann::json{{"actions", std::move(list)}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

void AddOrganiserRoutes(Router& server, App& app) {
    server.Get("/organiser", Guarded([&app](const Request& request, Response& response) {
                   // The desk's address is the login page's too: an answer a
                   // browser takes as any page.
                   if (Authenticate(app, request).via == Via::kNone && !ClientWantsJson(request) &&
                       !request.has_header("Authorization")) {
                       SendPage(response, 200, LoginPage(ContestName(app), ""));
                   } else if (const auto caller = Organiser(app, request, response)) {
                       SendPage(response, 200, DeskPage(MakeDesk(app, *caller, request)));
                   }
               }));
    server.Post("/organiser/login", Guarded([&app](const Request& request, Response& response) {
                    Login(app, request, response);
                }));
    server.Post("/organiser/logout", Guarded([&app](const Request& request, Response& response) {
                    if (const auto caller = GenuineOrganiser(app, request, response)) {
                        app.auth.LogOut(*caller);
                        response.set_header("Set-Cookie", OrganiserAuth::ClearCookie(
                                                              app.settings.Current()->behindProxy));
                        SendRedirect(response, "/organiser");
                    }
                }));
    server.Post("/organiser/token", Guarded([&app](const Request& request, Response& response) {
                    MakeNewToken(app, request, response);
                }));
    server.Post("/organiser/check", Guarded([&app](const Request& request, Response& response) {
                    if (const auto caller = GenuineOrganiser(app, request, response)) {
                        RunCheck(app, *caller, request, response);
                    }
                }));
    server.Post("/organiser/publish", Guarded([&app](const Request& request, Response& response) {
                    if (!GenuineOrganiser(app, request, response)) {
                        return;
                    }
                    try {
                        app.checker.Publish(Now(), !request.get_param_value("review").empty());
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
    server.Post("/organiser/reports", Guarded([&app](const Request& request, Response& response) {
                    if (const auto caller = GenuineOrganiser(app, request, response)) {
                        SendReports(app, *caller, request, response);
                    }
                }));
    server.Get(R"(/organiser/submissions/(\d+))",
               Guarded([&app](const Request& request, Response& response) {
                   const auto caller = Organiser(app, request, response);
                   if (!caller) {
                       return;
                   }
                   const auto row = NamedSubmission(app, request, response);
                   if (!row) {
                       return;
                   }
                   SendPage(response, 200,
                            SubmissionPage(*row, app.submissions.Actions(),
                                           app.settings.Current()->rules.categories,
                                           caller->formValue, ""));
               }));
    for (const char* action : {"remove", "restore", "category"}) {
        server.Post(std::string(R"(/organiser/submissions/(\d+)/)") + action,
                    Guarded([&app, action = std::string(action)](const Request& request,
                                                                 Response& response) {
                        ActOn(app, request, response, action);
                    }));
    }
    server.Get(
        R"(/organiser/logs/(\d+))", Guarded([&app](const Request& request, Response& response) {
            if (!Organiser(app, request, response)) {
                return;
            }
            const auto row = NamedSubmission(app, request, response);
            if (!row) {
                return;
            }
            response.set_header("Content-Disposition", "attachment; filename=\"" +
                                                           DownloadName(row->call, row->id) + "\"");
            response.status = 200;
            response.set_content(app.files.Read(row->storedName), "application/octet-stream");
        }));
    server.Get("/organiser/submissions.json",
               Guarded([&app](const Request& request, Response& response) {
                   if (Organiser(app, request, response)) {
                       SendJson(response, 200, SubmissionsJson(app.submissions.All()));
                   }
               }));
    server.Get("/organiser/actions.json",
               Guarded([&app](const Request& request, Response& response) {
                   if (Organiser(app, request, response)) {
                       SendJson(response, 200, ActionsJson(app.submissions.Actions()));
                   }
               }));
    server.Get(R"(/organiser/results/(ubn/)?([^/]+))",
               Guarded([&app](const Request& request, Response& response) {
                   if (!Organiser(app, request, response)) {
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
