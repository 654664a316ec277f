#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/text.h"
#include "render/frame.h"

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

TEST(AdvanceGeneration, ShowsTheTransitionThenPromotesTheNewBoard) {
  auto app = std::make_unique<Life3D>();
  StartUp(*app, 1234.5, 64, 48);
  for (int32_t quick : {0, 0, 1}) {
    app->Quick = quick;
    const Board old = app->boards.BoardNow;
    Board next;
    NextGeneration(old, next);
    int32_t boxes = 0;  // a box for every cell live before or after
    for (int i = 1; i <= kBoardSize; ++i)
      for (int j = 1; j <= kBoardSize; ++j) boxes += old(i, j) | next(i, j);
    AdvanceGeneration(*app);
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

}  // namespace
}  // namespace life3d
