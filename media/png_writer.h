// Writing a drawing surface's image to a PNG file (8-bit RGB), for the
// headless tool and for looking at frames drawn in tests.
#pragma once

#include <string>

#include "platform/surface.h"

namespace life3d {

// Writes the image of surface to path. On failure returns false and, when
// error is given, a one-line reason.
bool WritePng(const DrawingSurface& surface, const std::string& path, std::string* error);

}  // namespace life3d
