// The error file "err.txt": the contacts that intake refused, one line each,
// after the title line that every contest run starts it with.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelk {

struct ContactArgs;

inline constexpr std::string_view kErrorFileName = "err.txt";
inline constexpr std::string_view kErrorFileTitle = "ZELK CONTEST UBN file \r\n";
inline constexpr std::string_view kWrongModeMessage = "   NO TEST MODE !!!";
inline constexpr std::string_view kMissingExchangeMessage = "   NO RX NUMBER !!!";

// Creates or empties the file and writes its title line.
void StartErrorFile(Platform& platform);

// The line of a refused contact, built from the host's raw arguments and
// ending in CR LF. The file is text as a text-mode stream writes it: a line
// feed in an argument is written as CR LF too, so such a text splits the
// line, and the file never holds a bare line feed.
std::string RefusedContactLine(const ContactArgs& args, std::string_view message);

// Appends one line (creating the file when absent).
void AppendErrorLine(Platform& platform, std::string_view line);

// Makes sure the file exists, as every intake does, without writing to it.
void TouchErrorFile(Platform& platform);

}  // namespace zelk
