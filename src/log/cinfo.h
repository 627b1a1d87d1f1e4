// CInfo: one logged contact, a value record. Its fields keep the names and
// the declaration order of the contest log's record; which of them take part
// in equality, and in which order, is what decides duplicates.
#pragma once

#include <cstdint>
#include <string>

#include "contest/ole_date_time.h"

namespace zelk {

class CInfo {
  public:
    CInfo() = default;
    CInfo(const CInfo& other) { *this = other; }
    // Copies fields 1 to 18; m_nReserved6 of the target stays as it was.
    CInfo& operator=(const CInfo& other);
    CInfo(CInfo&&) noexcept = default;
    CInfo& operator=(CInfo&&) noexcept = default;
    virtual ~CInfo() = default;

    // Record equality: texts 1 to 10, integers 14 to 17, text 11, the
    // frequency, the times, integer 13; m_nReserved6 is not compared.
    bool operator==(const CInfo& other) const;

    std::string m_strCall;
    std::string m_strAux1;
    std::string m_strAux2;
    std::string m_strGroup;
    std::string m_strMode;
    std::string m_strRstRcvd;
    std::string m_strRstSent;
    std::string m_strExchRcvd;
    std::string m_strExchSent;
    std::string m_strReserved1;
    std::string m_strReserved2;
    int32_t m_nFreqKHz = 0;
    int32_t m_nReserved1 = 0;
    int32_t m_nReserved2 = -1;
    int32_t m_nReserved3 = -1;
    int32_t m_nReserved4 = -1;
    int32_t m_nReserved5 = -1;
    OleDateTime m_time;
    int32_t m_nReserved6 = 0;
};

}  // namespace zelk
