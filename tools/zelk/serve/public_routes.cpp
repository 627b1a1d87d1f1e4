// The public routes: the upload page and the upload itself, the logs
// received, and the published results.
#include <chrono>

#include "serve/multipart_form.h"
#include "serve/public_pages.h"
#include "serve/request_parts.h"
#include "serve/responses.h"
#include "serve/routes.h"
#include "serve/upload_form.h"

namespace zelk::serve {

namespace {

using Clock = std::chrono::steady_clock;

std::string Mebibytes(std::size_t bytes) {
    const std::size_t tenths = (bytes * 10 + (1 << 19)) >> 20;
    return std::to_string(tenths / 10) +
           (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " MiB";
}

void RefuseTooLarge(const App& app, const Request& request, Response& response) {
    SendRefusal(request, response, 413, "The file is too large",
                "The log is larger than the " + Mebibytes(app.settings.maxUploadBytes) +
                    " a log may be here; a contest log is a few hundred kilobytes. Check that "
                    "you chose the right file.");
}

// The refusals the server gives while an upload arrives, in the upload's words.
void RefuseUpload(const App& app, const Request& request, Response& response, int status) {
    switch (status) {
        case 413:
            return RefuseTooLarge(app, request, response);
        case 408:
            return SendRefusal(request, response, 408, "The upload took too long",
                               "The upload was too slow or stopped; nothing was received. Please "
                               "send the log again.");
        case 400:
            return SendRefusal(request, response, 400, "The upload was cut off",
                               "The form arrived incomplete or garbled; nothing was received. "
                               "Please send the log again.");
        default:
            return SendServerRefusal(request, response, status);
    }
}

// An upload decided on from its head, before its body is read: after the
// deadline only the organiser's, none larger than the limit says, a few at
// once and some an hour from one address, and only as a form.
std::optional<BodyRules> AdmitUpload(App& app, Request& request, Response& response) {
    const ServeSettings& settings = app.settings;
    const bool signedIn =
        app.auth.Authenticate(request.get_header_value("Authorization"),
                              request.get_header_value("Cookie")) != OrganiserAuth::Via::kNone;
    if (!signedIn && !app.intake.Open(Now())) {
        SendRefusal(request, response, 403, "Logs are no longer received",
                    app.intake.ClosedSentence());
        return std::nullopt;
    }
    const BodyRules rules{UploadBodyLimit(settings.maxUploadBytes),
                          std::chrono::seconds(settings.uploadSeconds)};
    if (DeclaredLength(request).value_or(0) > rules.limit) {
        RefuseTooLarge(app, request, response);
        return std::nullopt;
    }
    if (!signedIn) {
        auto admitted = app.limiter.Admit(ClientOf(request, app), Clock::now());
        if (auto* refused = std::get_if<RateLimiter::Refused>(&admitted)) {
            response.set_header("Retry-After", std::to_string(refused->retryAfterSeconds));
            SendRefusal(
                request, response, 429, "Too many uploads",
                refused->tooManyAtOnce
                    ? "Too many uploads from your address are under way at once. Wait until "
                      "they are done, then send the log again."
                    : "Too many uploads came from your address in the last hour. Wait " +
                          std::to_string((refused->retryAfterSeconds + 59) / 60) +
                          " minutes, then send the log again.");
            return std::nullopt;
        }
        request.admitted =
            std::make_shared<RateLimiter::Slot>(std::get<RateLimiter::Slot>(std::move(admitted)));
    }
    if (!request.is_multipart_form_data()) {
        SendRefusal(request, response, 415, "Not a form",
                    "Send the log as a form (multipart/form-data) with the file in the field "
                    "\"log\".");
        return std::nullopt;
    }
    return rules;
}

// The upload, whole and within its limits.
void UploadLog(App& app, const Request& request, Response& response) {
    const ServeSettings& settings = app.settings;
    UploadFormCollector form(settings.maxUploadBytes);
    const auto boundary = MultipartBoundary(request.get_header_value("Content-Type"));
    const bool whole =
        boundary && ReadMultipartForm(
                        request.body, *boundary,
                        [&form](std::string_view name) {
                            form.BeginField(name);
                            return true;
                        },
                        [&form](std::string_view bytes) { return form.Append(bytes); });
    if (form.Failure() == UploadFormCollector::Problem::kTooLarge) {
        return RefuseTooLarge(app, request, response);
    }
    if (!whole) {
        return RefuseUpload(app, request, response, 400);
    }

    const OrganiserAuth::Via via = app.auth.Authenticate(request.get_header_value("Authorization"),
                                                         request.get_header_value("Cookie"));
    const bool byOrganiser =
        via != OrganiserAuth::Via::kNone &&
        app.auth.FormIsGenuine(via, form.FormValue(), request.get_header_value("Origin"),
                               request.get_header_value("Host"));
    if (!form.File().empty() && !form.PastedText().empty()) {
        return SendRefusal(request, response, 422, "Two logs at once",
                           "Both a file and pasted text arrived: send the log one way only.");
    }
    if (form.File().empty() && form.PastedText().empty()) {
        return SendRefusal(request, response, 422, "No log",
                           "No log arrived: choose the log file, or paste the log.");
    }
    UploadForm upload{form.File().empty() ? form.PastedText() : form.File(), form.Email()};
    const IntakeOutcome outcome = app.intake.Receive(upload, byOrganiser, Now());
    if (!outcome.receipt) {
        return SendRefusal(
            request, response, outcome.status,
            outcome.status == 403 ? "Logs are no longer received" : "The log was not received",
            outcome.refusal);
    }
    if (ClientWantsJson(request)) {
        SendJson(response, 201, ReceiptJson(*outcome.receipt));
    } else {
        SendPage(response, 201, ReceiptPage(*outcome.receipt, settings.contestName));
    }
}

}  // namespace

std::string ClientOf(const Request& request, const App& app) {
    return ClientAddress(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                         app.settings.behindProxy);
}

void AddPublicRoutes(Router& server, App& app) {
    server.Get("/", Guarded([&app](const Request&, Response& response) {
                   SendPage(response, 200, UploadPage(app.settings, app.intake.Open(Now())));
               }));
    server.Post(
        "/api/logs", Guarded([&app](const Request& request, Response& response) {
            UploadLog(app, request, response);
        }),
        [&app](Request& head, Response& refusal) { return AdmitUpload(app, head, refusal); },
        [&app](const Request& request, Response& response, int status) {
            RefuseUpload(app, request, response, status);
        });
    server.Get("/received", Guarded([&app](const Request&, Response& response) {
                   SendPage(response, 200,
                            ReceivedPage(app.submissions.Current(), app.settings.contestName));
               }));
    server.Get("/api/logs", Guarded([&app](const Request&, Response& response) {
                   SendJson(response, 200, ReceivedJson(app.submissions.Current()));
               }));
    server.Get("/results", Guarded([](const Request&, Response& response) {
                   response.status = 301;
                   response.set_header("Location", "/results/");
               }));
    server.Get("/results/", Guarded([&app](const Request&, Response& response) {
                   if (!app.submissions.PublishedCheck() ||
                       !SendResultFile(app.dir.published, "results.html", false, response)) {
                       SendPage(response, 200, NotPublishedPage(app.settings.contestName));
                   }
               }));
    server.Get(
        R"(/results/(ubn/)?([^/]+))", Guarded([&app](const Request& request, Response& response) {
            const bool inUbn = request.matches[1].matched;
            if (!app.submissions.PublishedCheck() ||
                !SendResultFile(app.dir.published, request.matches[2], inUbn, response)) {
                SendRefusal(request, response, 404, "Not found",
                            "There is no such file among the published results.", "/results/");
            }
        }));
}

}  // namespace zelk::serve
