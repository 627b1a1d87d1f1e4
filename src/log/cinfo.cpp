// CInfo copying and record equality.
#include "log/cinfo.h"

namespace zelk {

CInfo& CInfo::operator=(const CInfo& other) {
    if (this == &other) {
        return *this;
    }
    m_strCall = other.m_strCall;
    m_strAux1 = other.m_strAux1;
    m_strAux2 = other.m_strAux2;
    m_strGroup = other.m_strGroup;
    m_strMode = other.m_strMode;
    m_strRstRcvd = other.m_strRstRcvd;
    m_strRstSent = other.m_strRstSent;
    m_strExchRcvd = other.m_strExchRcvd;
    m_strExchSent = other.m_strExchSent;
    m_strReserved1 = other.m_strReserved1;
    m_strReserved2 = other.m_strReserved2;
    m_nFreqKHz = other.m_nFreqKHz;
    m_nReserved1 = other.m_nReserved1;
    m_nReserved2 = other.m_nReserved2;
    m_nReserved3 = other.m_nReserved3;
    m_nReserved4 = other.m_nReserved4;
    m_nReserved5 = other.m_nReserved5;
    m_time = other.m_time;
    return *this;
}

bool CInfo::operator==(const CInfo& other) const {
    return m_strCall == other.m_strCall && m_strAux1 == other.m_strAux1 &&
           m_strAux2 == other.m_strAux2 && m_strGroup == other.m_strGroup &&
           m_strMode == other.m_strMode && m_strRstRcvd == other.m_strRstRcvd &&
           m_strRstSent == other.m_strRstSent && m_strExchRcvd == other.m_strExchRcvd &&
           m_strExchSent == other.m_strExchSent && m_strReserved1 == other.m_strReserved1 &&
           m_nReserved2 == other.m_nReserved2 && m_nReserved3 == other.m_nReserved3 &&
           m_nReserved4 == other.m_nReserved4 && m_nReserved5 == other.m_nReserved5 &&
           m_strReserved2 == other.m_strReserved2 && m_nFreqKHz == other.m_nFreqKHz &&
           TimesEqual(m_time, other.m_time) && m_nReserved1 == other.m_nReserved1;
}

}  // namespace zelk
