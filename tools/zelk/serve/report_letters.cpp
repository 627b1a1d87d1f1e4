// Finding each entrant's published report and writing its letter.
#include "serve/report_letters.h"

#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "adjudication/output_folder.h"
#include "serve/letters.h"
#include "text/text.h"

namespace zelk::serve {

namespace fs = std::filesystem;

ReportLetters QueueReportLetters(App& app, UtcTime now) {
    const auto published = app.submissions.PublishedCheck();
    if (!published) {
        throw std::runtime_error("nothing is published yet: publish the results first");
    }
    // The calls' reports, as the published results name them.
    std::map<std::string, std::string> reports;
    const nlohmann::json results = nlohmann::json::parse(
        ReadWholeFile(app.dir.published / adjudication::kResultsJson), nullptr, false);
    if (results.is_object() && results.contains("entrants")) {
        for (const auto& entrant : results["entrants"]) {
            if (entrant.contains("ubn") && entrant["ubn"].is_string() &&
                entrant["call"].is_string()) {
                // Only the file's own name: nothing from the results is a path.
                reports[Upper(entrant["call"].get<std::string>())] =
                    fs::path(entrant["ubn"].get<std::string>()).filename().string();
            }
        }
    }
    const std::string resultsLink = app.settings.publicUrl.empty()
                                        ? ""
                                        : app.settings.publicUrl +
                                              (app.settings.publicUrl.back() == '/' ? "" : "/") +
                                              "results/";
    ReportLetters done;
    for (const Submission& row : app.submissions.Current()) {
        if (row.email.empty()) {
            ++done.withoutAddress;
            continue;
        }
        const auto report = reports.find(Upper(row.call));
        std::error_code error;
        const fs::path file = app.dir.published / adjudication::kUbnFolder /
                              (report == reports.end() ? "" : report->second);
        if (report == reports.end() || !fs::is_regular_file(file, error)) {
            ++done.withoutReport;
            continue;
        }
        if (app.outbox.HasReport(row.id, published->publishedAt)) {
            ++done.alreadyQueued;
            continue;
        }
        app.outbox.Queue(ReportLetter(row.call, ReadWholeFile(file), resultsLink,
                                      app.settings.contestName, row.email, row.id),
                         now);
        ++done.queued;
    }
    return done;
}

}  // namespace zelk::serve
