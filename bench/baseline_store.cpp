// The baseline: linear searches, record-moving removal, literal scoring.
#include "baseline_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "contest/coordinate.h"
#include "contest/decimal.h"
#include "log/error_file.h"
#include "log/intake.h"
#include "plugin/output_stage.h"
#include "plugin/reference_list.h"
#include "scoring/host_automation.h"
#include "scoring/report.h"

namespace zelk::bench {

const CInfo& LinearQsoLog::At(std::size_t index) const {
    if (index >= m_records.size()) {
        throw std::invalid_argument("log index out of range");
    }
    return m_records[index];
}

void LinearQsoLog::RemoveAt(std::size_t index) {
    if (index >= m_records.size()) {
        throw std::invalid_argument("log index out of range");
    }
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::size_t> LinearQsoLog::FindEqual(const CInfo& record) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i] == record) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> LinearQsoLog::FindByKey(std::string_view call, std::string_view mode,
                                                   std::string_view group) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const CInfo& r = m_records[i];
        if (r.m_strCall == call && r.m_strMode == mode && r.m_strGroup == group) {
            return i;
        }
    }
    return std::nullopt;
}

const std::string& LinearGroupList::At(std::size_t index) const {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    return m_texts[index];
}

bool LinearGroupList::Contains(std::string_view text) const {
    return std::find(m_texts.begin(), m_texts.end(), text) != m_texts.end();
}

void LinearGroupList::ReplaceAt(std::size_t index, std::string text) {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    m_texts[index] = std::move(text);
}

namespace {

std::string ZeroFilled(const std::string& text) {
    return text.size() < kGroupOrderWidth ? std::string(kGroupOrderWidth - text.size(), '0') + text
                                          : text;
}

constexpr const char* kQsoLineFormat = "QSO: %5i %2s %s %-13s %-5s   %-12s  %s\r\n";

void AddQsoLineByPrintf(CCabrilloLog& log, const CInfo& r) {
    const std::string dateTime = FormatDateTime(r.m_time, "%Y-%m-%d %H%M");
    const std::string sent = WidenExchange(r.m_strExchSent);
    const std::string received = WidenExchange(r.m_strExchRcvd);
    log.m_arrQsoLines.push_back(FormatText(kQsoLineFormat, static_cast<int>(r.m_nFreqKHz), "CW",
                                           dateTime.c_str(), log.m_strCallsign.c_str(),
                                           sent.c_str(), r.m_strCall.c_str(), received.c_str()));
}

}  // namespace

void OrderGroupsByExchange(LinearGroupList& groups) {
    const std::size_t n = groups.Count();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (ZeroFilled(groups.At(i)) < ZeroFilled(groups.At(j))) {
                std::string atI = groups.At(i);
                groups.ReplaceAt(i, groups.At(j));
                groups.ReplaceAt(j, std::move(atI));
            }
        }
    }
}

ScoreResult ScoreLogLinear(BaselineState& state) {
    OrderGroupsByExchange(state.groups);
    const ModuleState& core = state.core;
    ScoreResult result;
    for (std::size_t g = 0; g < state.groups.Count(); ++g) {
        ScoreRow row;
        row.group = state.groups.At(g);
        for (std::size_t i = 0; i < state.log.Count(); ++i) {
            const CInfo& record = state.log.At(i);
            if (record.m_strGroup != row.group || record.m_strCall.empty()) {
                continue;
            }
            row.qsos = SaturatingAdd(row.qsos, 1);
            if (record.m_strCall == kBonusCall) {
                row.zelk = kBonusCallPoints;
            }
            const std::string& exchange = record.m_strExchRcvd;
            const std::size_t space = exchange.find(' ');
            const Coordinate contact = ParseCoordinate(
                space == std::string::npos ? std::string_view(exchange)
                                           : std::string_view(exchange).substr(space + 1));
            row.lon =
                SaturatingAdd(row.lon, SaturatingAbsDiff(core.g_stationLong, contact.longitude));
            row.lat =
                SaturatingAdd(row.lat, SaturatingAbsDiff(core.g_stationLat, contact.latitude));
            if (contact.latitude >= kPolarLatitude) {
                row.polar = kPolarPoints;
            }
        }
        row.points = SaturatingMul(row.qsos, kPointsPerContact);
        result.rows.push_back(std::move(row));
    }
    ScoreTotals& t = result.totals;
    t.qsos = Saturate(static_cast<int64_t>(state.log.Count()));
    for (const ScoreRow& row : result.rows) {
        t.points = SaturatingAdd(t.points, row.points);
        t.lat = SaturatingAdd(t.lat, row.lat);
        t.lon = SaturatingAdd(t.lon, row.lon);
        t.zelk = SaturatingAdd(t.zelk, row.zelk);
        t.polar = SaturatingAdd(t.polar, row.polar);
    }
    result.claimedScore = SaturatingAdd(
        SaturatingAdd(SaturatingAdd(SaturatingAdd(t.points, t.lat), t.lon), t.zelk), t.polar);
    return result;
}

