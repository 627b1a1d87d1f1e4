// The output stage that ends every result request: the Cabrillo file when
// the contest run asked for it, then the host's commands until delivered.
#pragma once

namespace zelk {

struct ModuleState;

inline constexpr const char* kOutputCaption = "Output";

void RunOutputStage(ModuleState& state, int* result);

}  // namespace zelk
