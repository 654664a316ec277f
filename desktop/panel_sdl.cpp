#include "desktop/panel_sdl.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "app/legend.h"
#include "console/terminal_keys.h"

namespace life3d {
namespace {

// The images hold pixels as 0x00RRGGBB, as the window's picture does.
constexpr Uint32 kImageFormat = SDL_PIXELFORMAT_XRGB8888;

// Console colors by attribute nibble, as a PC text screen shows them.
constexpr std::array<uint32_t, 16> kTextColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
constexpr uint8_t kLegendAttr = 0x07;  // the console's own light grey on black

// Fonts with the box-drawing and symbol glyphs of code page 437, in the
// places Linux distributions install them; the first one found is used.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/TTF/DejaVuSansMono.ttf",
    "/usr/share/fonts/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/dejavu-sans-mono-fonts/DejaVuSansMono.ttf",
    "/usr/local/share/fonts/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/freefont/FreeMono.ttf",
};
constexpr int kFontPixels = 14;

Uint32 MapColor(const SDL_Surface* image, uint32_t rgb) {
  return SDL_MapRGB(image->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                    static_cast<Uint8>(rgb));
}

// One character cell: the background, then the glyph tinted in front.
void DrawCell(const Panel& panel, SDL_Surface* image, int32_t column, int32_t row, uint8_t ch,
              uint8_t attr) {
  SDL_Rect box{column * panel.cellWidth, row * panel.cellHeight, panel.cellWidth, panel.cellHeight};
  const uint32_t fore = kTextColors[attr & 0x0F];
  SDL_SetClipRect(image, &box);
  SDL_FillRect(image, &box, MapColor(image, kTextColors[attr >> 4]));
  if (SDL_Surface* glyph = panel.glyphs[ch]) {
    SDL_SetSurfaceColorMod(glyph, static_cast<Uint8>(fore >> 16), static_cast<Uint8>(fore >> 8),
                           static_cast<Uint8>(fore));
    SDL_BlitSurface(glyph, nullptr, image, &box);
  }
  SDL_SetClipRect(image, nullptr);
}

// The box color of a packed red + 256 green + 65536 blue value.
uint32_t SwatchRgb(int32_t packed) {
  const auto value = static_cast<uint32_t>(packed);
  return (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
}

// As wide as the console, one text row a line; a line with a swatch starts
// with a square of the box color and its text two cells in.
void RenderLegend(Panel& panel) {
  constexpr int32_t kColumns = 22, kTextIndent = 2;
  const int32_t rows = static_cast<int32_t>(kLegend.size());
  panel.legend = SDL_CreateRGBSurfaceWithFormat(0, kColumns * panel.cellWidth,
                                                rows * panel.cellHeight, 32, kImageFormat);
  if (panel.legend == nullptr) return;
  SDL_FillRect(panel.legend, nullptr, MapColor(panel.legend, kTextColors[kLegendAttr >> 4]));
  for (int32_t row = 0; row < rows; ++row) {
    const LegendLine& line = kLegend[static_cast<size_t>(row)];
    int32_t column = 0;
    if (line.swatch != kNoSwatch) {
      // The square keeps a gap of half a cell before the text.
      const int32_t side =
          std::max(1, std::min(kTextIndent * panel.cellWidth * 3 / 4, panel.cellHeight - 4));
      SDL_Rect square{1, row * panel.cellHeight + (panel.cellHeight - side) / 2, side, side};
      SDL_FillRect(panel.legend, &square, MapColor(panel.legend, SwatchRgb(line.swatch)));
      column = kTextIndent;
    }
    for (char c : line.text) {
      if (column >= kColumns) break;
      DrawCell(panel, panel.legend, column++, row, static_cast<uint8_t>(c), kLegendAttr);
    }
  }
}

}  // namespace

void OpenPanel(Panel& panel) {
  if (TTF_Init() == 0) {
    for (const char* file : kFontFiles) {
      panel.font = TTF_OpenFont(file, kFontPixels);
      if (panel.font != nullptr) break;
    }
  }
  if (panel.font != nullptr) {
    int advance = 0;
    if (TTF_GlyphMetrics32(panel.font, 'M', nullptr, nullptr, nullptr, nullptr, &advance) == 0 &&
        advance > 0) {
      panel.cellWidth = advance;
    }
    panel.cellHeight = std::max(1, TTF_FontHeight(panel.font));
    const SDL_Color white{255, 255, 255, 255};
    for (int byte = 0; byte < 256; ++byte) {
      if (byte == 0 || byte == ' ' || byte == 0xFF) continue;  // blanks need no glyph
      const std::string glyph(Cp437Glyph(static_cast<uint8_t>(byte)));
      panel.glyphs[byte] = TTF_RenderUTF8_Blended(panel.font, glyph.c_str(), white);
    }
  }
  RenderLegend(panel);
}

void ClosePanel(Panel& panel) {
  for (SDL_Surface*& glyph : panel.glyphs) {
    SDL_FreeSurface(glyph);
    glyph = nullptr;
  }
  SDL_FreeSurface(panel.image);
  panel.image = nullptr;
  SDL_FreeSurface(panel.legend);
  panel.legend = nullptr;
  if (panel.font != nullptr) TTF_CloseFont(panel.font);
  panel.font = nullptr;
  if (TTF_WasInit() != 0) TTF_Quit();
}

void RenderPanelCells(Panel& panel, const ConsoleScreen& screen) {
  assert(screen.cells.size() == static_cast<size_t>(screen.columns) * screen.rows);
  const int width = screen.columns * panel.cellWidth;
  const int height = screen.rows * panel.cellHeight;
  if (panel.image == nullptr || panel.image->w != width || panel.image->h != height) {
    SDL_FreeSurface(panel.image);
    panel.image = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, kImageFormat);
    if (panel.image == nullptr) return;
  }
  for (int32_t row = 0; row < screen.rows; ++row) {
    for (int32_t column = 0; column < screen.columns; ++column) {
      const ConsoleCell& cell = screen.cells[static_cast<size_t>(row) * screen.columns + column];
      DrawCell(panel, panel.image, column, row, cell.ch, cell.attr);
    }
  }
}

void DrawPanel(const Panel& panel, SDL_Surface* screen, int32_t x, int32_t y) {
  if (panel.image == nullptr) return;
  SDL_Rect place{x, y, 0, 0};
  SDL_BlitSurface(panel.image, nullptr, screen, &place);
  if (panel.legend == nullptr) return;
  SDL_Rect below{x, y + panel.image->h + panel.cellHeight / 2, 0, 0};
  SDL_BlitSurface(panel.legend, nullptr, screen, &below);
}

}  // namespace life3d
