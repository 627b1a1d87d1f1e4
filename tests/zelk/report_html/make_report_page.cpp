// Writes the report page of a test model, with the real world outline, and
// what a reader of the page must find in it, worked out here from the model
// without the renderer: the admitted contacts and the distinct positions.
// Usage: make_report_page small|contest FOLDER
//   FOLDER/report.html, FOLDER/summary.txt, FOLDER/expected.json
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string_view>

#include "fixture_models.h"
#include "report_html/page.h"
#include "report_html/summary.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelk::report_html;
    if (argc != 3 ||
        (std::string_view(argv[1]) != "small" && std::string_view(argv[1]) != "contest")) {
        std::cerr << "usage: make_report_page small|contest FOLDER\n";
        return 2;
    }
    const ReportModel model =
        std::string_view(argv[1]) == "small" ? testing::SmallModel() : testing::ContestModel();
    std::set<std::pair<int, int>> positions;
    for (const AdmittedContact& contact : model.contacts) {
        if (contact.position) {
            positions.insert({contact.position->latitude, contact.position->longitude});
        }
    }
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    const std::string expected = "{\"admitted\": " + std::to_string(model.contacts.size()) +
                                 ", \"positions\": " + std::to_string(positions.size()) + "}\n";
    if (!Write(folder / "report.html", ReportPage(model)) ||
        !Write(folder / "summary.txt", SummaryText(model)) ||
        !Write(folder / "expected.json", expected)) {
        std::cerr << "make_report_page: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
