// The public routes: the upload page and the upload itself, the logs
// received, and the published results.
#include <chrono>

#include "serve/public_pages.h"
#include "serve/request_parts.h"
#include "serve/responses.h"
#include "serve/routes.h"
#include "serve/upload_form.h"

namespace zelk::serve {

namespace {

using Clock = std::chrono::steady_clock;

// A reverse proxy sends the whole body, which it has read and bounded
// already (nginx's client_max_body_size), before it reads the answer: a
// refusal that leaves the body unread breaks its write, and it answers 502
// in zelk's place. Behind a proxy a refused body of up to this much is read
// and dropped first; a larger one, or any without a proxy, is never read.
constexpr uint64_t kProxiedBodyDropped = uint64_t{64} << 20;

// Reads the rest of a refused upload's body and drops it, behind a proxy and
// within the bound above.
void DropProxiedBody(const App& app, const httplib::Request& request,
                     const httplib::ContentReader& reader) {
    if (!app.settings.behindProxy || !request.has_header("Content-Length") ||
        request.get_header_value<uint64_t>("Content-Length") > kProxiedBodyDropped) {
        return;
    }
    const auto drop = [](const char*, std::size_t) { return true; };
    if (request.is_multipart_form_data()) {
        reader([](const httplib::MultipartFormData&) { return true; }, drop);
    } else {
        reader(drop);
    }
}

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
    const ServeSettings& settings = app.settings;
    const OrganiserAuth::Via via = app.auth.Authenticate(request.get_header_value("Authorization"),
                                                         request.get_header_value("Cookie"));
    const bool signedIn = via != OrganiserAuth::Via::kNone;
    if (!signedIn && !app.intake.Open(Now())) {
        DropProxiedBody(app, request, reader);
        return RefuseUnread(request, response, 403, "Logs are no longer received",
                            app.intake.ClosedSentence());
    }
    const std::string tooLarge = "The log is larger than the " +
                                 Mebibytes(settings.maxUploadBytes) +
                                 " a log may be here; a contest log is a few hundred kilobytes. "
                                 "Check that you chose the right file.";
    if (request.has_header("Content-Length") &&
        request.get_header_value<uint64_t>("Content-Length") > settings.maxUploadBytes + 65536) {
        DropProxiedBody(app, request, reader);
        return RefuseUnread(request, response, 413, "The file is too large", tooLarge);
    }
    std::optional<RateLimiter::Slot> slot;
    if (!signedIn) {
        auto admitted = app.limiter.Admit(ClientOf(request, app), Clock::now());
        if (auto* refused = std::get_if<RateLimiter::Refused>(&admitted)) {
            DropProxiedBody(app, request, reader);
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
        DropProxiedBody(app, request, reader);
        return RefuseUnread(request, response, 415, "Not a form",
                            "Send the log as a form (multipart/form-data) with the file in the "
                            "field \"log\".");
    }

    const Clock::time_point start = Clock::now();
    Clock::time_point lastBytes = start;
    UploadFormCollector form(settings.maxUploadBytes,
                             start + std::chrono::seconds(settings.uploadSeconds));
    // A log too large is dropped from there on; behind a proxy the body is
    // still read to its end, which its length (checked above) bounds.
    const bool readToTheEnd = settings.behindProxy && request.has_header("Content-Length");
    const bool complete = reader(
        [&form](const httplib::MultipartFormData& part) {
            form.BeginField(part.name);
            return true;
        },
        [&form, &lastBytes, readToTheEnd](const char* data, std::size_t size) {
            lastBytes = Clock::now();
            return form.Append(std::string_view(data, size), lastBytes) ||
                   (readToTheEnd && form.Failure() == UploadFormCollector::Problem::kTooLarge);
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

    const bool byOrganiser = signedIn && app.auth.FormIsGenuine(via, form.FormValue(),
                                                                request.get_header_value("Origin"),
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

std::string ClientOf(const httplib::Request& request, const App& app) {
    return ClientAddress(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                         app.settings.behindProxy);
}

void AddPublicRoutes(httplib::Server& server, App& app) {
    server.Get("/", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   SendPage(response, 200, UploadPage(app.settings, app.intake.Open(Now())));
               }));
    server.Post("/api/logs",
                Guarded([&app](const httplib::Request& request, httplib::Response& response,
                               const httplib::ContentReader& reader) {
                    UploadLog(app, request, response, reader);
                }));
    server.Get("/received", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   SendPage(response, 200,
                            ReceivedPage(app.submissions.Current(), app.settings.contestName));
               }));
    server.Get("/api/logs", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   SendJson(response, 200, ReceivedJson(app.submissions.Current()));
               }));
    server.Get("/results", Guarded([](const httplib::Request&, httplib::Response& response) {
                   response.status = 301;
                   response.set_header("Location", "/results/");
               }));
    server.Get("/results/", Guarded([&app](const httplib::Request&, httplib::Response& response) {
                   if (!app.submissions.PublishedCheck() ||
                       !SendResultFile(app.dir.published, "results.html", false, response)) {
                       SendPage(response, 200, NotPublishedPage(app.settings.contestName));
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
