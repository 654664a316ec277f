// Frame images in memory shared with the X server: the window thread puts
// them on the window without copying them first. Window thread only.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace life3d {

inline constexpr int kSharedImageCount = 3;

struct SharedImages;

// Three width x height images of 0x00RRGGBB pixels for the SDL window, or
// nullptr when its display cannot take them (not X11, no shared memory, a
// remote server, another pixel layout): the caller then copies its frames.
SharedImages* OpenSharedImages(SDL_Window* window, int32_t width, int32_t height);
uint32_t* SharedImagePixels(SharedImages& images, int k);
// The pixels of image k as an SDL surface, for drawing on top of a frame.
SDL_Surface* SharedImageSurface(SharedImages& images, int k);
// Puts the image whose pixels these are on the window and waits until the
// server has read it, so the image may be drawn into again.
void PutSharedImage(SharedImages& images, const uint32_t* pixels);

}  // namespace life3d
