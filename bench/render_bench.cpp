#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "app/program.h"
#include "base/clock.h"
#include "console/console.h"
#include "draw/surface.h"
#include "render/camera.h"
#include "render/frame.h"

namespace life3d {
namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

// The program after start-up at the desktop size, with its window attached.
struct Program {
  std::unique_ptr<Life3D> app = std::make_unique<Life3D>();
  std::unique_ptr<GraphicsWindow> window;

  explicit Program(int passes = 0) {
    StartUp(*app, 43200.25, kWidth, kHeight);
    for (int p = 0; p < passes; ++p) RunPass(*app, PassIo{});  // no window yet: nothing drawn
    window.reset(CreateOffscreenWindow(kWidth, kHeight));
    app->SceneWindow = window.get();
    DrawSceneFrame(*app);
  }
};

// A whole frame (clear, rotate, project, order, shade, fill, redraw), after
// 0 or 200 generations.
void BM_Frame(benchmark::State& state) {
  Program program(static_cast<int>(state.range(0)));
  for (auto _ : state) DrawSceneFrame(*program.app);
  state.counters["faces"] = program.app->mesh.FaceCount;
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

// The heaviest scene: every cell alive in both boards, 1,600 boxes (25,600
// faces with the ground). One rebuild and one frame: a pass without its pause.
void BM_FullBoardPass(benchmark::State& state) {
  Program program;
  Life3D& app = *program.app;
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j)
      app.boards.BoardNow(i, j) = app.boards.BoardNext(i, j) = 1;
  }
  for (auto _ : state) {
    RebuildScene(app);
    DrawSceneFrame(app);
  }
  state.counters["faces"] = app.mesh.FaceCount;
}
BENCHMARK(BM_FullBoardPass)->Unit(benchmark::kMillisecond);

// Whole passes of the main loop on the heaviest scene, the 10 ms pause
// included, one thread (0) or with the worker (1) as the program runs them;
// every live cell dies each pass, so the board is filled again before it.
// Frames go to a presenter, so the worker also clears ahead.
void BM_FullBoardLoop(benchmark::State& state) {
  Program program;
  Life3D& app = *program.app;
  program.window->surface.present = [](DrawingSurface&, void*) {};
  Worker worker;
  const PassIo io{Pause, nullptr, nullptr, state.range(0) ? &worker : nullptr};
  for (auto _ : state) {
    for (int i = 1; i <= kBoardSize; ++i) {
      for (int j = 1; j <= kBoardSize; ++j) app.boards.BoardNow(i, j) = 1;
    }
    RunPass(app, io);
  }
  state.counters["faces"] = app.mesh.FaceCount;
  state.counters["passes/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullBoardLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A frame with the camera among the boxes: corners far off the image,
// mirrored or at infinity must not cost more than an ordinary frame.
void BM_FrameCameraInsideScene(benchmark::State& state) {
  Program program;
  program.app->camera.Zoff = static_cast<float>(state.range(0));
  for (auto _ : state) DrawSceneFrame(*program.app);
}
BENCHMARK(BM_FrameCameraInsideScene)->Arg(0)->Arg(15)->Arg(-400)->Unit(benchmark::kMillisecond);

void BM_ClearSurface(benchmark::State& state) {
  Program program;
  AttachSurface(program.window.get(), 0, true);
  for (auto _ : state) ClearSurface(kBackgroundColor, 0);
}
BENCHMARK(BM_ClearSurface)->Unit(benchmark::kMicrosecond);

void BM_RotateAndProject(benchmark::State& state) {
  Program program;
  Life3D& app = *program.app;
  for (auto _ : state) {
    RotateScene(app.mesh, app.rot, app.Temp_Mouse_x, app.Temp_Mouse_y, app.Temp_Mouse_z);
    ProjectVertices(app.mesh, app.camera);
  }
}
BENCHMARK(BM_RotateAndProject)->Unit(benchmark::kMicrosecond);

void BM_OrderFaces(benchmark::State& state) {
  Program program;
  for (auto _ : state) OrderFaces(program.app->mesh);
}
BENCHMARK(BM_OrderFaces)->Unit(benchmark::kMicrosecond);

// FillPolygon alone on the visible faces of the start-up frame, in drawing order.
void BM_FillFrameFaces(benchmark::State& state) {
  Program program;
  const MeshStore& mesh = program.app->mesh;
  std::vector<PolygonPoints> faces;
  std::vector<int32_t> colors;
  for (int32_t p = 0; p < mesh.FaceCount; ++p) {
    const int32_t f = mesh.FaceOrder[p];
    if (!(FaceShade(mesh, program.app->light, f) > 0)) continue;
    const Face& face = mesh.Faces[f];
    PolygonPoints& points = faces.emplace_back();
    points.count = 3;
    const int32_t corners[3] = {face.A, face.B, face.C};
    for (int k = 0; k < 3; ++k) {
      points.xy[2 * k] = mesh.ScreenPoints[corners[k]].X;
      points.xy[2 * k + 1] = mesh.ScreenPoints[corners[k]].Y;
    }
    colors.push_back(Rgb(face.Red, face.Green, face.Blue));
  }
  AttachSurface(program.window.get(), 0, true);
  for (auto _ : state)
    for (size_t i = 0; i < faces.size(); ++i) FillPolygon(faces[i], colors[i], colors[i], 0, false);
  state.counters["triangles"] = static_cast<double>(faces.size());
}
BENCHMARK(BM_FillFrameFaces)->Unit(benchmark::kMicrosecond);

// One triangle of the given side in pixels, filled and outlined in one color.
void BM_FillTriangle(benchmark::State& state) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(kWidth, kHeight));
  AttachSurface(window.get(), 0, true);
  const float side = static_cast<float>(state.range(0));
  PolygonPoints points;
  points.count = 3;
  const float xy[6] = {100.3f,      50.6f, 100.3f + side, 50.2f + side / 3, 100.8f + side / 2,
                       50.1f + side};
  std::copy(xy, xy + 6, points.xy);
  for (auto _ : state) FillPolygon(points, 0x3366CC, 0x3366CC, 0, false);
}
BENCHMARK(BM_FillTriangle)->Arg(4)->Arg(16)->Arg(64)->Arg(512)->Unit(benchmark::kNanosecond);

// Triangles reaching far beyond the image cost no more than the image area.
void BM_FillTriangleOffImage(benchmark::State& state) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(kWidth, kHeight));
  AttachSurface(window.get(), 0, true);
  PolygonPoints points;
  points.count = 3;
  const float xy[6] = {-2e9f, -1.5e9f, 2e9f, 10, 960, 1.9e9f};
  std::copy(xy, xy + 6, points.xy);
  for (auto _ : state) FillPolygon(points, 0x3366CC, 0x3366CC, 0, false);
}
BENCHMARK(BM_FillTriangleOffImage)->Unit(benchmark::kMicrosecond);

// A 64-point polygon (a star) by the non-zero rule, the general filler.
void BM_FillPolygonStar(benchmark::State& state) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(kWidth, kHeight));
  AttachSurface(window.get(), 0, true);
  PolygonPoints points;
  points.count = 64;
  for (int k = 0; k < 64; ++k) {
    const double angle = k * 2 * 3.14159265358979 * 27 / 64, radius = 300;
    points.xy[2 * k] = static_cast<float>(960 + radius * std::cos(angle));
    points.xy[2 * k + 1] = static_cast<float>(540 + radius * std::sin(angle));
  }
  for (auto _ : state) FillPolygon(points, 0x3366CC, 0x3366CC, 0, false);
}
BENCHMARK(BM_FillPolygonStar)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace life3d
