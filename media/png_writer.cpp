#include "media/png_writer.h"

#include <png.h>

#include <cctype>
#include <csetjmp>
#include <new>

namespace life3d {

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Everything that lives across the setjmp is held here, outside the frame
// that longjmp unwinds.
struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t>* bytes = nullptr;
  std::string message;
  std::vector<png_byte> row;
};

// libpng reports failures by longjmp; the message is kept for the caller.
void OnPngError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  job->message = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  bool grown = true;
  try {
    job->bytes->insert(job->bytes->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    grown = false;  // no exception may cross libpng's C frames
  }
  if (!grown) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

bool Encode(PngJob& job, const DrawingSurface& surface) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_set_write_fn(job.png, &job, AppendBytes, FlushNothing);
  png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(surface.width),
               static_cast<png_uint_32>(surface.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(job.png, job.info);
  const uint32_t* const pixels = SurfacePixels(surface).data();
  for (int32_t y = 0; y < surface.height; ++y) {
    const uint32_t* pixel = pixels + static_cast<size_t>(y) * surface.width;
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

bool EndsInPng(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() <= 4) return false;  // ".png" alone is a hidden name, not a picture's
  std::string ending = name.substr(name.size() - 4);
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ending == ".png";
}

}  // namespace

bool CheckPngOutput(const std::string& path, OutputTarget& target, std::string* error) {
  if (path != "-" && !EndsInPng(path)) {
    SetError(error, "cannot write " + QuoteName(path) + ": the name must end in .png");
    return false;
  }
  return CheckOutput(path, target, error);
}

bool EncodePng(const DrawingSurface& surface, std::vector<uint8_t>& bytes, std::string* error) {
  bytes.clear();
  if (surface.width <= 0 || surface.height <= 0 || SurfacePixels(surface).empty()) {
    SetError(error, "the surface holds no image");
    return false;
  }
  PngJob job;
  job.bytes = &bytes;
  job.row.resize(static_cast<size_t>(surface.width) * 3);
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnPngError, OnPngWarning);
  if (job.png) job.info = png_create_info_struct(job.png);
  const bool ok = job.png && job.info && Encode(job, surface);
  if (job.png) png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
  if (!ok) {
    SetError(error, "cannot make the PNG: " +
                        (job.message.empty() ? std::string("out of memory") : job.message));
    bytes.clear();
  }
  return ok;
}

}  // namespace life3d
