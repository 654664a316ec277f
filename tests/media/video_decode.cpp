#include "tests/media/video_decode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace life3d::testing {

namespace {

struct Decoder {
  AVFormatContext* file = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* convert = nullptr;
  int stream = -1;
  ~Decoder() {
    sws_freeContext(convert);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&file);
  }
};

// Appends every frame the decoder has ready, as 0x00RRGGBB.
bool TakeFrames(Decoder& d, DecodedVideo& out) {
  for (;;) {
    const int ret = avcodec_receive_frame(d.codec, d.frame);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) return false;
    const int w = d.frame->width, h = d.frame->height;
    std::vector<uint32_t> picture(static_cast<size_t>(w) * h);
    uint8_t* target = reinterpret_cast<uint8_t*>(picture.data());
    const int stride = 4 * w;
    if (d.frame->format == AV_PIX_FMT_0RGB32 || d.frame->format == AV_PIX_FMT_RGB32) {
      for (int y = 0; y < h; ++y)
        std::memcpy(target + y * stride, d.frame->data[0] + y * d.frame->linesize[0], stride);
      for (uint32_t& p : picture) p &= 0xFFFFFF;
    } else {
      d.convert = sws_getCachedContext(
          d.convert, w, h, static_cast<AVPixelFormat>(d.frame->format), w, h, AV_PIX_FMT_0RGB32,
          SWS_BILINEAR | SWS_FULL_CHR_H_INT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
      const int space = d.frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
      const int* matrix = sws_getCoefficients(space);
      sws_setColorspaceDetails(d.convert, matrix, d.frame->color_range == AVCOL_RANGE_JPEG, matrix,
                               1, 0, 1 << 16, 1 << 16);
      sws_scale(d.convert, d.frame->data, d.frame->linesize, 0, h, &target, &stride);
      for (uint32_t& p : picture) p &= 0xFFFFFF;
    }
    out.frames.push_back(std::move(picture));
  }
}

}  // namespace

DecodedVideo DecodeVideo(const std::string& path) {
  DecodedVideo out;
  Decoder d;
  if (avformat_open_input(&d.file, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(d.file, nullptr) < 0) {
    out.error = "cannot open " + path;
    return out;
  }
  const AVCodec* codec = nullptr;
  d.stream = av_find_best_stream(d.file, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (d.stream < 0 || !codec) {
    out.error = "no video stream in " + path;
    return out;
  }
  const AVStream* stream = d.file->streams[d.stream];
  d.codec = avcodec_alloc_context3(codec);
  d.packet = av_packet_alloc();
  d.frame = av_frame_alloc();
  if (!d.codec || !d.packet || !d.frame ||
      avcodec_parameters_to_context(d.codec, stream->codecpar) < 0 ||
      avcodec_open2(d.codec, codec, nullptr) < 0) {
    out.error = "cannot start the decoder";
    return out;
  }
  out.codec = codec->name;
  out.width = stream->codecpar->width;
  out.height = stream->codecpar->height;
  out.fps = av_q2d(stream->avg_frame_rate);
  while (av_read_frame(d.file, d.packet) >= 0) {
    bool ok = true;
    if (d.packet->stream_index == d.stream)
      ok = avcodec_send_packet(d.codec, d.packet) >= 0 && TakeFrames(d, out);
    av_packet_unref(d.packet);
    if (!ok) {
      out.error = "cannot decode " + path;
      return out;
    }
  }
  if (avcodec_send_packet(d.codec, nullptr) < 0 || !TakeFrames(d, out))
    out.error = "cannot decode the end of " + path;
  return out;
}

namespace {

double PsnrOf(double squaredErrors, size_t samples) {
  if (squaredErrors == 0) return 1000;
  return 10 * std::log10(255.0 * 255.0 * samples / squaredErrors);
}

double Luma(uint32_t p) {
  return 0.2126 * ((p >> 16) & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) + 0.0722 * (p & 0xFF);
}

}  // namespace

double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const double e = static_cast<double>((a[i] >> shift) & 0xFF) - ((b[i] >> shift) & 0xFF);
      sum += e * e;
    }
  }
  return PsnrOf(sum, 3 * a.size());
}

double LumaPsnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double e = Luma(a[i]) - Luma(b[i]);
    sum += e * e;
  }
  return PsnrOf(sum, a.size());
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "life3d_XXXXXX").string();
  if (mkdtemp(pattern.data())) path = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace life3d::testing
