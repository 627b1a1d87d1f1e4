// One exchange of a Cabrillo QSO line, read by the rules cabrillo_reader.h
// states: [report] serial coordinate, or [report] typed, the typed form
// split and every form normalised by the plug-in's own rules. Part of the
// Cabrillo reader.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "logfile/cabrillo_qso.h"

namespace zelk::logfile {

// Whether a field ends in a coordinate: digits, N or S, digits, O (or E) or
// W.
bool EndsInCoordinate(std::string_view field);

// Reads the fields `fields` of `line` (the last one ending in a coordinate)
// as the `which` ("sent", "received") exchange; on failure returns the
// reason, printable.
std::optional<std::string> ReadExchange(std::string_view line, std::span<const LineSpan> fields,
                                        std::string_view which, CabrilloExchange& exchange);

}  // namespace zelk::logfile
