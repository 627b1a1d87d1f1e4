// The contest log with its indexes, and the group list.
#include "log/qso_log.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace zelk {
namespace {

// A log whose dead slots outnumber its records (and are more than a few) is
// rebuilt without them, which also drops the texts only they used.
constexpr std::size_t kCompactAtDeadSlots = 64;

}  // namespace

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

QsoLog::QsoLog() = default;

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

// Only a record whose time can equal another time can equal another record:
// an invalid (or erroneous) time never does, nor does a valid NaN.
bool QsoLog::Indexable(const Slot& slot) {
    const auto status = static_cast<DateTimeStatus>(slot.status);
    return status == DateTimeStatus::Null ||
           (status == DateTimeStatus::Valid && !std::isnan(slot.day));
}

uint64_t QsoLog::EqualityHash(const Slot& slot) {
    uint64_t hash = 0;
    for (uint32_t id : slot.text) {
        hash = HashCombine(hash, id);
    }
    for (const ShortText& text : slot.exchange) {
        uint64_t words[2];
        std::memcpy(words, text.bytes.data(), sizeof words);
        hash = HashCombine(HashCombine(hash, words[0]), words[1]);
    }
    for (int32_t n : slot.number) {
        hash = HashCombine(hash, static_cast<uint32_t>(n));
    }
    hash = HashCombine(hash, static_cast<uint32_t>(slot.status));
    if (static_cast<DateTimeStatus>(slot.status) == DateTimeStatus::Valid) {
        // Equal days must hash alike: 0.0 and -0.0 are the same time.
        const double day = slot.day == 0.0 ? 0.0 : slot.day;
        uint64_t bits;
        std::memcpy(&bits, &day, sizeof bits);
        hash = HashCombine(hash, bits);
    }
    return hash;
}

bool QsoLog::EqualRecords(const Slot& a, const Slot& b) {
    return a.text == b.text && a.exchange == b.exchange && a.number == b.number &&
           TimesEqual(OleDateTime{a.day, static_cast<DateTimeStatus>(a.status)},
                      OleDateTime{b.day, static_cast<DateTimeStatus>(b.status)});
}

void QsoLog::Empty() {
    std::vector<Slot>().swap(m_slots);
    m_live.Clear();
    m_pool.Clear();
    m_equal.Clear();
    m_keys.Clear();
    m_recent = {};
    if (m_observer != nullptr) {
        m_observer->Emptied();
    }
}

std::size_t QsoLog::SlotAt(std::size_t index) const {
    if (index >= Count()) {
        throw std::invalid_argument("log index out of range");
    }
    return m_live.Select(index);
}

QsoView QsoLog::ViewAt(std::size_t index) const {
    return QsoView(*this, SlotAt(index));
}

void QsoLog::Store(const Slot& slot) {
    if (m_slots.size() >= kDeadSlot) {
        throw std::length_error("log full");
    }
    const auto id = static_cast<uint32_t>(m_slots.size());
    m_slots.push_back(slot);
    m_live.AppendLive();
    if (Indexable(slot)) {
        m_equal.Insert(EqualityHash(slot), id);
    }
    LinkKey(id);
    if (m_observer != nullptr) {
        m_observer->Appended(QsoView(*this, id));
    }
}

void QsoLog::Append(const CInfo& record) {
    Store(Intern(record));
}

bool QsoLog::AppendUnlessStored(const CInfo& record) {
    const std::size_t textsBefore = m_pool.Count();
    const Slot slot = Intern(record);
    // A record with a text never seen before cannot equal a stored one.
    if (m_pool.Count() == textsBefore && Indexable(slot)) {
        const uint32_t equal = m_equal.Find(
            EqualityHash(slot), [&](uint32_t other) { return EqualRecords(m_slots[other], slot); });
        if (equal != IdHashIndex::kNoId) {
            return false;
        }
    }
    Store(slot);
    return true;
}

void QsoLog::LinkKey(uint32_t slot) {
    Slot& s = m_slots[slot];
    s.keyNext = kNoSlot;
    KeyIndex::Ends* ends = m_keys.Find(KeyOf(s));
    if (ends == nullptr) {
        s.keyPrev = kNoSlot;
        m_keys.Insert(KeyOf(s), {slot, slot});
        return;
    }
    m_slots[ends->last].keyNext = slot;
    s.keyPrev = ends->last;
    ends->last = slot;
}

void QsoLog::UnlinkKey(uint32_t slot) {
    const Slot& s = m_slots[slot];
    if (s.keyPrev == kNoSlot && s.keyNext == kNoSlot) {
        m_keys.Erase(KeyOf(s));  // the key's only record
        return;
    }
    KeyIndex::Ends& ends = *m_keys.Find(KeyOf(s));
    if (s.keyPrev != kNoSlot) {
        m_slots[s.keyPrev].keyNext = s.keyNext;
    } else {
        ends.first = s.keyNext;
    }
    if (s.keyNext != kNoSlot) {
        m_slots[s.keyNext].keyPrev = s.keyPrev;
    } else {
        ends.last = s.keyPrev;
    }
}

