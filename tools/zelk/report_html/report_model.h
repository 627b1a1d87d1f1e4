// The plain data a contest report is drawn from: the entrant, the score as
// the scoring produces it, the admitted contacts with their times, positions
// and points, the refused contacts as the error file lists them, and the
// options. Every piece of the report (map, rate sheet, chart, tables,
// summary) takes this model and nothing else, so a results page can draw one
// per entrant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::report_html {

// A position for drawing, in whole degrees with the hemisphere applied:
// north and east are positive. Scoring reads only the magnitudes of a
// coordinate, so this is kept apart from the scored values.
struct GeoPoint {
    int32_t latitude = 0;
    int32_t longitude = 0;
    friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
    friend auto operator<=>(const GeoPoint&, const GeoPoint&) = default;
};

struct Entrant {
    std::string call;
    std::string category;              // free text, e.g. "SINGLE-OP ALL CW HIGH"
    std::string coordinateText;        // the station coordinate as stored, e.g. "55N37O"
    std::optional<GeoPoint> position;  // none when the text names no drawable place
    std::string contestDate;           // as shown, e.g. "12.05.2024"
};

// One row of the score table, with the columns of the result report.
struct ScoreRow {
    std::string group;
    int32_t qsos = 0;
    int32_t points = 0;
    int32_t lat = 0;
    int32_t lon = 0;
    int32_t zelk = 0;
    int32_t polar = 0;
};

// What a row earned: the sum of its five score columns.
int64_t Earned(const ScoreRow& row);

struct ScoreTable {
    std::vector<ScoreRow> rows;  // in report order
    ScoreRow totals;             // qsos counts every stored contact
    int32_t claimedScore = 0;
};

struct AdmittedContact {
    // Minutes since 1970-01-01 00:00 UTC, inside the years 1 to 9999 (as
    // MinuteFromOleDays gives them); none without a time.
    std::optional<int64_t> minute;
    std::string group;                 // the band (or other group text) of the contact
    std::string call;                  // the worked call
    std::optional<GeoPoint> position;  // none when the exchange names no drawable place
    int32_t points = 0;                // what the contact itself earned: 50 + distances
    int32_t bonus = 0;                 // the ZELK or polar bonus its group first earned with it
    bool zelkStation = false;          // the worked call is the ZELK station
    bool polar = false;                // scored as polar (latitude 66 or more)
};

// One line of the error file, split into the contact and the reason.
struct RefusedContact {
    std::string contact;
    std::string reason;  // the file's own message, e.g. "NO TEST MODE !!!"; may be empty
};

// Splits an error-file line at its closing message; a line without a known
// message is all contact.
RefusedContact RefusedFromErrorLine(std::string_view line);

// A coordinate text ("55N37O", "66S10W") as a position to draw: latitude
// digits, N or S, longitude digits, O, E or W, nothing else, and inside
// the globe. Scoring reads such texts more leniently; what it reads but this
// does not is scored and left off the map.
std::optional<GeoPoint> PositionFromCoordinate(std::string_view text);

struct ReportOptions {
    int minOffMinutes = 30;  // the shortest gap between contacts that counts as a break
};

struct ReportModel {
    Entrant entrant;
    ScoreTable score;
    std::vector<AdmittedContact> contacts;
    std::vector<RefusedContact> refused;
    ReportOptions options;
};

}  // namespace zelk::report_html
