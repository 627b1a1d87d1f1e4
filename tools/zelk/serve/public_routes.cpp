// The public routes: the upload page and the upload itself, the logs
// received, and the published results.
#include <chrono>
#include <memory>
#include <optional>

#include "serve/multipart_form.h"
#include "serve/public_pages.h"
#include "serve/request_parts.h"
#include "serve/responses.h"
#include "serve/routes.h"
#include "serve/security.h"
#include "serve/upload_form.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

using Clock = std::chrono::steady_clock;

std::string Mebibytes(std::size_t bytes) {
    const std::size_t tenths = (bytes * 10 + (1 << 19)) >> 20;
    return std::to_string(tenths / 10) +
           (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " MiB";
}

// What an upload's admission decided on, kept while its body arrives and
// is read: the settings of that moment (one value for the whole upload) and
// its place in the upload limits.
struct UploadAdmission {
    std::shared_ptr<const ServeSettings> settings;
    std::optional<RateLimiter::Slot> slot;
};

// The settings an upload was admitted under; those of now for a request
// refused before its admission.
std::shared_ptr<const ServeSettings> SettingsOf(App& app, const Request& request) {
    if (const auto* admission = static_cast<const UploadAdmission*>(request.admitted.get())) {
        return admission->settings;
    }
    return app.settings.Current();
}

void RefuseTooLarge(const ServeSettings& settings, const Request& request, Response& response) {
    SendRefusal(request, response, 413, "The file is too large",
                "The log is larger than the " + Mebibytes(settings.maxUploadBytes) +
                    " a log may be here; a contest log is a few hundred kilobytes. Check that "
                    "you chose the right file.");
}

// The refusals the server gives while an upload arrives, in the upload's words.
void RefuseUpload(App& app, const Request& request, Response& response, int status) {
    switch (status) {
        case 413:
            return RefuseTooLarge(*SettingsOf(app, request), request, response);
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

// An upload decided on from its head, before its body is read, under the
// settings of the moment: after the deadline only the organiser's, none
// larger than the limit says, a few at once and some an hour from one
// address, and only as a form.
std::optional<BodyRules> AdmitUpload(App& app, Request& request, Response& response) {
    auto admission = std::make_shared<UploadAdmission>();
    admission->settings = app.settings.Current();
    const ServeSettings& settings = *admission->settings;
    const bool signedIn = app.auth
                              .Authenticate(request.get_header_value("Authorization"),
                                            request.get_header_value("Cookie"), Clock::now())
                              .via != OrganiserAuth::Via::kNone;
    if (!signedIn && !Intake::Open(settings, Now())) {
        SendRefusal(request, response, 403, "Logs are no longer received",
                    Intake::ClosedSentence(settings));
        return std::nullopt;
    }
    const BodyRules rules{UploadBodyLimit(settings.maxUploadBytes),
                          std::chrono::seconds(settings.uploadSeconds)};
    if (DeclaredLength(request).value_or(0) > rules.limit) {
        RefuseTooLarge(settings, request, response);
        return std::nullopt;
    }
    if (!signedIn) {
        app.limiter.SetLimits(settings.uploadsAtOnce, settings.uploadsPerHour);
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
        admission->slot.emplace(std::get<RateLimiter::Slot>(std::move(admitted)));
    }
    if (!request.is_multipart_form_data()) {
        SendRefusal(request, response, 415, "Not a form",
                    "Send the log as a form (multipart/form-data) with the file in the field "
                    "\"log\".");
        return std::nullopt;
    }
    request.admitted = std::move(admission);
    return rules;
}

// The upload, whole and within its limits.
void UploadLog(App& app, const Request& request, Response& response) {
    const std::shared_ptr<const ServeSettings> admitted = SettingsOf(app, request);
    const ServeSettings& settings = *admitted;
    UploadFormCollector form(settings.maxUploadBytes);
    const auto boundary = MultipartBoundary(request.get_header_value("Content-Type"));
    const bool whole =
        boundary && ReadMultipartForm(
                        request.body, *boundary,
                        [&form](std::string_view name, std::string_view fileName) {
                            form.BeginField(name, fileName);
                            return true;
                        },
                        [&form](std::string_view bytes) { return form.Append(bytes); });
    if (form.Failure() == UploadFormCollector::Problem::kTooLarge) {
        return RefuseTooLarge(settings, request, response);
    }
    if (!whole) {
        return RefuseUpload(app, request, response, 400);
    }
    // The body is complete: its place in the order of arrival is taken now,
    // before the reading, so that of two logs of a call the later one counts
    // whichever is read first.
    const Arrival arrival = app.intake.Arrive();

    // Asked again now: a session ended or a token replaced while the body
    // arrived no longer counts.
    const OrganiserAuth::Caller caller =
        app.auth.Authenticate(request.get_header_value("Authorization"),
                              request.get_header_value("Cookie"), Clock::now());
    const bool byOrganiser =
        caller.via != OrganiserAuth::Via::kNone &&
        OrganiserAuth::FormIsGenuine(caller, form.FormValue(), request.get_header_value("Origin"),
                                     request.get_header_value("Host"));
    if (!form.File().empty() && !form.PastedText().empty()) {
        return SendRefusal(request, response, 422, "Two logs at once",
                           "Both a file and pasted text arrived: send the log one way only.");
    }
    if (form.File().empty() && form.PastedText().empty()) {
        return SendRefusal(
            request, response, 422, form.FileName().empty() ? "No log" : "The file is empty",
            form.FileName().empty()
                ? "No log arrived: choose the log file, or paste the log."
                : "The file you chose, " + Printable(form.FileName(), 60) +
                      ", is empty: it holds no byte. Choose the Cabrillo file your logging "
                      "program wrote for the contest, or paste the log.");
    }
    UploadForm upload{form.File().empty() ? form.PastedText() : form.File(), form.Email()};
    const IntakeOutcome outcome = app.intake.Receive(upload, byOrganiser, settings, arrival);
    if (!outcome.receipt) {
        return SendRefusal(
            request, response, outcome.status,
            outcome.status == 403 ? "Logs are no longer received" : "The log was not received",
            outcome.refusal);
    }
    if (ClientWantsJson(request)) {
        SendJson(response, 201, ReceiptJson(*outcome.receipt));
    } else {
        SendPage(response, 201, ReceiptPage(*outcome.receipt, settings.ContestName()));
    }
}

// What became of a log since its receipt, for the receipt shown again.
std::string StateOf(const Submission& row) {
    if (row.removed) {
        return "The organiser has taken this log out of the contest.";
    }
    if (row.replacedBy) {
        return "A log of " + Printable(row.call, 40) +
               " that arrived later replaced this one (receipt " + std::to_string(*row.replacedBy) +
               ").";
    }
    return "This is the log of " + Printable(row.call, 40) + " that counts.";
}

void ShowReceipt(App& app, const Request& request, Response& response) {
    const auto id = ParseId(request.matches[1].str());
    const auto row = id ? app.submissions.Find(*id) : std::nullopt;
    // Compared in constant time: the key is the receipt's only secret.
    if (!row || row->receiptKey.empty() || !SameSecret(request.matches[2].str(), row->receiptKey)) {
        return SendRefusal(request, response, 404, "No such receipt",
                           "There is no receipt at this address; check that it was copied whole.");
    }
    const Receipt receipt = ReceiptOf(*row);
    if (ClientWantsJson(request)) {
        SendJson(response, 200, ReceiptJson(receipt));
    } else {
        SendPage(response, 200,
                 ReceiptPage(receipt, app.settings.Current()->ContestName(), true, StateOf(*row)));
    }
}

}  // namespace

std::string ClientOf(const Request& request, App& app) {
    return ClientAddress(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                         app.settings.Current()->behindProxy);
}

void AddPublicRoutes(Router& server, App& app) {
    server.Get("/", Guarded([&app](const Request&, Response& response) {
                   const auto settings = app.settings.Current();
                   SendPage(response, 200, UploadPage(*settings, Intake::Open(*settings, Now())));
               }));
    server.Post(
        "/api/logs", Guarded([&app](const Request& request, Response& response) {
            UploadLog(app, request, response);
        }),
        [&app](Request& head, Response& refusal) { return AdmitUpload(app, head, refusal); },
        [&app](const Request& request, Response& response, int status) {
            RefuseUpload(app, request, response, status);
        });
    server.Get(R"(/receipts/(\d+)/([0-9a-f]+))",
               Guarded([&app](const Request& request, Response& response) {
                   ShowReceipt(app, request, response);
               }));
    server.Get("/received", Guarded([&app](const Request&, Response& response) {
                   SendPage(response, 200,
                            ReceivedPage(app.submissions.CurrentWithoutSummaries(),
                                         app.settings.Current()->ContestName()));
               }));
    server.Get("/api/logs", Guarded([&app](const Request&, Response& response) {
                   SendJson(response, 200, ReceivedJson(app.submissions.CurrentWithoutSummaries()));
               }));
    server.Get("/results", Guarded([](const Request&, Response& response) {
                   response.status = 301;
                   response.set_header("Location", "/results/");
               }));
    server.Get("/results/", Guarded([&app](const Request&, Response& response) {
                   if (!app.submissions.PublishedCheck() ||
                       !SendResultFile(app.dir.published, "results.html", false, response)) {
                       SendPage(response, 200,
                                NotPublishedPage(app.settings.Current()->ContestName()));
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