void QsoLog::RemoveAt(std::size_t index) {
    RemoveSlot(static_cast<uint32_t>(SlotAt(index)));
}

bool QsoLog::RemoveFirstWithKey(std::string_view call, std::string_view mode,
                                std::string_view group) {
    const KeyIndex::Ends* ends = FindKey(call, mode, group);
    if (ends == nullptr) {
        return false;
    }
    RemoveSlot(ends->first);
    return true;
}

void QsoLog::RemoveSlot(uint32_t slot) {
    if (m_observer != nullptr) {
        m_observer->Removing(QsoView(*this, slot));
    }
    UnlinkKey(slot);
    if (Indexable(m_slots[slot])) {
        m_equal.Erase(EqualityHash(m_slots[slot]), slot);
    }
    m_slots[slot].keyNext = kDeadSlot;
    m_live.Kill(slot);
    CompactIfSparse();
}

void QsoLog::CompactIfSparse() {
    if (m_live.DeadCount() < kCompactAtDeadSlots || m_live.DeadCount() <= m_live.LiveCount()) {
        return;
    }
    std::vector<Slot> slots;
    slots.reserve(m_live.LiveCount());
    TextPool pool;
    for (const Slot& old : m_slots) {
        if (old.keyNext == kDeadSlot) {
            continue;
        }
        Slot s = old;
        for (uint32_t& id : s.text) {
            id = pool.Intern(m_pool.Text(id));
        }
        for (ShortText& text : s.exchange) {
            text = pool.InternShort(m_pool.Text(text));
        }
        slots.push_back(s);
    }
    m_slots.swap(slots);
    std::vector<Slot>().swap(slots);
    m_pool = std::move(pool);
    m_recent = {};
    m_live.Clear();
    m_equal.Clear();
    m_keys.Clear();
    m_live.Reserve(m_slots.size());
    for (std::size_t id = 0; id < m_slots.size(); ++id) {
        m_live.AppendLive();
        if (Indexable(m_slots[id])) {
            m_equal.Insert(EqualityHash(m_slots[id]), static_cast<uint32_t>(id));
        }
        LinkKey(static_cast<uint32_t>(id));
    }
}

std::optional<std::size_t> QsoLog::FindEqual(const CInfo& record) const {
    const std::optional<Slot> probe = Lookup(record);
    if (!probe || !Indexable(*probe)) {
        return std::nullopt;
    }
    // Equal records are stored twice only when appended without a search;
    // the first in log order is the one with the lowest slot.
    uint32_t first = IdHashIndex::kNoId;
    m_equal.ForEachWithHash(EqualityHash(*probe), [&](uint32_t slot) {
        if (slot < first && EqualRecords(m_slots[slot], *probe)) {
            first = slot;
        }
    });
    if (first == IdHashIndex::kNoId) {
        return std::nullopt;
    }
    return m_live.Rank(first);
}

const KeyIndex::Ends* QsoLog::FindKey(std::string_view call, std::string_view mode,
                                      std::string_view group) const {
    const std::optional<uint32_t> callId = FindText(kCall, call);
    const std::optional<uint32_t> modeId = FindText(kMode, mode);
    const std::optional<uint32_t> groupId = FindText(kGroup, group);
    if (!callId || !modeId || !groupId) {
        return nullptr;
    }
    return m_keys.Find({*callId, *modeId, *groupId});
}

std::optional<std::size_t> QsoLog::FindByKey(std::string_view call, std::string_view mode,
                                             std::string_view group) const {
    const KeyIndex::Ends* ends = FindKey(call, mode, group);
    if (ends == nullptr) {
        return std::nullopt;
    }
    return m_live.Rank(ends->first);
}

void GroupList::Empty() {
    std::vector<std::string>().swap(m_texts);
    m_counts.clear();
}

const std::string& GroupList::At(std::size_t index) const {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    return m_texts[index];
}

void GroupList::Append(std::string_view text) {
    m_texts.emplace_back(text);
    ++m_counts[m_texts.back()];
}

void GroupList::ReplaceAt(std::size_t index, std::string text) {
    if (index >= m_texts.size()) {
        throw std::invalid_argument("group index out of range");
    }
    auto old = m_counts.find(m_texts[index]);
    if (--old->second == 0) {
        m_counts.erase(old);
    }
    ++m_counts[text];
    m_texts[index] = std::move(text);
}

void GroupList::Reorder(const std::vector<std::size_t>& order) {
    if (order.size() != m_texts.size()) {
        throw std::invalid_argument("group order of the wrong length");
    }
    std::vector<bool> taken(order.size());
    for (std::size_t from : order) {
        if (from >= order.size() || taken[from]) {
            throw std::invalid_argument("group order is not a permutation");
        }
        taken[from] = true;
    }
    std::vector<std::string> texts;
    texts.reserve(order.size());
    for (std::size_t from : order) {
        texts.push_back(std::move(m_texts[from]));
    }
    m_texts.swap(texts);
}

}  // namespace zelk
