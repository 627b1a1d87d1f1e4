// The entry's category as a log's header gives it, read one way for every
// command that shows or ranks it: Cabrillo 3.0's CATEGORY-OPERATOR:,
// -ASSISTED:, -BAND:, -MODE:, -POWER: and -TRANSMITTER: lines; or, in a log
// that has none of the four ranked ones (operator, band, power,
// transmitter), Cabrillo 2.0's one CATEGORY: line, its words read by what
// they are:
//   SINGLE-OP 80M QRP CW     operator, band, power, mode
//   MULTI-ONE ALL LOW        MULTI-OP with transmitter ONE
//   MULTI-TWO / MULTI-MULTI  MULTI-OP with TWO / MULTI-MULTI with UNLIMITED
//   CHECKLOG                 a check log
// A band is ALL or a number with M or CM (80M, 70CM); a power HIGH, LOW or
// QRP; a mode CW, SSB, PH, FM, RTTY, RY, DIG, DG or MIXED; any other word is
// the operator (the first such word; SINGLE-OP-ASSISTED stays as written).
#pragma once

#include <string>

#include "logfile/cabrillo_reader.h"

namespace zelk::logfile {

struct HeaderCategory {
    // In capitals; empty where the header does not say.
    std::string op;
    std::string band;
    std::string power;
    std::string transmitter;
    std::string assisted;
    std::string mode;
    // The Cabrillo 2.0 CATEGORY: line it was read from, as written; empty
    // when read from the 3.0 lines (or when the log has neither).
    std::string version2Line;

    // "SINGLE-OP ALL LOW CW": what the header says, in the order of the 3.0
    // lines (operator, assisted, band, mode, power, transmitter); empty when
    // it says nothing.
    std::string Text() const;
};

HeaderCategory ReadHeaderCategory(const CabrilloLog& log);

}  // namespace zelk::logfile
