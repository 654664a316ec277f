// The window's panel drawn into a plain surface: the legend lies below the
// console's cells and leaves every pixel of them as the cells alone draw it.
#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/legend.h"
#include "console/console.h"
#include "desktop/panel_sdl.h"

namespace life3d {
namespace {

constexpr int kPanelX = 10, kPanelY = 40;
constexpr uint32_t kPicture = 0x808080;

SDL_Surface* MakePicture() {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 600, 900, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_FillRect(s, nullptr, kPicture);
  return s;
}

uint32_t PixelAt(const SDL_Surface* s, int x, int y) {
  return static_cast<const uint32_t*>(s->pixels)[y * s->pitch / 4 + x] & 0xFFFFFF;
}

TEST(PanelTest, LegendLiesBelowTheConsoleCellsAndLeavesThemAsTheyAre) {
  Panel panel;
  OpenPanel(panel);
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 22, 16));
  for (std::string_view line : HelpLines()) {
    PrintTextTo(screen, line);
    PrintNewlineTo(screen);
  }
  RenderPanelCells(panel, screen);
  ASSERT_NE(panel.image, nullptr);
  ASSERT_NE(panel.legend, nullptr);

  SDL_Surface* withLegend = MakePicture();
  SDL_Surface* cellsAlone = MakePicture();
  DrawPanel(panel, withLegend, kPanelX, kPanelY);
  SDL_Rect place{kPanelX, kPanelY, 0, 0};
  SDL_BlitSurface(panel.image, nullptr, cellsAlone, &place);

  const int cellsRight = kPanelX + panel.image->w, cellsBottom = kPanelY + panel.image->h;
  int changed = 0;
  bool swatchSeen[kLegend.size()] = {};
  for (int y = 0; y < withLegend->h; ++y) {
    for (int x = 0; x < withLegend->w; ++x) {
      const uint32_t pixel = PixelAt(withLegend, x, y);
      if (pixel == PixelAt(cellsAlone, x, y)) continue;
      ++changed;
      const bool inCells = x >= kPanelX && x < cellsRight && y >= kPanelY && y < cellsBottom;
      ASSERT_FALSE(inCells) << "legend drawn over the console's cells at " << x << "," << y;
      ASSERT_GE(y, cellsBottom) << "legend beside or above the cells at " << x << "," << y;
      for (size_t k = 0; k < kLegend.size(); ++k) {
        const auto packed = static_cast<uint32_t>(kLegend[k].swatch);
        const uint32_t rgb = (packed & 0xFF) << 16 | (packed & 0xFF00) | (packed >> 16 & 0xFF);
        if (kLegend[k].swatch != kNoSwatch && pixel == rgb) swatchSeen[k] = true;
      }
    }
  }
  EXPECT_GT(changed, 0) << "no legend drawn";
  for (size_t k = 0; k < kLegend.size(); ++k)
    EXPECT_EQ(swatchSeen[k], kLegend[k].swatch != kNoSwatch) << kLegend[k].text;
  SDL_FreeSurface(withLegend);
  SDL_FreeSurface(cellsAlone);
  ClosePanel(panel);
}

}  // namespace
}  // namespace life3d
