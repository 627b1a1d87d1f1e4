// One contact as the host reports it to AddData0 and RemoveData0: the
// arguments the plug-in uses, already taken from the host (a null text reads
// as empty, a null date-time pointer as a null time).
#pragma once

#include <cstdint>
#include <string_view>

#include "contest/ole_date_time.h"

namespace zelk {

// The numbers are the positions in the entry points' parameter lists.
struct ContactArgs {
    std::string_view ownCall;   // 1
    std::string_view call;      // 2
    OleDateTime time;           // 3
    uint32_t freqHz = 0;        // 8
    std::string_view mode;      // 9
    std::string_view rstSent;   // 10
    std::string_view rstRcvd;   // 11
    std::string_view exchSent;  // 12
    std::string_view exchRcvd;  // 13
    std::string_view aux1;      // 23
    std::string_view aux2;      // 30
    std::string_view group;     // 32
};

}  // namespace zelk
