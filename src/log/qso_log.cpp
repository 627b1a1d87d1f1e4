// The log's store: slots in append order, the live positions, appending,
// removal and the compaction that drops dead slots. The record form, the
// equality index and the key index each have a file of their own.
#include "log/qso_log.h"

#include <stdexcept>

namespace zelk {
namespace {

// A log whose dead slots outnumber its records (and are more than a few) is
// rebuilt without them, which also drops the texts only they used.
constexpr std::size_t kCompactAtDeadSlots = 64;

}  // namespace

QsoLog::QsoLog() = default;

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
    IndexEquality(id);
    LinkKey(id);
    if (m_observer != nullptr) {
        m_observer->Appended(QsoView(*this, id));
    }
}

void QsoLog::Append(const CInfo& record) {
    Store(Intern(record));
}

void QsoLog::RemoveAt(std::size_t index) {
    RemoveSlot(static_cast<uint32_t>(SlotAt(index)));
}

void QsoLog::RemoveSlot(uint32_t slot) {
    if (m_observer != nullptr) {
        m_observer->Removing(QsoView(*this, slot));
    }
    UnlinkKey(slot);
    UnindexEquality(slot);
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
        IndexEquality(static_cast<uint32_t>(id));
        LinkKey(static_cast<uint32_t>(id));
    }
}

}  // namespace zelk
