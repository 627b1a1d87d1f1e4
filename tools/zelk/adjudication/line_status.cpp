// The names of the statuses.
#include "adjudication/line_status.h"

namespace zelk::adjudication {

std::string_view StatusName(LineStatus status) {
    switch (status) {
        case LineStatus::kPending:
            return "pending";
        case LineStatus::kUnreadable:
            return "unreadable";
        case LineStatus::kXQso:
            return "x_qso";
        case LineStatus::kNotCw:
            return "not_cw";
        case LineStatus::kOutOfPeriod:
            return "out_of_period";
        case LineStatus::kOutOfBand:
            return "out_of_band";
        case LineStatus::kOtherBand:
            return "other_band";
        case LineStatus::kDupe:
            return "dupe";
        case LineStatus::kConfirmed:
            return "confirmed";
        case LineStatus::kBustedExchange:
            return "busted_exchange";
        case LineStatus::kBustedCall:
            return "busted_call";
        case LineStatus::kPartnerBustedCall:
            return "partner_busted_call";
        case LineStatus::kNil:
            return "nil";
        case LineStatus::kNoLogCredited:
            return "no_log_credited";
        case LineStatus::kUnique:
            return "unique";
    }
    return "?";
}

}  // namespace zelk::adjudication
