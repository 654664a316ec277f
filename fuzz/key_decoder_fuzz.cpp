// Terminal bytes through the key decoder in arbitrary pieces, with gaps in
// which a waiting sequence is flushed, and the keys through the key queue
// with reads in between. Pieces must not matter: the same bytes fed whole
// between the same gaps give the same keys. The queue is checked against a
// plain model of its rule (oldest first, newest dropped when full, an Esc at
// a full queue in the newest key's place).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "console/keys.h"
#include "console/terminal_keys.h"
#include "fuzz/fuzz_input.h"

namespace life3d {
namespace {

struct Keys {
  std::vector<std::string> decoded;
  std::deque<std::string> model;  // what the queue should hold
  bool toQueue = false;
};

void Collect(std::string_view key, void* context) {
  Keys& keys = *static_cast<Keys*>(context);
  if (key.empty() || key.size() > 2 || (key.size() == 2 && key[0] != 0)) std::abort();
  keys.decoded.emplace_back(key);
  if (!keys.toQueue) return;
  PushKey(key);
  if (static_cast<int>(keys.model.size()) < kKeyQueueCapacity) {
    keys.model.emplace_back(key);
  } else if (key.size() == 1 && key[0] == kKeyEsc) {
    keys.model.back() = key;
  }
}

void CheckDecoder(const KeyDecoder& decoder) {
  if (decoder.count < 0 || decoder.count > kKeyDecoderMax) std::abort();
}

void ReadOne(Keys& keys) {
  const std::string key = ReadKey();
  if (keys.model.empty()) {
    if (!key.empty()) std::abort();
    return;
  }
  if (key != keys.model.front()) std::abort();
  keys.model.pop_front();
}

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  SetKeySource(nullptr);
  ClearKeys();
  fuzz::InputReader in{data, size};
  // Each control byte: piece length 1..32 (low five bits), a gap after the
  // piece (bit 5), one read (bit 6), reads until the queue is empty (bit 7).
  const int controlCount = in.Take<uint8_t>() % 16 + 1;
  uint8_t control[16];
  for (int k = 0; k < controlCount; ++k) control[k] = in.Take<uint8_t>();
  std::string_view bytes = in.Rest();

  Keys pieces, whole;
  pieces.toQueue = true;
  KeyDecoder piecewise, segmentwise;
  size_t segmentStart = 0, offset = 0;
  auto endSegment = [&](bool gap) {
    FeedKeyBytes(segmentwise, bytes.substr(segmentStart, offset - segmentStart), Collect, &whole);
    segmentStart = offset;
    if (gap && KeyDecoderWaiting(segmentwise)) FlushKeyBytes(segmentwise, Collect, &whole);
    CheckDecoder(segmentwise);
  };
  for (int piece = 0; offset < bytes.size(); ++piece) {
    const uint8_t c = control[piece % controlCount];
    const size_t length = std::min<size_t>((c & 0x1F) + 1, bytes.size() - offset);
    FeedKeyBytes(piecewise, bytes.substr(offset, length), Collect, &pieces);
    offset += length;
    CheckDecoder(piecewise);
    if (c & 0x20) {
      if (KeyDecoderWaiting(piecewise)) FlushKeyBytes(piecewise, Collect, &pieces);
      CheckDecoder(piecewise);
      endSegment(true);
    }
    if (c & 0x40) ReadOne(pieces);
    if (c & 0x80) {
      while (!pieces.model.empty()) ReadOne(pieces);
    }
  }
  endSegment(false);
  // The input ends as a pause would: whatever still waits is flushed.
  if (KeyDecoderWaiting(piecewise)) FlushKeyBytes(piecewise, Collect, &pieces);
  if (KeyDecoderWaiting(segmentwise)) FlushKeyBytes(segmentwise, Collect, &whole);
  if (KeyDecoderWaiting(piecewise) || KeyDecoderWaiting(segmentwise)) std::abort();
  if (pieces.decoded != whole.decoded) std::abort();
  while (!pieces.model.empty()) ReadOne(pieces);
  ReadOne(pieces);  // and then nothing
  return 0;
}
