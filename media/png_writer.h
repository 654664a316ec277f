// Writing a drawing surface's image as a PNG (8-bit RGB), for the headless
// tool. The file itself is written through media/output_file.h: checked
// first, in place only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/surface.h"
#include "media/output_file.h"

namespace life3d {

// Checks that path can take a PNG: a name ending in .png (any letter case),
// or "-" for standard output, that CheckOutput accepts. False with a one-line
// reason.
bool CheckPngOutput(const std::string& path, OutputTarget& target, std::string* error);
// The PNG file of surface's image, in memory. False with a reason when the
// surface holds no image or memory runs out.
bool EncodePng(const DrawingSurface& surface, std::vector<uint8_t>& bytes, std::string* error);

}  // namespace life3d