int BaselineResetStats0(BaselineState& state, const ResetArgs& args) {
    state.log.Empty();
    state.groups.Empty();
    return ResetStats0(state.core, args);
}

int BaselineAddData0(BaselineState& state, const ContactArgs& args, bool searchDuplicates) {
    ModuleState& core = state.core;
    Platform& platform = core.platform();
    if (args.mode != "CW") {
        AppendErrorLine(platform, RefusedContactLine(args, kWrongModeMessage));
        return 0;
    }
    if (args.exchRcvd.empty() || args.exchSent.empty()) {
        AppendErrorLine(platform, RefusedContactLine(args, kMissingExchangeMessage));
        return 0;
    }
    TouchErrorFile(platform);
    if (!state.groups.Contains(args.group)) {
        state.groups.Append(args.group);
    }
    CInfo record;
    record.m_time = args.time;
    record.m_strCall = args.call;
    record.m_strGroup = args.group;
    record.m_strMode = args.mode;
    record.m_strAux2 = args.aux2;
    record.m_strRstRcvd = args.rstRcvd;
    record.m_strRstSent = args.rstSent;
    record.m_strExchRcvd = NormaliseReceivedExchange(args.exchRcvd);
    if (core.g_stationCoord.empty()) {
        core.g_stationCoord = FormatCoordinate(core.g_stationLat, core.g_stationLong);
    }
    record.m_strExchSent = std::string(args.exchSent) + ' ' + core.g_stationCoord;
    record.m_strAux1 = args.aux1;
    record.m_nFreqKHz = static_cast<int32_t>(args.freqHz / 1000u);
    if (!searchDuplicates || !state.log.FindEqual(record)) {
        state.log.Append(record);
    }
    return 1;
}

int BaselineRemoveData0(BaselineState& state, const ContactArgs& args) {
    if (args.exchRcvd.empty() || args.exchSent.empty()) {
        return 0;
    }
    if (auto index = state.log.FindByKey(args.call, args.mode, args.group)) {
        state.log.RemoveAt(*index);
    }
    return 1;
}

int BaselineCheckCall0(BaselineState& state, std::string_view call, std::string_view mode,
                       std::string_view group, const char* wantReference, char* referenceBuffer) {
    if (state.log.FindByKey(call, mode, group)) {
        return 0;
    }
    const std::string text = LookupReference(state.core.g_refList, call);
    if (wantReference != nullptr && referenceBuffer != nullptr && text != kNoReference) {
        const std::size_t length = std::min(text.size(), kReferenceBufferSize - 1);
        std::memcpy(referenceBuffer, text.data(), length);
        referenceBuffer[length] = '\0';
    }
    return 1;
}

const char* BaselineGetResult0(BaselineState& state, int* result) {
    ModuleState& core = state.core;
    core.g_reportText.clear();
    core.g_reportText +=
        FormatText(kReportTitleFormat, core.g_contestDate.c_str(), core.g_contestant.c_str());
    const ScoreResult score = ScoreLogLinear(state);
    for (const ScoreRow& row : score.rows) {
        core.g_reportText += FormatText(kReportRowFormat, row.group.c_str(), row.qsos, row.points,
                                        row.lat, row.lon, row.zelk, row.polar);
    }
    const ScoreTotals& t = score.totals;
    core.g_reportText +=
        FormatText(kReportTotalFormat, t.qsos, t.points, t.lat, t.lon, t.zelk, t.polar);
    core.g_claimedScore = score.claimedScore;
    if (result != nullptr) {
        *result = score.claimedScore;
    }
    core.settings().Write(keys::kClaimed, std::to_string(score.claimedScore));
    core.g_reportText +=
        FormatText(kReportScoreFormat, t.points, t.lat, t.lon, t.zelk, t.polar, score.claimedScore);
    if (core.g_cabrilloWanted != 0) {
        CCabrilloLog& cabrillo = core.g_cabrilloLog;
        for (std::size_t i = 0; i < state.log.Count(); ++i) {
            AddQsoLineByPrintf(cabrillo, state.log.At(i));
        }
        Settings settings = core.settings();
        const CCabrilloLog::WriteOutcome outcome =
            cabrillo.WriteLogFile(core.platform(), settings, core.g_claimedScore);
        core.platform().ShowMessage(MessageOwner::ActiveWindow, outcome.message, kOutputCaption,
                                    MessageIcon::Information);
        if (outcome.written && result != nullptr) {
            *result = -1;
        }
    }
    if (core.g_hostCommandsSent == 0) {
        AutomateHost(core.platform(), core.g_hostClsid, core.g_hostDispatch,
                     core.g_hostCommandsSent);
    }
    return core.g_reportText.c_str();
}

}  // namespace zelk::bench
