#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "render/frame.h"
#include "text/text.h"

namespace life3d {
namespace {

TEST(StartUp, CameraFromDesktopSizeAndFirstScene) {
  const struct {
    int32_t width, height;
    float xoff, yoff;
  } cases[] = {{1920, 1080, 960, 540}, {1281, 801, 640.5f, 400.5f}, {2, 1, 1, 0.5f}};
  for (const auto& c : cases) {
    auto app = std::make_unique<Life3D>();
    StartUp(*app, 43200.25, c.width, c.height);
    EXPECT_EQ(app->camera.Xoff, c.xoff);
    EXPECT_EQ(app->camera.Yoff, c.yoff);
    EXPECT_EQ(app->camera.Zoff, 5000);
    EXPECT_EQ(app->camera.Zoom, 1666.6666259765625f);  // 2700000 / 1620
    EXPECT_EQ(app->Temp_Mouse_x, -136);
    EXPECT_EQ(app->Temp_Mouse_z, 60);
    EXPECT_EQ(app->light.Z, -1);
    // The ground comes first at start-up, centred on the box through the origin.
    EXPECT_EQ(app->mesh.ModelVertices[0].X, 20 - 810);
    EXPECT_EQ(app->mesh.FaceCount % 12, 6400 % 12);
  }
}

TEST(RunPass, ShowsTheTransitionThenPromotesTheNewBoard) {
  auto app = std::make_unique<Life3D>();
  StartUp(*app, 1234.5, 64, 48);  // no window: the frames draw nothing
  for (int32_t quick : {0, 0, 1}) {
    app->Quick = quick;
    const Board old = app->boards.BoardNow;
    Board next;
    NextGeneration(old, next);
    int32_t boxes = 0;  // a box for every cell live before or after
    for (int i = 1; i <= kBoardSize; ++i)
      for (int j = 1; j <= kBoardSize; ++j) boxes += old(i, j) | next(i, j);
    EXPECT_FALSE(RunPass(*app, PassIo{}));
    EXPECT_EQ(app->boards.BoardNow.cell, next.cell);
    EXPECT_EQ(app->boards.BoardNext.cell, next.cell);
    EXPECT_EQ(app->mesh.FaceCount, 12 * boxes + (quick ? 0 : 6400));
    EXPECT_NE(app->mesh.Faces[0].Red, 100) << "boxes come before the ground";
  }
}

std::vector<uint32_t> FirstFrame(double seconds, int32_t width, int32_t height) {
  auto app = std::make_unique<Life3D>();
  StartUp(*app, seconds, width, height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(width, height));
  app->SceneWindow = window.get();
  DrawSceneFrame(*app);
  return window->surface.image;
}

TEST(FirstFrame, ShowsBackgroundGroundAndDyingBoxesTheSameEveryRun) {
  const std::vector<uint32_t> image = FirstFrame(43200.25, 960, 540);
  // Seen from the start angles the upward faces get s = 0.7193398.
  const struct {
    const char* name;
    uint32_t pixel;
  } colors[] = {{"background", 0x808080},
                {"ground (100, 255, 255)", 0x48B7B7},
                {"ground (100, 155, 255)", 0x486FB7},
                {"top of a dying box (150, 80, 80)", 0x6C3A3A}};
  for (const auto& c : colors)
    EXPECT_GT(std::count(image.begin(), image.end(), c.pixel), 100) << c.name;
  EXPECT_EQ(image[0], 0x808080u);
  EXPECT_EQ(image, FirstFrame(43200.25, 960, 540));
  EXPECT_NE(image, FirstFrame(43200.5, 960, 540));
}

// The frame DrawSceneFrame has just drawn, painted again far to near over a
// cleared image, face by face.
std::vector<uint32_t> RepaintFarToNear(Life3D& app) {
  AttachSurface(app.SceneWindow, 0, true);
  ClearSurface(kBackgroundColor, 0);
  const MeshStore& mesh = app.mesh;
  for (int32_t p = 0; p < mesh.FaceCount; ++p) {
    const int32_t f = mesh.FaceOrder[p];
    const float s = FaceShade(mesh, app.light, f);
    if (s <= 0) continue;
    const Face& face = mesh.Faces[f];
    // The products are exact in double, as the frame forms them; in float
    // they could round across a half.
    const double d = s;
    DrawFace(mesh, f,
             Rgb(RoundToInt(d * face.Red), RoundToInt(d * face.Green), RoundToInt(d * face.Blue)));
  }
  return app.SceneWindow->surface.image;
}

TEST(DrawSceneFrame, CameraInsideTheScenePaintsTheFarToNearPicture) {
  // Zoff near and below 0 puts the camera among the boxes: corners project to
  // huge, infinite or mirrored points and faces cover the whole image.
  const struct {
    float zoff, angleX;
  } cases[] = {{5000, -136}, {0, -136}, {20, -136},  {-300, -136},
               {0, -180},    {5, -179}, {1200, -160}};
  for (const auto& c : cases) {
    auto app = std::make_unique<Life3D>();
    StartUp(*app, 600.0, 320, 200);
    app->camera.Zoff = c.zoff;
    app->Temp_Mouse_x = c.angleX;
    std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(320, 200));
    app->SceneWindow = window.get();
    DrawSceneFrame(*app);
    const std::vector<uint32_t> frame = window->surface.image;
    EXPECT_NE(std::count(frame.begin(), frame.end(), 0x808080u), 320 * 200) << c.zoff;
    EXPECT_EQ(frame, RepaintFarToNear(*app)) << c.zoff << " " << c.angleX;
  }
}

// A key source for RunPass that also records when the pause and the key read
// happen.
struct PassLog {
  std::string key;
  std::vector<std::string> calls;
};
PassLog* gLog = nullptr;

void LogPause(int32_t milliseconds) {
  gLog->calls.push_back("pause " + std::to_string(milliseconds));
}
std::string LogKey(void* context) {
  auto* log = static_cast<PassLog*>(context);
  log->calls.push_back("key");
  return log->key;
}

// A run of passes from a fresh start-up, on one thread or, with a worker, with
// the rebuild and the frame done during the pause as the program does them;
// then frames go to a presenter that, as a window's does, lends the drawing
// images of its own in turn (holding an unrelated picture at first) and keeps
// a copy of each frame handed over.
struct PassRun {
  std::unique_ptr<Life3D> app = std::make_unique<Life3D>();
  std::unique_ptr<GraphicsWindow> window{CreateOffscreenWindow(160, 100)};
  std::unique_ptr<Worker> worker;
  std::vector<uint32_t> shown;  // the last frame presented
  std::vector<uint32_t> lent[2];
  uint32_t* next[2] = {};  // the images the presenter lends next, in turn
  int32_t turn = 0;
  explicit PassRun(bool withWorker = false) {
    if (withWorker) {
      worker = std::make_unique<Worker>();
      for (int k = 0; k < 2; ++k) {
        lent[k].assign(window->surface.image.size(), 0x123456u * (k + 1));
        next[k] = lent[k].data();
      }
      window->surface.pixels = window->surface.image.data();
      window->surface.present = [](DrawingSurface& surface, void* context) {
        auto& run = *static_cast<PassRun*>(context);
        run.shown.assign(surface.pixels, surface.pixels + run.shown.size());
        std::swap(surface.pixels, run.next[run.turn]);
        run.turn ^= 1;
      };
      window->surface.presentContext = this;
      shown = window->surface.image;
    }
    StartUp(*app, 3000.5, 160, 100);
    app->SceneWindow = window.get();
    DrawSceneFrame(*app);
  }
  // The picture the user sees.
  const std::vector<uint32_t>& Picture() const { return worker ? shown : window->surface.image; }
  bool Pass(const std::string& key) {
    PassLog log{key, {}};
    gLog = &log;
    const bool ended = RunPass(*app, PassIo{LogPause, LogKey, &log, worker.get()});
    gLog = nullptr;
    EXPECT_EQ(log.calls, (std::vector<std::string>{"pause 10", "key"}));
    return ended;
  }
  // What a frame of the current state looks like, drawn into another window.
  std::vector<uint32_t> FreshFrame() {
    std::unique_ptr<GraphicsWindow> other(CreateOffscreenWindow(160, 100));
    app->SceneWindow = other.get();
    DrawSceneFrame(*app);
    app->SceneWindow = window.get();
    return other->surface.image;
  }
  // Boxes of the scene the boards show now, or after `NextGeneration`.
  int32_t Boxes(bool nextPass = false) const {
    Board next = app->boards.BoardNext;
    if (nextPass) NextGeneration(app->boards.BoardNow, next);
    int32_t n = 0;
    for (int i = 1; i <= kBoardSize; ++i)
      for (int j = 1; j <= kBoardSize; ++j) n += app->boards.BoardNow(i, j) | next(i, j);
    return n;
  }
  float SmallestModelX() const {
    float x = 1e30f;
    for (int32_t i = 0; i < app->mesh.VertexCount; ++i)
      x = std::min(x, app->mesh.ModelVertices[i].X);
    return x;
  }
};

TEST(RunPass, EscEndsAfterTheGenerationAndBeforeTheFrame) {
  for (const bool withWorker : {false, true}) {
    PassRun run(withWorker);
    const std::vector<uint32_t> firstFrame = run.Picture();
    Board next;
    NextGeneration(run.app->boards.BoardNow, next);
    EXPECT_TRUE(run.Pass("\x1b"));
    EXPECT_EQ(run.app->boards.BoardNow.cell, next.cell);
    EXPECT_EQ(run.Picture(), firstFrame);
    EXPECT_NE(run.FreshFrame(), firstFrame) << "the rebuilt scene would have looked different";
  }
}

TEST(RunPass, CameraKeysAndNewCellsShowInTheSamePassFlagsFromTheNext) {
  for (const bool withWorker : {false, true}) {
    SCOPED_TRACE(withWorker ? "with a worker" : "one thread");
    PassRun run(withWorker);
    EXPECT_FALSE(run.Pass(""));
    EXPECT_EQ(run.Picture(), run.FreshFrame());

    EXPECT_FALSE(run.Pass("+"));  // zoom: this pass's frame
    EXPECT_EQ(run.Picture(), run.FreshFrame());

    EXPECT_FALSE(run.Pass("N"));  // new cells: rebuilt at once, drawn in this pass
    EXPECT_NE(run.app->boards.BoardNow.cell, run.app->boards.BoardNext.cell);
    EXPECT_EQ(run.app->mesh.FaceCount, 12 * run.Boxes() + 6400);
    EXPECT_EQ(run.Picture(), run.FreshFrame());

    int32_t boxes = run.Boxes(true);
    EXPECT_FALSE(run.Pass("q"));  // Quick: the ground goes from the next rebuild
    EXPECT_EQ(run.app->mesh.FaceCount, 12 * boxes + 6400);
    boxes = run.Boxes(true);
    EXPECT_FALSE(run.Pass(""));
    EXPECT_EQ(run.app->mesh.FaceCount, 12 * boxes);

    EXPECT_FALSE(run.Pass("c"));  // Auto center off: board coordinates from the next rebuild
    EXPECT_LT(run.SmallestModelX(), 0);
    EXPECT_FALSE(run.Pass(""));
    EXPECT_GE(run.SmallestModelX(), 20);
  }
}

// The worker changes where the work runs, never what it gives: the same
// scene, to the last vertex and face, and the same frame after every pass.
TEST(RunPass, AWorkerGivesTheSameScenesAndFramesAsOneThread) {
  PassRun one, two(true);
  for (const std::string key : {"", "x", "N", "", "q", "+", "", "c", "Q", "", "n", "E", ""}) {
    SCOPED_TRACE("after the key '" + key + "'");
    EXPECT_FALSE(one.Pass(key));
    EXPECT_FALSE(two.Pass(key));
    const MeshStore& a = one.app->mesh;
    const MeshStore& b = two.app->mesh;
    ASSERT_EQ(a.VertexCount, b.VertexCount);
    ASSERT_EQ(a.FaceCount, b.FaceCount);
    for (int32_t i = 0; i < a.VertexCount; ++i) {
      ASSERT_EQ(a.ModelVertices[i].X, b.ModelVertices[i].X) << i;
      ASSERT_EQ(a.ModelVertices[i].Y, b.ModelVertices[i].Y) << i;
      ASSERT_EQ(a.ModelVertices[i].Z, b.ModelVertices[i].Z) << i;
    }
    for (int32_t f = 0; f < a.FaceCount; ++f) {
      ASSERT_EQ(a.Faces[f].A, b.Faces[f].A) << f;
      ASSERT_EQ(a.Faces[f].B, b.Faces[f].B) << f;
      ASSERT_EQ(a.Faces[f].C, b.Faces[f].C) << f;
      ASSERT_EQ(a.Faces[f].NormalLength, b.Faces[f].NormalLength) << f;
      ASSERT_EQ(a.FaceOrder[f], b.FaceOrder[f]) << f;
    }
    ASSERT_EQ(one.window->surface.image, two.shown);
  }
}

// The stages a pass's hook is told of, in order, on the calling thread and on
// the worker; a stage must end, on its thread, before the next one begins.
struct StageLog {
  std::mutex mutex;
  std::thread::id caller = std::this_thread::get_id();
  std::string onCaller, onWorker;
  int32_t open[2] = {-1, -1};  // the stage begun and not yet ended, per thread
};
void LogStage(PassStage stage, bool ended, void* context) {
  static const char* const kNames[kPassStageCount] = {"generation", "rebuild", "clear-ahead",
                                                      "pause",      "clear",   "rotate",
                                                      "order",      "fill",    "publish"};
  auto& log = *static_cast<StageLog*>(context);
  std::lock_guard<std::mutex> lock(log.mutex);
  const bool onCaller = std::this_thread::get_id() == log.caller;
  int32_t& open = log.open[onCaller ? 0 : 1];
  const int32_t index = static_cast<int32_t>(stage);
  EXPECT_EQ(open, ended ? index : -1) << kNames[index] << (ended ? " ended" : " began");
  open = ended ? -1 : index;
  if (ended) (onCaller ? log.onCaller : log.onWorker) += std::string(kNames[index]) + " ";
}

TEST(RunPass, TellsItsHookOfEveryStageOnTheThreadThatRunsIt) {
  const std::string frame = "clear rotate order fill publish ";
  const struct {
    bool pause, worker;
    const char* key;
    std::string onCaller, onWorker;
  } cases[] = {
      {false, false, "", "generation rebuild " + frame, ""},
      {false, true, "", "generation rebuild " + frame, ""},  // no pause: no use for the worker
      {true, false, "", "generation rebuild pause " + frame, ""},
      // With a presenter the frame is drawn ahead and published when no key
      // came, drawn anew when one did; Esc publishes nothing.
      {true, true, "", "generation pause publish ", "rebuild clear rotate order fill "},
      {true, true, "x", "generation pause " + frame, "rebuild clear rotate order fill "},
      {true, true, "\x1b", "generation pause ", "rebuild clear rotate order fill "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "pause " << c.pause << ", worker " << c.worker);
    PassRun run(c.worker);
    StageLog log;
    std::string key = c.key;
    const PassIo io{c.pause ? LogPause : nullptr,
                    [](void* context) { return *static_cast<std::string*>(context); },
                    &key,
                    run.worker.get(),
                    {LogStage, &log}};
    PassLog pauses;
    gLog = &pauses;
    EXPECT_EQ(RunPass(*run.app, io), key == "\x1b");
    gLog = nullptr;
    EXPECT_EQ(log.onCaller, c.onCaller);
    EXPECT_EQ(log.onWorker, c.onWorker);
  }
}

#ifndef NDEBUG
TEST(WorkerDeathTest, OneJobAtATime) {
  EXPECT_DEATH(
      {
        Worker worker;
        std::mutex never;
        never.lock();
        auto waits = [&] { std::lock_guard<std::mutex> lock(never); };
        StartJob(worker, waits);
        StartJob(worker, waits);
      },
      "one job at a time");
}
#endif

}  // namespace
}  // namespace life3d
