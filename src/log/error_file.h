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

// The line of a refused contact, built from the host's raw arguments.
std::string RefusedContactLine(const ContactArgs& args, std::string_view message);

// Appends one line (creating the file when absent).
void AppendErrorLine(Platform& platform, std::string_view line);

// Makes sure the file exists, as every intake does, without writing to it.
void TouchErrorFile(Platform& platform);

}  // namespace zelk
