// The platform the loaded plug-in runs on: implemented once by posix/ and
// once by win32/. Constructed on first use, which is while the module state
// is constructed at load, so it outlives the module state.
#pragma once

#include "platform/platform.h"

namespace zelk {

Platform& DefaultPlatform();

}  // namespace zelk
