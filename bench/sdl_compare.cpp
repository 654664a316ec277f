// Fills the triangles of one frame with FillPolygon and with SDL2's software
// renderer (SDL_RenderGeometry into a software surface) and prints the median
// time of each over many rounds, in one run on the same machine.
//
// Usage: life3d_sdl_compare [rounds]   (default 200)

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/program.h"
#include "draw/raster.h"
#include "render/frame.h"
#include "text/text.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Triangle {
  float xy[6];
  int32_t color;  // 0x00BBGGRR
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace life3d;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  constexpr int32_t kWidth = 1920, kHeight = 1080;

  // The start-up frame of a fixed seed: its visible faces in drawing order.
  auto app = std::make_unique<Life3D>();
  StartUp(*app, 43200.25, kWidth, kHeight);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(kWidth, kHeight));
  app->SceneWindow = window.get();
  DrawSceneFrame(*app);
  std::vector<Triangle> triangles;
  const MeshStore& mesh = app->mesh;
  for (int32_t p = 0; p < mesh.FaceCount; ++p) {
    const int32_t f = mesh.FaceOrder[p];
    const float s = FaceShade(mesh, app->light, f);
    if (!(s > 0)) continue;
    const Face& face = mesh.Faces[f];
    Triangle t;
    const int32_t corners[3] = {face.A, face.B, face.C};
    for (int k = 0; k < 3; ++k) {
      t.xy[2 * k] = mesh.ScreenPoints[corners[k]].X;
      t.xy[2 * k + 1] = mesh.ScreenPoints[corners[k]].Y;
    }
    t.color = Rgb(RoundToInt(double{s} * face.Red), RoundToInt(double{s} * face.Green),
                  RoundToInt(double{s} * face.Blue));
    triangles.push_back(t);
  }

  // life3d: FillPolygon with outline and fill in the face color.
  AttachSurface(window.get(), 0, true);
  std::vector<double> ours;
  for (int r = 0; r < rounds; ++r) {
    ClearSurface(0x808080, 0);
    const Clock::time_point start = Clock::now();
    PolygonPoints points;
    points.count = 3;
    for (const Triangle& t : triangles) {
      std::copy(t.xy, t.xy + 6, points.xy);
      FillPolygon(points, t.color, t.color, 0, false);
    }
    ours.push_back(MillisecondsSince(start));
  }

  // SDL2: the same triangles as one SDL_RenderGeometry call, flushed.
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Renderer* renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
  if (!renderer) {
    std::fprintf(stderr, "life3d_sdl_compare: %s\n", SDL_GetError());
    return 1;
  }
  std::vector<SDL_Vertex> vertices;
  for (const Triangle& t : triangles) {
    const SDL_Color c{static_cast<Uint8>(t.color), static_cast<Uint8>(t.color >> 8),
                      static_cast<Uint8>(t.color >> 16), 255};
    for (int k = 0; k < 3; ++k) vertices.push_back({{t.xy[2 * k], t.xy[2 * k + 1]}, c, {0, 0}});
  }
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  std::vector<double> sdl;
  for (int r = 0; r < rounds; ++r) {
    SDL_SetRenderDrawColor(renderer, 128, 128, 128, 255);
    SDL_RenderClear(renderer);
    SDL_RenderFlush(renderer);
    const Clock::time_point start = Clock::now();
    SDL_RenderGeometry(renderer, nullptr, vertices.data(), static_cast<int>(vertices.size()),
                       nullptr, 0);
    SDL_RenderFlush(renderer);
    sdl.push_back(MillisecondsSince(start));
  }

  // How far the two pictures agree (they need not: the pixel rules differ).
  size_t same = 0;
  const auto* sdlPixels = static_cast<const uint32_t*>(surface->pixels);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      same += (sdlPixels[y * surface->pitch / 4 + x] & 0xFFFFFF) ==
              window->surface.image[static_cast<size_t>(y) * kWidth + x];

  const double oursMs = Median(ours), sdlMs = Median(sdl);
  std::printf("%zu triangles of the start-up frame at %dx%d, median of %d rounds (SDL %d.%d.%d)\n",
              triangles.size(), kWidth, kHeight, rounds, SDL_MAJOR_VERSION, SDL_MINOR_VERSION,
              SDL_PATCHLEVEL);
  std::printf("  FillPolygon (fill + outline)        %8.3f ms\n", oursMs);
  std::printf("  SDL_RenderGeometry, software        %8.3f ms\n", sdlMs);
  std::printf("  FillPolygon is %.1fx faster; %.2f%% of the pixels agree\n", sdlMs / oursMs,
              100.0 * same / (static_cast<double>(kWidth) * kHeight));
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(surface);
  return 0;
}
