// Mesh text into one store through several reader calls, some after a reset,
// then a whole frame drawn from what the reader left. Input: the frame's
// camera and view angles, then calls of (flags, offsets, colour, last line,
// text split into MeshLines at line feeds); flags bit 0 resets first.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "mesh/reader.h"
#include "render/frame.h"

namespace life3d {
namespace {

constexpr int kMaxCalls = 16;
constexpr int32_t kFrameWidth = 80, kFrameHeight = 60;

// One store for every input: its 100,001 lines are made once. Each input
// starts from what a fresh store holds, so a failure replays from its input.
MeshStore& Store() {
  static MeshStore store;
  return store;
}
int32_t linesUsed = 0;  // MeshLines 0..linesUsed - 1 may hold an earlier input's text

void StartFresh(MeshStore& store) {
  ResetScene(store);
  store.Vertices.clear();
  store.ModelVertices.clear();
  store.ScreenPoints.clear();
  store.Faces.clear();
  store.FaceDepth.clear();
  store.FaceOrder.clear();
  for (int32_t k = 0; k < linesUsed; ++k) store.MeshLines[k].clear();
  linesUsed = 0;
  store.MeshLastLine = 0;
}

// What every reader call must leave, whatever the text.
void CheckSound(const MeshStore& s) {
  if (s.VertexCount < 0 || s.FaceCount < 0 || s.FaceCount > kMaxSceneFaces ||
      s.VertexCount > kMaxSceneVertices) {
    std::abort();
  }
  // A reset keeps the arrays, so they may be longer than the counts ask.
  if (s.Faces.empty() && s.FaceCount != 0) std::abort();
  if (!s.Faces.empty() &&
      (s.Vertices.size() < s.VertexCount + 1u || s.ModelVertices.size() != s.Vertices.size() ||
       s.ScreenPoints.size() != s.Vertices.size() || s.Faces.size() < s.FaceCount + 1u ||
       s.FaceDepth.size() != s.Faces.size() || s.FaceOrder.size() != s.Faces.size())) {
    std::abort();
  }
  for (int32_t f = 0; f < s.FaceCount; ++f) {
    for (int32_t c : {s.Faces[f].A, s.Faces[f].B, s.Faces[f].C}) {
      if (c < 0 || c >= s.VertexCount) std::abort();
    }
  }
}

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

  MeshStore& store = Store();
  StartFresh(store);
  for (int call = 0; call < kMaxCalls && !in.Empty(); ++call) {
    const uint8_t flags = in.Take<uint8_t>();
    const int32_t ox = in.Take<int32_t>(), oy = in.Take<int32_t>(), oz = in.Take<int32_t>();
    const int32_t color = in.Take<int32_t>();
    const int32_t lastLine = in.Take<int32_t>();
    std::string_view text = in.TakeText();
    if (flags & 1) ResetScene(store);
    int32_t line = 0;
    while (line <= kMeshLinesLast) {
      const size_t end = text.find('\n');
      store.MeshLines[line++].assign(text.substr(0, end));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
    if (line > linesUsed) linesUsed = line;
    // Mostly near the text's own last line: a far one reads up to 100,001
    // lines, which would slow most inputs down. Flags 2 and 3 (and no other
    // bits) take it as it is.
    const bool asGiven = (flags & 0xFE) == 2;
    store.MeshLastLine = asGiven ? lastLine : line - 1 + lastLine % 8;
    ReadMeshText(store, ox, oy, oz, color);
    CheckSound(store);
  }

  // What the program does after a rebuild, then the frame.
  Light light;
  PrepareScene(store, light, autoCenter);
  RotMatrix rot;
  DrawFrame(FrameScene{store, rot, camera, light, window}, angleX, angleY, angleZ);
  return 0;
}
