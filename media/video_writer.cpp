#include "media/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "media/output_file.h"

namespace life3d {

struct VideoWriter {
  VideoFormat format = VideoFormat::kMkv;
  std::string name;  // the output as messages name it
  int32_t width = 0, height = 0;
  OutputFile file;
  AVIOContext* io = nullptr;  // the muxer's writes into file; null once finished
  AVFormatContext* muxer = nullptr;
  AVCodecContext* encoder = nullptr;
  AVStream* stream = nullptr;
  // The encoder's input, written in place. Two, because FFV1 keeps a
  // reference to the frame before: each turn one of them is free again.
  AVFrame* frames[2] = {nullptr, nullptr};
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;  // null for .mkv, whose frames take the pixels as they are
  int64_t count = 0;              // frames added
  bool finished = false;          // the encoder drained and the index written
  bool done = false;              // committed or abandoned: nothing more to do
};

namespace {

struct FormatInfo {
  VideoFormat format;
  const char* extension;
  const char* muxer;
  const char* encoder;
  const char* label;
  VideoQualityRange quality;  // both 0 for a lossless format, which takes none
  bool evenSize;              // x264 takes no odd side in yuv420p
};

constexpr FormatInfo kFormats[] = {
    {VideoFormat::kMp4, ".mp4", "mp4", "libx264", "H.264", kMp4Quality, true},
    {VideoFormat::kWebm, ".webm", "webm", "libvpx-vp9", "VP9", kWebmQuality, false},
    {VideoFormat::kMkv, ".mkv", "matroska", "ffv1", "FFV1", {0, 0}, false},
};

const FormatInfo& InfoOf(VideoFormat format) {
  for (const FormatInfo& info : kFormats)
    if (info.format == format) return info;
  return kFormats[2];
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// FFmpeg's libraries print to standard error by default; the program says
// one line of its own instead, so their last error is kept for that line and
// everything else is dropped.
std::mutex gLogMutex;
std::string gLastLibraryError;

void KeepLibraryError(void* context, int level, const char* format, va_list args) {
  if (level > AV_LOG_ERROR) return;
  char line[256];
  int printPrefix = 0;
  av_log_format_line2(context, level, format, args, line, sizeof line, &printPrefix);
  size_t n = std::strlen(line);
  while (n > 0 && std::isspace(static_cast<unsigned char>(line[n - 1]))) line[--n] = '\0';
  std::lock_guard<std::mutex> lock(gLogMutex);
  gLastLibraryError = line;
}

void ClearLibraryError() {
  std::lock_guard<std::mutex> lock(gLogMutex);
  gLastLibraryError.clear();
}

// "reason" for an FFmpeg error code, with the library's own words when it gave any.
std::string Reason(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  std::lock_guard<std::mutex> lock(gLogMutex);
  if (gLastLibraryError.empty()) return text;
  return std::string(text) + " (" + gLastLibraryError + ")";
}

// Encoder settings chosen for speed on two cores, so that a 1920x1080
// recording keeps a pace of tens of frames a second. FFV1's slice count is
// fixed, not left to the thread count, so every machine writes the same bytes.
void AddEncoderOptions(VideoFormat format, int32_t width, int32_t height, int32_t quality,
                       AVDictionary** options) {
  switch (format) {
    case VideoFormat::kMp4:
      av_dict_set(options, "preset", "veryfast", 0);
      av_dict_set_int(options, "crf", quality, 0);
      break;
    case VideoFormat::kWebm:
      av_dict_set(options, "deadline", "realtime", 0);
      av_dict_set_int(options, "cpu-used", 8, 0);
      av_dict_set_int(options, "row-mt", 1, 0);
      av_dict_set_int(options, "tile-columns", 2, 0);
      av_dict_set_int(options, "crf", quality, 0);
      av_dict_set_int(options, "b", 0, 0);
      break;
    case VideoFormat::kMkv:
      // Slices let both cores work on a frame; FFV1 takes none thinner than
      // a few pixels, so very small frames are one slice of the first version.
      if (width >= 16 && height >= 16) {
        av_dict_set_int(options, "level", 3, 0);
        av_dict_set_int(options, "slices", 4, 0);
        av_dict_set_int(options, "slicecrc", 1, 0);
      } else {
        av_dict_set_int(options, "level", 1, 0);
      }
      av_dict_set(options, "coder", "range_def", 0);
      break;
  }
}

bool Fail(VideoWriter& video, const std::string& what, int code, std::string* error) {
  SetError(error, what + ": " + Reason(code));
  AbandonVideo(video);
  return false;
}

std::string EncoderFailed(const VideoWriter& video) {
  return std::string("the ") + InfoOf(video.format).label + " encoder failed";
}

// Sends frame (null: the end) and writes every packet the encoder gives back.
bool Encode(VideoWriter& video, const AVFrame* frame, std::string* error) {
  int ret = avcodec_send_frame(video.encoder, frame);
  if (ret < 0) return Fail(video, EncoderFailed(video), ret, error);
  for (;;) {
    ret = avcodec_receive_packet(video.encoder, video.packet);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) return Fail(video, EncoderFailed(video), ret, error);
    av_packet_rescale_ts(video.packet, video.encoder->time_base, video.stream->time_base);
    video.packet->stream_index = video.stream->index;
    ret = av_write_frame(video.muxer, video.packet);
    av_packet_unref(video.packet);
    if (ret < 0) return Fail(video, "cannot write " + video.name, ret, error);
  }
}

// The size of FFmpeg's own file buffers, so the muxer writes in the same steps.
constexpr int kIoBufferSize = 32768;

int WritePacket(void* opaque, uint8_t* data, int size) {
  const int failure = WriteAll(*static_cast<const int*>(opaque), data, static_cast<size_t>(size));
  return failure ? AVERROR(failure) : size;
}

int64_t SeekFile(void* opaque, int64_t offset, int whence) {
  const int fd = *static_cast<const int*>(opaque);
  struct stat info;
  if (whence == AVSEEK_SIZE) return fstat(fd, &info) == 0 ? info.st_size : AVERROR(errno);
  const off_t at = lseek(fd, offset, whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : at;
}

// The muxer's second look at its own output (.mp4's faststart moves the
// index to the front in the trailer): a read context over the same
// descriptor, reading with pread at a position of its own, so the writing
// context's file offset is left alone.
struct ReadBack {
  int fd = -1;
  int64_t at = 0;
};

int ReadPacket(void* opaque, uint8_t* data, int size) {
  auto& back = *static_cast<ReadBack*>(opaque);
  ssize_t n;
  do n = pread(back.fd, data, static_cast<size_t>(size), back.at);
  while (n < 0 && errno == EINTR);
  if (n < 0) return AVERROR(errno);
  if (n == 0) return AVERROR_EOF;
  back.at += n;
  return static_cast<int>(n);
}

int64_t SeekReadBack(void* opaque, int64_t offset, int whence) {
  auto& back = *static_cast<ReadBack*>(opaque);
  whence &= ~AVSEEK_FORCE;
  struct stat info;
  if ((whence == AVSEEK_SIZE || whence == SEEK_END) && fstat(back.fd, &info) != 0)
    return AVERROR(errno);
  if (whence == AVSEEK_SIZE) return info.st_size;
  const int64_t from = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? back.at : info.st_size;
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
  if (from + offset < 0) return AVERROR(EINVAL);
  return back.at = from + offset;
}

void FreeIo(AVIOContext** io) {
  if (!*io) return;
  av_freep(&(*io)->buffer);
  avio_context_free(io);
}

int OpenReadBack(AVFormatContext* muxer, AVIOContext** pb, const char*, int flags, AVDictionary**) {
  // A nested muxer may call here with its own context; the opaque is the same.
  const auto* video = static_cast<const VideoWriter*>(muxer->opaque);
  if (!video || (flags & AVIO_FLAG_WRITE)) return AVERROR(ENOSYS);
  auto* back = new (std::nothrow) ReadBack{video->file.fd, 0};
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  *pb = back && buffer
            ? avio_alloc_context(buffer, kIoBufferSize, 0, back, ReadPacket, nullptr, SeekReadBack)
            : nullptr;
  if (*pb) return 0;
  av_free(buffer);
  delete back;
  return AVERROR(ENOMEM);
}

int CloseReadBack(AVFormatContext*, AVIOContext* pb) {
  delete static_cast<ReadBack*>(pb->opaque);
  FreeIo(&pb);
  return 0;
}

bool CheckSettings(const std::string& path, const FormatInfo& info, const VideoSettings& settings,
                   std::string* error) {
  const std::string name = path == "-" ? "a video on standard output (.mkv)" : path;
  if (settings.width <= 0 || settings.height <= 0) {
    SetError(error, "a video frame needs a positive width and height");
    return false;
  }
  if (info.evenSize && (settings.width % 2 || settings.height % 2)) {
    SetError(error, std::string(info.extension) + " (" + info.label +
                        " in yuv420p) needs an even width and height, not " +
                        std::to_string(settings.width) + "x" + std::to_string(settings.height));
    return false;
  }
  if (settings.fps < kMinVideoFps || settings.fps > kMaxVideoFps) {
    SetError(error, "the frame rate must be from " + std::to_string(kMinVideoFps) + " to " +
                        std::to_string(kMaxVideoFps) + ", not " + std::to_string(settings.fps));
    return false;
  }
  if (info.quality.maxQuality == 0 && settings.quality >= 0) {
    SetError(error, name + " is lossless and takes no quality");
    return false;
  }
  if (settings.quality > info.quality.maxQuality) {
    SetError(error, std::string(info.extension) + " quality must be from 0 to " +
                        std::to_string(info.quality.maxQuality) + ", not " +
                        std::to_string(settings.quality));
    return false;
  }
  return true;
}

bool StartEncoder(VideoWriter& video, const FormatInfo& info, const VideoSettings& settings,
                  std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(info.encoder);
  if (!codec) {
    SetError(error, std::string("this FFmpeg has no ") + info.encoder + " encoder");
    return false;
  }
  int ret = avformat_alloc_output_context2(&video.muxer, nullptr, info.muxer,
                                           video.file.target.path.c_str());
  if (ret < 0) return Fail(video, std::string("cannot make a ") + info.muxer + " file", ret, error);
  // No creation time, writing-library version or random ids in the file: the
  // same frames give the same bytes.
  video.muxer->flags |= AVFMT_FLAG_BITEXACT;

  video.encoder = avcodec_alloc_context3(codec);
  video.frames[0] = av_frame_alloc();
  video.frames[1] = av_frame_alloc();
  video.packet = av_packet_alloc();
  video.stream = avformat_new_stream(video.muxer, nullptr);
  if (!video.encoder || !video.frames[0] || !video.frames[1] || !video.packet || !video.stream)
    return Fail(video, "cannot start the encoder", AVERROR(ENOMEM), error);
  AVCodecContext& c = *video.encoder;
  c.width = settings.width;
  c.height = settings.height;
  c.time_base = AVRational{1, settings.fps};
  c.framerate = AVRational{settings.fps, 1};
  c.gop_size = settings.fps;
  c.thread_count = 0;  // every core
  c.flags |= AV_CODEC_FLAG_BITEXACT;
  if (video.muxer->oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (info.format == VideoFormat::kMkv) {
    c.pix_fmt = AV_PIX_FMT_0RGB32;  // the surface's own layout: no conversion, no loss
  } else {
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.colorspace = AVCOL_SPC_BT709;
    c.color_primaries = AVCOL_PRI_BT709;
    c.color_trc = AVCOL_TRC_BT709;
    c.color_range = AVCOL_RANGE_MPEG;
  }
  const int32_t quality = settings.quality >= 0 ? settings.quality : info.quality.defaultQuality;
  AVDictionary* options = nullptr;
  AddEncoderOptions(info.format, c.width, c.height, quality, &options);
  ret = avcodec_open2(&c, codec, &options);
  av_dict_free(&options);
  if (ret < 0)
    return Fail(video, std::string("cannot start the ") + info.label + " encoder", ret, error);
  ret = avcodec_parameters_from_context(video.stream->codecpar, &c);
  if (ret < 0) return Fail(video, "cannot start the encoder", ret, error);
  video.stream->time_base = c.time_base;
  video.stream->avg_frame_rate = c.framerate;

  for (AVFrame* frame : video.frames) {
    frame->format = c.pix_fmt;
    frame->width = c.width;
    frame->height = c.height;
    ret = av_frame_get_buffer(frame, 0);
    if (ret < 0) return Fail(video, "cannot make a video frame", ret, error);
  }
  if (info.format != VideoFormat::kMkv) {
    video.convert = sws_getContext(c.width, c.height, AV_PIX_FMT_0RGB32, c.width, c.height,
                                   AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!video.convert) return Fail(video, "cannot convert to yuv420p", AVERROR(ENOMEM), error);
    // The matrix the stream is tagged with: BT.709, limited range.
    const int* matrix = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(video.convert, matrix, 1, matrix, 0, 0, 1 << 16, 1 << 16);
  }
  return true;
}

// The muxer writes through the output file's descriptor; a pipe cannot seek
// back, so standard output gets a context without a seek, and the muxer then
// writes a stream that needs none.
bool StartFile(VideoWriter& video, std::string* error) {
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  video.io = buffer
                 ? avio_alloc_context(buffer, kIoBufferSize, 1, &video.file.fd, nullptr,
                                      WritePacket, video.file.target.toStdout ? nullptr : SeekFile)
                 : nullptr;
  if (!video.io) {
    av_free(buffer);
    return Fail(video, "cannot write " + video.name, AVERROR(ENOMEM), error);
  }
  video.muxer->pb = video.io;
  video.muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
  video.muxer->opaque = &video;
  video.muxer->io_open = OpenReadBack;
  video.muxer->io_close2 = CloseReadBack;
  AVDictionary* options = nullptr;
  // The index first, so a player can start a shared clip before it has all of it.
  if (video.format == VideoFormat::kMp4) av_dict_set(&options, "movflags", "+faststart", 0);
  const int ret = avformat_write_header(video.muxer, &options);
  av_dict_free(&options);
  if (ret < 0) return Fail(video, "cannot write " + video.name, ret, error);
  return true;
}

}  // namespace

void CloseVideo::operator()(VideoWriter* video) const {
  if (!video) return;
  AbandonVideo(*video);
  sws_freeContext(video->convert);
  av_packet_free(&video->packet);
  av_frame_free(&video->frames[0]);
  av_frame_free(&video->frames[1]);
  avcodec_free_context(&video->encoder);
  avformat_free_context(video->muxer);
  delete video;
}

bool FindVideoFormat(std::string_view path, VideoFormat& format) {
  const size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  std::string extension(name.substr(dot));
  for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  for (const FormatInfo& info : kFormats) {
    if (extension == info.extension) {
      format = info.format;
      return true;
    }
  }
  return false;
}

VideoFile OpenVideo(const std::string& path, const VideoSettings& settings, std::string* error) {
  static std::once_flag quietLibraries;
  std::call_once(quietLibraries, [] { av_log_set_callback(KeepLibraryError); });
  ClearLibraryError();

  VideoFormat format = VideoFormat::kMkv;
  if (path != "-" && !FindVideoFormat(path, format)) {
    SetError(error,
             "cannot record " + QuoteName(path) + ": the name must end in .mp4, .webm or .mkv");
    return nullptr;
  }
  const FormatInfo& info = InfoOf(format);
  OutputTarget target;
  if (!CheckSettings(path, info, settings, error) || !CheckOutput(path, target, error))
    return nullptr;

  VideoFile video(new VideoWriter);
  video->format = format;
  video->name = DescribeOutput(target);
  video->width = settings.width;
  video->height = settings.height;
  if (!OpenOutput(target, video->file, error)) {
    video->done = true;  // nothing was made
    return nullptr;
  }
  if (!StartEncoder(*video, info, settings, error) || !StartFile(*video, error)) return nullptr;
  return video;
}

bool AddVideoFrame(VideoWriter& video, std::span<const uint32_t> pixels, std::string* error) {
  if (video.done || video.finished) {
    SetError(error, "the recording of " + video.name + " has ended");
    return false;
  }
  if (pixels.size() != static_cast<size_t>(video.width) * video.height) {
    SetError(error, "a video frame of " + std::to_string(pixels.size()) + " pixels, not " +
                        std::to_string(video.width) + "x" + std::to_string(video.height));
    return false;
  }
  if (!av_frame_is_writable(video.frames[0])) std::swap(video.frames[0], video.frames[1]);
  AVFrame* frame = video.frames[0];
  // Allocates only if an encoder held on to both frames.
  int ret = av_frame_make_writable(frame);
  if (ret < 0) return Fail(video, "cannot make a video frame", ret, error);
  const auto* source = reinterpret_cast<const uint8_t*>(pixels.data());
  const int stride = 4 * video.width;
  if (video.convert) {
    sws_scale(video.convert, &source, &stride, 0, video.height, frame->data, frame->linesize);
  } else {
    for (int32_t y = 0; y < video.height; ++y)
      std::memcpy(frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0],
                  source + static_cast<ptrdiff_t>(y) * stride, static_cast<size_t>(stride));
  }
  frame->pts = video.count;
  if (!Encode(video, frame, error)) return false;
  ++video.count;
  return true;
}

bool FinishVideo(VideoWriter& video, std::string* error) {
  if (video.done || video.finished) {
    SetError(error, "the recording of " + video.name + " has ended");
    return false;
  }
  if (!Encode(video, nullptr, error)) return false;
  int ret = av_write_trailer(video.muxer);
  if (ret >= 0) {
    avio_flush(video.io);
    ret = video.io->error;
  }
  if (ret < 0) return Fail(video, "cannot write " + video.name, ret, error);
  video.muxer->pb = nullptr;
  FreeIo(&video.io);
  video.finished = true;
  return true;
}

bool CommitVideo(VideoWriter& video, std::string* error) {
  if (video.done || !video.finished) {
    SetError(error,
             "the recording of " + video.name + (video.done ? " has ended" : " is not finished"));
    return false;
  }
  video.done = true;
  return CommitOutput(video.file, error);
}

void AbandonVideo(VideoWriter& video) {
  if (video.done) return;
  video.done = true;
  if (video.muxer) video.muxer->pb = nullptr;
  FreeIo(&video.io);
  AbandonOutput(video.file);
}

int64_t VideoFrameCount(const VideoWriter& video) {
  return video.count;
}

}  // namespace life3d
