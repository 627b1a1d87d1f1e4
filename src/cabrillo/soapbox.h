// The soapbox's three forms: plain (lines separated by CR LF, as the dialog
// edits it), the settings form ("<CR>" and "<LF>" tokens, one line), and the
// file form (each later line after its own "SOAPBOX: " tag).
#pragma once

#include <string>
#include <string_view>

#include "cabrillo/cabrillo_log.h"

namespace zelk {

std::string SoapboxFromSettings(std::string_view stored);
std::string SoapboxForSettings(std::string_view plain);
std::string SoapboxFileForm(std::string_view encoded);

}  // namespace zelk
