// The reader calls of the two mesh targets (the reader alone, and the reader
// then a frame): mesh text into one store through several calls, some after
// a reset, each checked for what the reader must leave. Input per call:
// flags, offsets, colour, last line, then the text split into MeshLines at
// line feeds; flags bit 0 resets first.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "mesh/reader.h"

namespace life3d::fuzz {

inline constexpr int kMaxReaderCalls = 16;

// One store for every input: its lines are made once. Each input starts from
// what a fresh store holds, so a failure replays from its input.
inline MeshStore& ReaderStore() {
  static MeshStore store;
  return store;
}
inline int32_t linesUsed = 0;  // MeshLines 0..linesUsed - 1 may hold an earlier input's text

inline void StartFresh(MeshStore& store) {
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
inline void CheckSound(const MeshStore& s) {
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

// Every call the input holds, into the fresh store.
inline void ReadCalls(InputReader& in, MeshStore& store) {
  StartFresh(store);
  for (int call = 0; call < kMaxReaderCalls && !in.Empty(); ++call) {
    const uint8_t flags = in.Take<uint8_t>();
    const int32_t ox = in.Take<int32_t>(), oy = in.Take<int32_t>(), oz = in.Take<int32_t>();
    const int32_t color = in.Take<int32_t>();
    const int32_t lastLine = in.Take<int32_t>();
    std::string_view text = in.TakeText();
    if (flags & 1) ResetScene(store);
    const auto lines = static_cast<int32_t>(store.MeshLines.size());
    int32_t line = 0;
    while (line < lines) {
      const size_t end = text.find('\n');
      store.MeshLines[line++].assign(text.substr(0, end));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
    if (line > linesUsed) linesUsed = line;
    // Mostly near the text's own last line: a far one reads every line of
    // the buffer, which would slow most inputs down. Flags 2 and 3 (and no
    // other bits) take it as it is.
    const bool asGiven = (flags & 0xFE) == 2;
    store.MeshLastLine = asGiven ? lastLine : line - 1 + lastLine % 8;
    ReadMeshText(store, ox, oy, oz, color);
    CheckSound(store);
  }
}

}  // namespace life3d::fuzz
