// Starting GMime and reading a memory stream.
#include "mail/gmime_objects.h"

#include <mutex>

namespace zelk::mail {

void StartGMime() {
    static std::once_flag started;
    std::call_once(started, [] { g_mime_init(); });
}

std::string StreamBytes(GMimeStream* stream) {
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    return bytes == nullptr ? std::string()
                            : std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

}  // namespace zelk::mail
