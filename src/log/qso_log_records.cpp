// The compact form of the log's records: which field of CInfo is kept where
// in a slot (pooled texts, short texts, numbers, the time), and the way back.
#include "log/qso_log.h"

namespace zelk {
namespace {

// Where each text field of CInfo is kept.
template <class PooledFn, class ShortFn>
void ForEachText(const CInfo& r, PooledFn pooled, ShortFn shortText) {
    pooled(0, r.m_strCall);
    pooled(1, r.m_strAux1);
    pooled(2, r.m_strAux2);
    pooled(3, r.m_strGroup);
    pooled(4, r.m_strMode);
    pooled(5, r.m_strRstRcvd);
    pooled(6, r.m_strRstSent);
    shortText(0, r.m_strExchRcvd);
    shortText(1, r.m_strExchSent);
    pooled(7, r.m_strReserved1);
    pooled(8, r.m_strReserved2);
}

}  // namespace

CInfo QsoView::ToRecord() const {
    const QsoLog::Slot& slot = m_log->m_slots[m_slot];
    const TextPool& pool = m_log->m_pool;
    auto text = [&](QsoLog::PooledText field) { return std::string(pool.Text(slot.text[field])); };
    CInfo r;
    r.m_strCall = text(QsoLog::kCall);
    r.m_strAux1 = text(QsoLog::kAux1);
    r.m_strAux2 = text(QsoLog::kAux2);
    r.m_strGroup = text(QsoLog::kGroup);
    r.m_strMode = text(QsoLog::kMode);
    r.m_strRstRcvd = text(QsoLog::kRstRcvd);
    r.m_strRstSent = text(QsoLog::kRstSent);
    r.m_strExchRcvd = pool.Text(slot.exchange[QsoLog::kExchRcvd]);
    r.m_strExchSent = pool.Text(slot.exchange[QsoLog::kExchSent]);
    r.m_strReserved1 = text(QsoLog::kReserved1);
    r.m_strReserved2 = text(QsoLog::kReserved2);
    r.m_nFreqKHz = slot.number[QsoLog::kFreqKHz];
    r.m_nReserved1 = slot.number[QsoLog::kNumber1];
    r.m_nReserved2 = slot.number[QsoLog::kNumber2];
    r.m_nReserved3 = slot.number[QsoLog::kNumber3];
    r.m_nReserved4 = slot.number[QsoLog::kNumber4];
    r.m_nReserved5 = slot.number[QsoLog::kNumber5];
    r.m_time = Time();
    return r;
}

QsoLog::Slot QsoLog::WithoutTexts(const CInfo& record) {
    Slot slot;
    slot.number = {record.m_nFreqKHz,   record.m_nReserved1, record.m_nReserved2,
                   record.m_nReserved3, record.m_nReserved4, record.m_nReserved5};
    slot.status = static_cast<int32_t>(record.m_time.m_status);
    slot.day = record.m_time.m_dt;
    return slot;
}

QsoLog::Slot QsoLog::Intern(const CInfo& record) {
    Slot slot = WithoutTexts(record);
    ForEachText(
        record,
        [&](int field, const std::string& text) {
            uint32_t& recent = m_recent[field];
            if (m_pool.Text(recent) != text) {
                recent = m_pool.Intern(text);
            }
            slot.text[field] = recent;
        },
        [&](int field, const std::string& text) {
            slot.exchange[field] = m_pool.InternShort(text);
        });
    return slot;
}

std::optional<QsoLog::Slot> QsoLog::Lookup(const CInfo& record) const {
    Slot slot = WithoutTexts(record);
    bool stored = true;
    ForEachText(
        record,
        [&](int field, const std::string& text) {
            const std::optional<uint32_t> id = stored ? FindText(field, text) : std::nullopt;
            stored = stored && id.has_value();
            slot.text[field] = id.value_or(0);
        },
        [&](int field, const std::string& text) {
            const std::optional<ShortText> shortText =
                stored ? m_pool.FindShort(text) : std::nullopt;
            stored = stored && shortText.has_value();
            slot.exchange[field] = shortText.value_or(ShortText{});
        });
    if (!stored) {
        return std::nullopt;
    }
    return slot;
}

std::optional<uint32_t> QsoLog::FindText(int field, std::string_view text) const {
    if (m_pool.Text(m_recent[field]) == text) {
        return m_recent[field];
    }
    return m_pool.Find(text);
}

}  // namespace zelk
