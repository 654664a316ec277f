// The mesh text reader alone, fast enough for tens of millions of inputs:
// the reader calls of mesh_input.h into one store, each checked for what the
// reader must leave (counts within the scene's limits, arrays as long as the
// counts ask, every face's corners among the store's vertices). The same
// input with a camera in front is mesh_reader_fuzz's, which draws a frame too.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "fuzz/mesh_input.h"

namespace {

// No text of an input fills more lines than it has bytes, and the reader
// stops at the buffer's last line however far MeshLastLine points, so a
// buffer one line longer than the longest input is read exactly as the
// program's 100,001 lines would be, while a last line far beyond the text
// costs 4,097 empty lines rather than 100,001 (the fuzzer keeps such inputs).
constexpr size_t kMaxInput = 4096;

life3d::MeshStore& ShortStore() {
  static life3d::MeshStore& store = []() -> life3d::MeshStore& {
    life3d::MeshStore& s = life3d::fuzz::ReaderStore();
    s.MeshLines.resize(kMaxInput + 1);
    s.MeshLines.shrink_to_fit();
    return s;
  }();
  return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  life3d::fuzz::InputReader in{data, size < kMaxInput ? size : kMaxInput};
  life3d::fuzz::ReadCalls(in, ShortStore());
  return 0;
}
