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
    // The calls' reports, as the published results name them: results.json
    // is published only with the lists for review; else it is the last
    // check's, while that is the one published.
    fs::path resultsJson = app.dir.published / adjudication::kResultsJson;
    std::error_code error;
    if (!fs::exists(resultsJson, error)) {
        const auto last = app.submissions.LastCheck();
        if (!last || last->id != published->id) {
            throw std::runtime_error(
                "the check ran again after the results were published: publish its results "
                "first, so that the reports mailed are the ones published");
        }
        resultsJson = app.dir.results / adjudication::kResultsJson;
    }
    std::map<std::string, std::string> reports;
    const nlohmann::json results =
        nlohmann::json::parse(ReadWholeFile(resultsJson), nullptr, false);
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
    const auto settings = app.settings.Current();
    const std::string resultsLink = SiteAddress(settings->publicUrl, "/results/");
    ReportLetters done;
    for (const Submission& row : app.submissions.Current()) {
        if (row.email.empty()) {
            ++done.withoutAddress;
            continue;
        }
        const auto report = reports.find(Upper(row.call));
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
                                      settings->ContestName(), row.email, row.id),
                         now);
        ++done.queued;
    }
    return done;
}

}  // namespace zelk::serve
