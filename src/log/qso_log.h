// The contest log (g_qsoLog): its records in the order they were accepted.
//
// A host that opens a large log feeds every contact in one burst, so every
// search is indexed: record equality and the call-mode-group key are hashed.
// Records are stored compactly (texts as ids into a pool of distinct texts)
// in slots that never move while the record lives; CInfo is the form in
// which records come in and go out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/cinfo.h"
#include "log/id_hash_index.h"
#include "log/key_index.h"
#include "log/live_positions.h"
#include "log/text_pool.h"

namespace zelk {

class QsoLog;

// A stored record as the log holds it. Valid until the log changes.
class QsoView {
  public:
    std::string_view Call() const;
    std::string_view Group() const;
    std::string_view Mode() const;
    std::string_view ExchRcvd() const;
    std::string_view ExchSent() const;
    int32_t FreqKHz() const;
    OleDateTime Time() const;
    CInfo ToRecord() const;

  private:
    friend class QsoLog;
    QsoView(const QsoLog& log, std::size_t slot) : m_log(&log), m_slot(slot) {}
    const QsoLog* m_log;
    std::size_t m_slot;
};

// Told of every change of the log, so that what is derived from the records
// (the score) can follow them one at a time.
class QsoLogObserver {
  public:
    virtual void Appended(const QsoView& record) = 0;
    virtual void Removing(const QsoView& record) = 0;
    virtual void Emptied() = 0;

  protected:
    ~QsoLogObserver() = default;
};

class QsoLog {
  public:
    QsoLog();
    // One log per module state; its observer follows that log alone.
    QsoLog(const QsoLog&) = delete;
    QsoLog& operator=(const QsoLog&) = delete;

    // The observer is not owned; null detaches it.
    void SetObserver(QsoLogObserver* observer) { m_observer = observer; }

    void Empty();
    std::size_t Count() const { return m_live.LiveCount(); }
    // A copy of the record at `index`; throws std::invalid_argument for an
    // index outside the log.
    CInfo At(std::size_t index) const { return ViewAt(index).ToRecord(); }
    QsoView ViewAt(std::size_t index) const;
    void Append(const CInfo& record);
    // Appends a copy unless an equal record is stored; true when it appended.
    bool AppendUnlessStored(const CInfo& record);
    void RemoveAt(std::size_t index);
    // Removes the first record with this call, mode and group text; false
    // when there is none.
    bool RemoveFirstWithKey(std::string_view call, std::string_view mode, std::string_view group);

    // The position of the first record equal to `record`.
    std::optional<std::size_t> FindEqual(const CInfo& record) const;
    // The position of the first record with this call, mode and group text.
    std::optional<std::size_t> FindByKey(std::string_view call, std::string_view mode,
                                         std::string_view group) const;

    // Calls `visit` with every record, in log order.
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (std::size_t slot = 0; slot < m_slots.size(); ++slot) {
            if (m_slots[slot].keyNext != kDeadSlot) {
                visit(QsoView(*this, slot));
            }
        }
    }

  private:
    friend class QsoView;

    // Texts that repeat from record to record, kept in the pool by id.
    enum PooledText {
        kCall,
        kAux1,
        kAux2,
        kGroup,
        kMode,
        kRstRcvd,
        kRstSent,
        kReserved1,
        kReserved2,
        kPooledTexts
    };
    // Texts that differ in almost every record, held in place when short.
    enum ShortTextField { kExchRcvd, kExchSent, kShortTexts };
    // The numbers: the frequency and m_nReserved1 to m_nReserved5.
    enum NumberField { kFreqKHz, kNumber1, kNumber2, kNumber3, kNumber4, kNumber5, kNumberFields };

    static constexpr uint32_t kNoSlot = IdHashIndex::kNoId;
    static constexpr uint32_t kDeadSlot = IdHashIndex::kNoId - 1;

    struct Slot {
        std::array<uint32_t, kPooledTexts> text{};
        std::array<int32_t, kNumberFields> number{};
        int32_t status = 0;
        std::array<ShortText, kShortTexts> exchange{};
        double day = 0.0;
        // The records of one key form a list in log order (kNoSlot at either
        // end); keyNext is kDeadSlot once the record is removed.
        uint32_t keyPrev = kNoSlot;
        uint32_t keyNext = kNoSlot;
    };

    // The compact form of records (qso_log_records.cpp).
    static Slot WithoutTexts(const CInfo& record);
    // The compact form of `record`, its texts added to the pool.
    Slot Intern(const CInfo& record);
    // The compact form of `record`; nullopt when one of its texts is not in
    // the pool, for then no stored record can match it.
    std::optional<Slot> Lookup(const CInfo& record) const;
    // The id of a text of a pooled field, or nullopt when it is not stored.
    std::optional<uint32_t> FindText(int field, std::string_view text) const;

    // The store (qso_log.cpp).
    std::size_t SlotAt(std::size_t index) const;
    void Store(const Slot& slot);
    void RemoveSlot(uint32_t slot);
    void CompactIfSparse();

    // The equality index (qso_log_equality.cpp).
    static bool Indexable(const Slot& slot);
    static uint64_t EqualityHash(const Slot& slot);
    static bool EqualRecords(const Slot& a, const Slot& b);
    void IndexEquality(uint32_t slot);
    void UnindexEquality(uint32_t slot);

    // The key index (qso_log_keys.cpp).
    static KeyIndex::Key KeyOf(const Slot& slot) {
        return {slot.text[kCall], slot.text[kMode], slot.text[kGroup]};
    }
    const KeyIndex::Ends* FindKey(std::string_view call, std::string_view mode,
                                  std::string_view group) const;
    void LinkKey(uint32_t slot);
    void UnlinkKey(uint32_t slot);

    std::vector<Slot> m_slots;
    LivePositions m_live;
    TextPool m_pool;
    // The text last stored in each pooled field: most fields repeat the
    // previous record's text, which then needs no search of the pool.
    std::array<uint32_t, kPooledTexts> m_recent{};
    IdHashIndex m_equal;  // records whose time can equal another's
    KeyIndex m_keys;      // the first and last record of each call, mode and group
    QsoLogObserver* m_observer = nullptr;
};

inline std::string_view QsoView::Call() const {
    return m_log->m_pool.Text(m_log->m_slots[m_slot].text[QsoLog::kCall]);
}
inline std::string_view QsoView::Group() const {
    return m_log->m_pool.Text(m_log->m_slots[m_slot].text[QsoLog::kGroup]);
}
inline std::string_view QsoView::Mode() const {
    return m_log->m_pool.Text(m_log->m_slots[m_slot].text[QsoLog::kMode]);
}
inline std::string_view QsoView::ExchRcvd() const {
    return m_log->m_pool.Text(m_log->m_slots[m_slot].exchange[QsoLog::kExchRcvd]);
}
inline std::string_view QsoView::ExchSent() const {
    return m_log->m_pool.Text(m_log->m_slots[m_slot].exchange[QsoLog::kExchSent]);
}
inline int32_t QsoView::FreqKHz() const {
    return m_log->m_slots[m_slot].number[QsoLog::kFreqKHz];
}
inline OleDateTime QsoView::Time() const {
    const QsoLog::Slot& slot = m_log->m_slots[m_slot];
    return OleDateTime{slot.day, static_cast<DateTimeStatus>(slot.status)};
}

}  // namespace zelk
