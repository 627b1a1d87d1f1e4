// The log's equality index: every record whose time can equal another's,
// hashed over all the fields that take part in record equality. It finds the
// duplicates that AddData0 refuses to store twice.
#include <cmath>
#include <cstring>

#include "log/hashing.h"
#include "log/qso_log.h"

namespace zelk {

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

void QsoLog::IndexEquality(uint32_t slot) {
    if (Indexable(m_slots[slot])) {
        m_equal.Insert(EqualityHash(m_slots[slot]), slot);
    }
}

void QsoLog::UnindexEquality(uint32_t slot) {
    if (Indexable(m_slots[slot])) {
        m_equal.Erase(EqualityHash(m_slots[slot]), slot);
    }
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

}  // namespace zelk
