// Intake: the rules by which a contact enters the log. Whether it is taken,
// and the record it is stored as: the received exchange normalised, the
// sent exchange completed with the station's coordinate text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "contest/contact_args.h"
#include "log/cinfo.h"

namespace zelk {

inline constexpr std::string_view kContestMode = "CW";

// Why intake refuses a contact, as the error file says it; nullopt when it
// takes it.
std::optional<std::string_view> IntakeRefusal(const ContactArgs& args);

// The received exchange as stored: serial number (zero-filled in front to
// three characters), one space, the coordinate text. A text that already has
// a space, or whose "N" (else "S") is not at positions 3 to 6, stays as it is.
std::string NormaliseReceivedExchange(std::string_view exchange);

// The sent exchange as stored: the serial number the host sent, one space,
// the station's coordinate text.
std::string SentExchange(std::string_view serial, std::string_view stationCoordinate);

// The record a taken contact is stored as.
CInfo ContactRecord(const ContactArgs& args, std::string_view stationCoordinate);

}  // namespace zelk
