#include "desktop/shared_images_x11.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <new>

namespace life3d {

struct SharedImages {
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XImage* images[kSharedImageCount] = {};
  XShmSegmentInfo segments[kSharedImageCount] = {};
  SDL_Surface* surfaces[kSharedImageCount] = {};
  int32_t width = 0, height = 0;
};

namespace {

bool gAttachFailed = false;
int OnAttachError(Display*, XErrorEvent*) {
  gAttachFailed = true;
  return 0;
}

// Frees what was made; the segments were marked for removal once attached.
void Close(SharedImages* images) {
  for (int k = 0; k < kSharedImageCount; ++k) {
    if (images->surfaces[k] != nullptr) SDL_FreeSurface(images->surfaces[k]);
    XShmSegmentInfo& segment = images->segments[k];
    if (images->images[k] != nullptr) {
      if (segment.shmaddr != nullptr) XShmDetach(images->display, &segment);
      images->images[k]->data = nullptr;
      XDestroyImage(images->images[k]);
    }
    if (segment.shmaddr != nullptr) shmdt(segment.shmaddr);
    if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
  }
  if (images->gc != nullptr) XFreeGC(images->display, images->gc);
  XSync(images->display, False);
  delete images;
}

// A segment of the server's own machine, attached on both sides; false when
// the server refuses it (a remote server cannot map it).
bool Attach(SharedImages& images, int k, Visual* visual, int depth) {
  XShmSegmentInfo& segment = images.segments[k];
  segment.shmid = -1;
  XImage* image = XShmCreateImage(images.display, visual, static_cast<unsigned>(depth), ZPixmap,
                                  nullptr, &segment, static_cast<unsigned>(images.width),
                                  static_cast<unsigned>(images.height));
  if (image == nullptr) return false;
  images.images[k] = image;
  // The drawing's layout exactly: 32-bit pixels, rows without padding.
  if (image->bits_per_pixel != 32 || image->bytes_per_line != images.width * 4 ||
      image->red_mask != 0xFF0000 || image->green_mask != 0xFF00 || image->blue_mask != 0xFF ||
      image->byte_order != LSBFirst)
    return false;
  const size_t bytes = static_cast<size_t>(image->bytes_per_line) * images.height;
  segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment.shmid < 0) return false;
  void* address = shmat(segment.shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) return false;
  segment.shmaddr = image->data = static_cast<char*>(address);
  segment.readOnly = True;
  gAttachFailed = false;
  XErrorHandler previous = XSetErrorHandler(OnAttachError);
  const Status attached = XShmAttach(images.display, &segment);
  XSync(images.display, False);
  XSetErrorHandler(previous);
  // Freed by the system once both sides have let go, whatever ends the run.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  segment.shmid = -1;
  if (!attached || gAttachFailed) {
    shmdt(segment.shmaddr);
    segment.shmaddr = nullptr;
    return false;
  }
  images.surfaces[k] = SDL_CreateRGBSurfaceWithFormatFrom(
      address, images.width, images.height, 32, images.width * 4, SDL_PIXELFORMAT_XRGB8888);
  return images.surfaces[k] != nullptr;
}

}  // namespace

SharedImages* OpenSharedImages(SDL_Window* window, int32_t width, int32_t height) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* display = info.info.x11.display;
  if (!XShmQueryExtension(display)) return nullptr;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, info.info.x11.window, &attributes)) return nullptr;
  auto* images = new (std::nothrow) SharedImages;
  if (images == nullptr) return nullptr;
  images->display = display;
  images->window = info.info.x11.window;
  images->width = width;
  images->height = height;
  for (XShmSegmentInfo& segment : images->segments) segment.shmid = -1;
  images->gc = XCreateGC(display, images->window, 0, nullptr);
  for (int k = 0; k < kSharedImageCount; ++k) {
    if (images->gc == nullptr || !Attach(*images, k, attributes.visual, attributes.depth)) {
      Close(images);
      return nullptr;
    }
  }
  return images;
}

uint32_t* SharedImagePixels(SharedImages& images, int k) {
  return reinterpret_cast<uint32_t*>(images.images[k]->data);
}

SDL_Surface* SharedImageSurface(SharedImages& images, int k) {
  return images.surfaces[k];
}

void PutSharedImage(SharedImages& images, const uint32_t* pixels) {
  for (int k = 0; k < kSharedImageCount; ++k) {
    if (SharedImagePixels(images, k) != pixels) continue;
    XShmPutImage(images.display, images.window, images.gc, images.images[k], 0, 0, 0, 0,
                 static_cast<unsigned>(images.width), static_cast<unsigned>(images.height), False);
    XSync(images.display, False);
    return;
  }
}

}  // namespace life3d
