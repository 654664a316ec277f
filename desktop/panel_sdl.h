// The console's cells as the window shows them in front of the picture, and
// the legend below them, drawn with SDL2_ttf glyphs into SDL surfaces. Needs
// no display: the window thread owns one Panel, and tests draw one into a
// plain surface.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <cstdint>

#include "console/console.h"

namespace life3d {

struct Panel {
  TTF_Font* font = nullptr;
  std::array<SDL_Surface*, 256> glyphs{};  // white on transparent, tinted per cell
  int32_t cellWidth = 8, cellHeight = 16;
  SDL_Surface* image = nullptr;   // the cells, re-rendered only when the console changes
  SDL_Surface* legend = nullptr;  // made once, with the glyphs
};

// Opens the first monospaced font found, makes the glyphs and the legend;
// without a font the cells and the legend's color swatches still show.
void OpenPanel(Panel& panel);
void ClosePanel(Panel& panel);
// Draws the screen's cells into panel.image (a copy of the console's: see
// SnapshotConsole).
void RenderPanelCells(Panel& panel, const ConsoleScreen& screen);
// Puts the cells with their top-left corner at (x, y) of screen and the
// legend below them, apart from the last row of cells by half a row.
void DrawPanel(const Panel& panel, SDL_Surface* screen, int32_t x, int32_t y);

}  // namespace life3d
