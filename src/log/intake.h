// Intake: the rules by which a contact enters the log.
#pragma once

#include <string>
#include <string_view>

namespace zelk {

// The received exchange as stored: serial number (zero-filled in front to
// three characters), one space, the coordinate text. A text that already has
// a space, or whose "N" (else "S") is not at positions 3 to 6, stays as it is.
std::string NormaliseReceivedExchange(std::string_view exchange);

}  // namespace zelk
