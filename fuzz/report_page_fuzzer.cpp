// libFuzzer target for the contest report: each input is decoded into a
// report model (texts of any bytes, any numbers, positions on and off the
// globe, times anywhere in the years a log can hold) and drawn as a page and
// a summary. Beyond not crashing, no text from a log may add markup: the
// page must hold exactly as many '<' as the page of the same model with
// every text replaced by a harmless token, and must be valid UTF-8. The map
// is drawn on a small outline of its own, which keeps the fuzzer fast; the
// rings cross every side of any view.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "report_html/page.h"
#include "report_html/report_model.h"
#include "report_html/summary.h"
#include "report_html/world_outline.h"

namespace zelk::report_html {
namespace {

constexpr OutlinePoint kOutlinePoints[] = {
    {-17000, -8000}, {17000, -8000}, {17000, 8000}, {-17000, 8000},  // nearly the globe
    {-500, 4000},    {3000, 7500},   {6000, 3500},                   // a triangle
    {17900, 6000},   {-17900, 6500}, {17900, 7000},                  // across the date line
};
constexpr uint32_t kOutlineRingEnds[] = {4, 7, 10};
constexpr Outline kOutline{kOutlinePoints, kOutlineRingEnds};

// MinuteFromOleDays gives minutes of 3e6 days around 1970 at most.
constexpr int64_t kLargestMinute = 3'000'000LL * 1440;

std::string Text(FuzzedDataProvider& input) {
    return input.ConsumeRandomLengthString(40);
}

std::optional<GeoPoint> Position(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return std::nullopt;
        case 1:
            return GeoPoint{input.ConsumeIntegralInRange(-90, 90),
                            input.ConsumeIntegralInRange(-180, 180)};
        default:
            return GeoPoint{input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>()};
    }
}

ScoreRow Row(FuzzedDataProvider& input, std::string group) {
    return {std::move(group),
            input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>()};
}

ReportModel Decode(FuzzedDataProvider& input) {
    ReportModel model;
    model.entrant.call = Text(input);
    model.entrant.category = Text(input);
    model.entrant.coordinateText = Text(input);
    model.entrant.position = input.ConsumeBool()
                                 ? PositionFromCoordinate(model.entrant.coordinateText)
                                 : Position(input);
    model.entrant.contestDate = Text(input);
    model.options.minOffMinutes = input.ConsumeIntegral<int>();
    const int64_t start = input.ConsumeIntegralInRange(-kLargestMinute, kLargestMinute);
    for (int rows = input.ConsumeIntegralInRange(0, 6); rows > 0; --rows) {
        model.score.rows.push_back(Row(input, Text(input)));
    }
    model.score.totals = Row(input, "Total");
    model.score.claimedScore = input.ConsumeIntegral<int32_t>();
    for (int contacts = input.ConsumeIntegralInRange(0, 300); contacts > 0; --contacts) {
        AdmittedContact contact;
        if (input.ConsumeBool()) {  // mostly near the start, sometimes anywhere
            contact.minute = input.ConsumeBool()
                                 ? start + input.ConsumeIntegralInRange(0, 5000)
                                 : input.ConsumeIntegralInRange(-kLargestMinute, kLargestMinute);
        }
        contact.group = input.ConsumeBool() && !model.score.rows.empty()
                            ? model.score
                                  .rows[input.ConsumeIntegralInRange<std::size_t>(
                                      0, model.score.rows.size() - 1)]
                                  .group
                            : Text(input);
        contact.call = Text(input);
        contact.position =
            input.ConsumeBool() ? PositionFromCoordinate(Text(input)) : Position(input);
        contact.points = input.ConsumeIntegral<int32_t>();
        contact.bonus = input.ConsumeIntegral<int32_t>();
        contact.zelkStation = input.ConsumeBool();
        contact.polar = input.ConsumeBool();
        model.contacts.push_back(std::move(contact));
    }
    for (int refused = input.ConsumeIntegralInRange(0, 5); refused > 0; --refused) {
        model.refused.push_back(RefusedFromErrorLine(Text(input)));
    }
    return model;
}

// Every distinct text as "t1", "t2" ...; the empty text stays empty.
ReportModel Tokenised(ReportModel model) {
    std::map<std::string, std::string> tokens;
    auto token = [&tokens](std::string& text) {
        if (!text.empty()) {
            text = tokens.try_emplace(text, "t" + std::to_string(tokens.size() + 1)).first->second;
        }
    };
    for (std::string* text : {&model.entrant.call, &model.entrant.category,
                              &model.entrant.coordinateText, &model.entrant.contestDate}) {
        token(*text);
    }
    for (ScoreRow& row : model.score.rows) {
        token(row.group);
    }
    for (AdmittedContact& contact : model.contacts) {
        token(contact.group);
        token(contact.call);
    }
    for (RefusedContact& refused : model.refused) {
        token(refused.contact);
        token(refused.reason);
    }
    return model;
}

// Decodes every sequence and rejects overlong forms, surrogates and code
// points beyond U+10FFFF.
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC0 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF8 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::size_t Markup(const std::string& page) {
    std::size_t count = 0;
    for (char c : page) {
        count += c == '<';
    }
    return count;
}

void Fail(const char* what) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what);
    std::abort();
}

}  // namespace
}  // namespace zelk::report_html

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelk::report_html;
    FuzzedDataProvider input(data, size);
    const ReportModel model = Decode(input);
    const std::string page = ReportPage(model, kOutline);
    const std::string summary = SummaryText(model);
    if (summary.empty()) {
        Fail("the summary is empty");
    }
    if (!IsUtf8(page)) {
        Fail("the page is not UTF-8");
    }
    if (Markup(page) != Markup(ReportPage(Tokenised(model), kOutline))) {
        Fail("a text from the log added markup to the page");
    }
    return 0;
}
