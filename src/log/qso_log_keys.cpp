// The log's key index: for every call, mode and group text, the first and
// last record, and through the slots a list of the key's records in log
// order. It answers CheckCall0 and finds the record RemoveData0 removes.
#include "log/qso_log.h"

namespace zelk {

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

bool QsoLog::RemoveFirstWithKey(std::string_view call, std::string_view mode,
                                std::string_view group) {
    const KeyIndex::Ends* ends = FindKey(call, mode, group);
    if (ends == nullptr) {
        return false;
    }
    RemoveSlot(ends->first);
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

}  // namespace zelk
