// GMime's objects owned by RAII: a GObject reference released by its
// destructor, GMime started once for the process, and the bytes of a GMime
// stream. Only the mail room's .cpp files include GMime's headers.
#pragma once

#include <gmime/gmime.h>

#include <memory>
#include <string>

namespace zelk::mail {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};

template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

// g_mime_init, once, from whichever thread comes first.
void StartGMime();

// The bytes written so far to a memory stream.
std::string StreamBytes(GMimeStream* stream);

}  // namespace zelk::mail
