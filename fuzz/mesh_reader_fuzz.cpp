// Mesh text into one store through several reader calls (mesh_input.h), then
// a whole frame drawn from what the reader left. Input: the frame's camera
// and view angles, then the reader calls.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "fuzz/mesh_input.h"
#include "render/frame.h"

namespace life3d {
namespace {

constexpr int32_t kFrameWidth = 80, kFrameHeight = 60;

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  static const WindowHandle window = CreateOffscreenWindow(kFrameWidth, kFrameHeight);
  fuzz::InputReader in{data, size};
  Camera camera;
  camera.Xoff = in.Take<float>();
  camera.Yoff = in.Take<float>();
  camera.Zoff = in.Take<float>();
  camera.Zoom = in.Take<float>();
  const float angleX = in.Take<float>(), angleY = in.Take<float>(), angleZ = in.Take<float>();
  const int32_t autoCenter = in.Take<uint8_t>() & 1;

  MeshStore& store = fuzz::ReaderStore();
  fuzz::ReadCalls(in, store);

  // What the program does after a rebuild, then the frame.
  Light light;
  PrepareScene(store, light, autoCenter);
  RotMatrix rot;
  DrawFrame(FrameScene{store, rot, camera, light, window}, angleX, angleY, angleZ);
  return 0;
}
