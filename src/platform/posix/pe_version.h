// The fixed file version of a Windows executable, read from the bytes of its
// PE image: the first version resource's VS_FIXEDFILEINFO. The image may be
// anything a folder holds, so every read is bounds-checked and a malformed
// image gives nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/platform.h"

namespace zelk::posix {

std::optional<FixedFileVersion> FixedFileVersionOfImage(std::span<const uint8_t> image);

}  // namespace zelk::posix
