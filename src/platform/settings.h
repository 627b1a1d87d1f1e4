// One section of a settings file, read and written through the platform's
// settings store. A read takes the whole value, however long, and leaves a
// copy of it in the owner's read buffer, as the plug-in's settings reads
// always have.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelk {

class Settings {
  public:
    // `section`, `file` and `readBuffer` must outlive this object.
    Settings(Platform& platform, std::string_view section, std::string_view file,
             std::string& readBuffer)
        : m_platform(platform), m_section(section), m_file(file), m_readBuffer(readBuffer) {}

    // The value of `key`, or `fallback` when the file, section or key is absent.
    std::string Read(std::string_view key, std::string_view fallback);

    // False when the store could not be written.
    bool Write(std::string_view key, std::string_view value);

    std::string_view File() const { return m_file; }

  private:
    Platform& m_platform;
    std::string_view m_section;
    std::string_view m_file;
    std::string& m_readBuffer;
};

}  // namespace zelk
