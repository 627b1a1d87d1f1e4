// The public routes: the upload page and the upload itself, the logs
// received, and the published results.
#include <chrono>

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

// A refusal given before the body is read: the connection is closed after
// it, so the unread body is never taken for the next request.
void RefuseUnread(const httplib::Request& request, httplib::Response& response, int status,
                  const std::string& title, const std::string& sentence) {
    response.set_header("Connection", "close");
    SendRefusal(request, response, status, title, sentence);
}

std::string Mebibytes(std::size_t bytes) {
    const std::size_t tenths = (bytes * 10 + (1 << 19)) >> 20;
    return std::to_string(tenths / 10) +
           (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " MiB";
}

void UploadLog(App& app, const httplib::Request& request, httplib::Response& response,
               const httplib::ContentReader& reader) {
    const std::shared_ptr<const ServeSettings> live = app.settings.Current();
    const ServeSettings& settings = *live;
    const OrganiserAuth::Caller caller =
        app.auth.Authenticate(request.get_header_value("Authorization"),
                              request.get_header_value("Cookie"), Clock::now());
    const bool signedIn = caller.via != OrganiserAuth::Via::kNone;
    if (!signedIn && !Intake::Open(settings, Now())) {
        return RefuseUnread(request, response, 403, "Logs are no longer received",
                            Intake::ClosedSentence(settings));
    }
    const std::string tooLarge = "The log is larger than the " +
                                 Mebibytes(settings.maxUploadBytes) +
                                 " a log may be here; a contest log is a few hundred kilobytes. "
                                 "Check that you chose the right file.";
    if (request.has_header("Content-Length") &&
        request.get_header_value<uint64_t>("Content-Length") > settings.maxUploadBytes + 65536) {
        return RefuseUnread(request, response, 413, "The file is too large", tooLarge);
    }
    std::optional<RateLimiter::Slot> slot;
    if (!signedIn) {
        app.limiter.SetLimits(settings.uploadsAtOnce, settings.uploadsPerHour);
        auto admitted = app.limiter.Admit(ClientOf(request, app), Clock::now());
        if (auto* refused = std::get_if<RateLimiter::Refused>(&admitted)) {
            response.set_header("Retry-After", std::to_string(refused->retryAfterSeconds));
            return RefuseUnread(
                request, response, 429, "Too many uploads",
                refused->tooManyAtOnce
                    ? "Too many uploads from your address are under way at once. Wait until "
                      "they are done, then send the log again."
                    : "Too many uploads came from your address in the last hour. Wait " +
                          std::to_string((refused->retryAfterSeconds + 59) / 60) +
                          " minutes, then send the log again.");
        }
        slot.emplace(std::get<RateLimiter::Slot>(std::move(admitted)));
    }
    if (!request.is_multipart_form_data()) {
        return RefuseUnread(request, response, 415, "Not a form",
                            "Send the log as a form (multipart/form-data) with the file in the "
                            "field \"log\".");
    }

    const Clock::time_point start = Clock::now();
    Clock::time_point lastBytes = start;
    UploadFormCollector form(settings.maxUploadBytes,
                             start + std::chrono::seconds(settings.uploadSeconds));
    const bool complete = reader(
        [&form](const httplib::MultipartFormData& part) {
            form.BeginField(part.name, part.filename);
            return true;
        },
        [&form, &lastBytes](const char* data, std::size_t size) {
            lastBytes = Clock::now();
            return form.Append(std::string_view(data, size), lastBytes);
        });
    if (form.Failure() == UploadFormCollector::Problem::kTooLarge) {
        return RefuseUnread(request, response, 413, "The file is too large", tooLarge);
    }
    const bool stalled =
        Clock::now() - lastBytes >=
        std::chrono::seconds(settings.readTimeoutSeconds) - std::chrono::milliseconds(500);
    if (form.Failure() == UploadFormCollector::Problem::kTooSlow || (!complete && stalled)) {
        return RefuseUnread(request, response, 408, "The upload took too long",
                            "The upload was too slow or stopped; nothing was received. Please "
                            "send the log again.");
    }
    if (!complete) {
        return RefuseUnread(request, response, 400, "The upload was cut off",
                            "The form arrived incomplete or garbled; nothing was received. "
                            "Please send the log again.");
    }
    // The body is complete: its place in the order of arrival is taken now,
    // before the reading, so that of two logs of a call the later one counts
    // whichever is read first.
    const Arrival arrival = app.intake.Arrive();

    const bool byOrganiser =
        signedIn &&
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

void ShowReceipt(App& app, const httplib::Request& request, httplib::Response& response) {
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

std::string ClientOf(const httplib::Request& request, App& app) {
    return ClientAddress(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                         app.settings.Current()->behindProxy);
}

void AddPublicRoutes(httplib::Server& server, App& app) {
    server.Get("/", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   const auto settings = app.settings.Current();
                   SendPage(response, 200, UploadPage(*settings, Intake::Open(*settings, Now())));
               }));
    server.Post("/api/logs",
                Guarded([&app](const httplib::Request& request, httplib::Response& response,
                               const httplib::ContentReader& reader) {
                    UploadLog(app, request, response, reader);
                }));
    server.Get(R"(/receipts/(\d+)/([0-9a-f]+))",
               Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                   ShowReceipt(app, request, response);
               }));
    server.Get("/received", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   SendPage(response, 200,
                            ReceivedPage(app.submissions.CurrentWithoutSummaries(),
                                         app.settings.Current()->ContestName()));
               }));
    server.Get("/api/logs", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   SendJson(response, 200, ReceivedJson(app.submissions.CurrentWithoutSummaries()));
               }));
    server.Get("/results", Guarded([](const httplib::Request&, httplib::Response& response) {
                   response.status = 301;
                   response.set_header("Location", "/results/");
               }));
    server.Get("/results/", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   if (!app.submissions.PublishedCheck() ||
                       !SendResultFile(app.dir.published, "results.html", false, response)) {
                       SendPage(response, 200,
                                NotPublishedPage(app.settings.Current()->ContestName()));
                   }
               }));
    server.Get(R"(/results/(ubn/)?([^/]+))",
               Guarded([&app](const httplib::Request& request, httplib::Response& response) {
                   const bool inUbn = request.matches[1].matched;
                   if (!app.submissions.PublishedCheck() ||
                       !SendResultFile(app.dir.published, request.matches[2], inUbn, response)) {
                       SendRefusal(request, response, 404, "Not found",
                                   "There is no such file among the published results.",
                                   "/results/");
                   }
               }));
}

}  // namespace zelk::serve
