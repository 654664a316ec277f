// The mesh text reader alone, fast enough for tens of millions of inputs:
// the reader calls of mesh_input.h into one store, each checked for what the
// reader must leave (counts within the scene's limits, arrays as long as the
// counts ask, every face's corners among the store's vertices). The same
// input with a camera in front is mesh_reader_fuzz's, which draws a frame too.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "fuzz/mesh_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  life3d::fuzz::InputReader in{data, size};
  life3d::fuzz::ReadCalls(in, life3d::fuzz::ReaderStore());
  return 0;
}
