// Settings reads and writes.
#include "platform/settings.h"

namespace zelk {

std::string Settings::Read(std::string_view key, std::string_view fallback) {
    m_readBuffer = m_platform.ReadProfileString(m_section, key, fallback, m_file);
    return m_readBuffer;
}

bool Settings::Write(std::string_view key, std::string_view value) {
    return m_platform.WriteProfileString(m_section, key, value, m_file);
}

}  // namespace zelk
