#include "media/png_writer.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace life3d {

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// libpng reports failures by longjmp; the message is kept for the caller.
void OnPngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text) *text = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The process's file creation mask, which mkstemp does not apply.
mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Everything that lives across the setjmp is held here, outside the frame
// that longjmp unwinds.
struct PngJob {
  FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string message;
  std::vector<png_byte> row;
};

bool Encode(PngJob& job, const DrawingSurface& surface) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_init_io(job.png, job.file);
  png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(surface.width),
               static_cast<png_uint_32>(surface.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(job.png, job.info);
  for (int32_t y = 0; y < surface.height; ++y) {
    const uint32_t* pixel = surface.image.data() + static_cast<size_t>(y) * surface.width;
    for (int32_t x = 0; x < surface.width; ++x) {
      job.row[3 * x] = static_cast<png_byte>(pixel[x] >> 16);
      job.row[3 * x + 1] = static_cast<png_byte>(pixel[x] >> 8);
      job.row[3 * x + 2] = static_cast<png_byte>(pixel[x]);
    }
    png_write_row(job.png, job.row.data());
  }
  png_write_end(job.png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const DrawingSurface& surface, const std::string& path, std::string* error) {
  if (surface.width <= 0 || surface.height <= 0 ||
      surface.image.size() < static_cast<size_t>(surface.width) * surface.height) {
    SetError(error, "the surface holds no image");
    return false;
  }
  PngJob job;
  job.row.resize(static_cast<size_t>(surface.width) * 3);
  // The picture goes to a temporary file beside the target and is renamed
  // only once complete: a failure leaves no half-written file, and an
  // earlier file of that name stays as it was.
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd >= 0) {
    fchmod(fd, 0644 & ~CurrentUmask());
    job.file = fdopen(fd, "wb");
    if (!job.file) close(fd);
  }
  if (!job.file) {
    SetError(error, "cannot open " + path + ": " + std::strerror(errno));
    if (fd >= 0) std::remove(temporary.c_str());
    return false;
  }
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job.message, OnPngError, OnPngWarning);
  if (job.png) job.info = png_create_info_struct(job.png);
  bool ok = job.png && job.info && Encode(job, surface);
  if (job.png) png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
  if (std::fclose(job.file) != 0 && ok) {
    job.message = std::strerror(errno);
    ok = false;
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    job.message = std::strerror(errno);
    ok = false;
  }
  if (!ok) {
    SetError(error, "cannot write " + path + ": " +
                        (job.message.empty() ? std::string("out of memory") : job.message));
    std::remove(temporary.c_str());
  }
  return ok;
}

}  // namespace life3d
