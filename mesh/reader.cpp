// Text that no generator writes is handled so that the reader never reads or
// writes outside its arrays, and every face in the store refers to a vertex in
// the store (0..VertexCount-1) once its object is complete:
//
// - Vertex and face lines count only inside an object, from a valid header to
//   the line that closes its face list; elsewhere they are skipped.
// - A header is valid when it has "VERTICES:" and "FACES:", 1 <= N and
//   1 <= M (a non-numeric count reads 0; NaN or a count beyond the 32-bit
//   range rounds to the lowest 32-bit integer), the scene stays within
//   kMaxSceneVertices and kMaxSceneFaces, and memory for the arrays is there.
//   A header that is not valid starts no object, so its lines are skipped.
// - A header ends the object before it: if that object is not complete it is
//   dropped (counts and arrays back to where the object began), and both
//   lists close.
// - A vertex or face line without one of its keywords ("VERTEX " or "FACE "
//   with the blank, "X:", "Y:", "Z:", " A:", " B:", " C:"), with a number
//   outside 0..N-1 or 0..M-1, or with a corner outside 0..N-1 is skipped.
// - The face line numbered M - 1 is skipped while the object's vertex list is
//   still open: closing the face list takes the next object's vertex base from
//   the vertex count, which is only right once the vertex list has closed.
// - When the face list closes, faces that no line of the object wrote still
//   hold what an earlier scene left there; if one of them refers to a vertex
//   outside the store, the object is dropped.
// - An object still open after the last line is dropped.
// - MeshLastLine beyond the last line of MeshLines reads up to that line.
#include "mesh/reader.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace life3d {

namespace {

constexpr size_t kNotFound = std::string_view::npos;

// Lines up to this length are upper-cased on the stack; longer ones (never
// written by the generators) go to a heap buffer of the call.
constexpr size_t kShortLine = 256;

// UpperCase as a byte table, taken from UpperCase itself so the two agree.
const std::array<char, 256>& UpperTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      t[b] = UpperCase(std::string_view(&c, 1))[0];
    }
    return t;
  }();
  return table;
}

std::string_view UpperLine(const std::string& line, const std::array<char, 256>& upper,
                           char* shortBuffer, std::string& longBuffer) {
  char* out = shortBuffer;
  if (line.size() > kShortLine) {
    longBuffer.resize(line.size());
    out = longBuffer.data();
  }
  for (size_t i = 0; i < line.size(); ++i) out[i] = upper[static_cast<unsigned char>(line[i])];
  return std::string_view(out, line.size());
}

// The number right after the keyword found at position at.
long double NumberAfter(std::string_view u, size_t at, std::string_view keyword) {
  return ParseNumber(u.substr(at + keyword.size()));
}

// The reader's working state for one call.
struct ReaderState {
  int32_t V = 0;  // vertex base: store vertices before the current object
  int32_t F = 0;  // face base
  bool vertexOpen = false;
  bool faceOpen = false;
  bool inObject = false;      // a valid header was read and its face list has not closed
  bool verticesDone = false;  // the object's vertex list has closed
  int32_t N = 0;              // the object's vertex count
  int32_t M = 0;              // the object's face count
};

void DropObject(MeshStore& s, ReaderState& r) {
  s.VertexCount = r.V;
  s.FaceCount = r.F;
  ResizeMeshArrays(s, r.V, r.F);  // shrinking only: cannot fail
  r.inObject = false;
  r.vertexOpen = false;
  r.faceOpen = false;
}

void StartObject(MeshStore& s, ReaderState& r, std::string_view u) {
  if (r.inObject) DropObject(s, r);
  r.vertexOpen = false;
  r.faceOpen = false;
  const size_t nAt = u.find("VERTICES:");
  const size_t mAt = u.find("FACES:");
  if (nAt == kNotFound || mAt == kNotFound) return;
  const int32_t n = RoundToInt(NumberAfter(u, nAt, "VERTICES:"));
  const int32_t m = RoundToInt(NumberAfter(u, mAt, "FACES:"));
  if (r.V < 0 || r.F < 0 || n < 1 || m < 1) return;
  if (n > kMaxSceneVertices - r.V || m > kMaxSceneFaces - r.F) return;
  if (!ResizeMeshArrays(s, r.V + n, r.F + m)) return;
  // Until the object's lists close, the counts hold the object's own N and M.
  s.VertexCount = n;
  s.FaceCount = m;
  r.inObject = true;
  r.verticesDone = false;
  r.N = n;
  r.M = m;
}

void ReadVertex(MeshStore& s, ReaderState& r, std::string_view u, size_t vertexAt,
                int32_t offsetX, int32_t offsetY, int32_t offsetZ) {
  const size_t kAt = u.find("VERTEX ", vertexAt);
  const size_t xAt = u.find("X:");
  const size_t yAt = u.find("Y:");
  const size_t zAt = u.find("Z:");
  if (kAt == kNotFound || xAt == kNotFound || yAt == kNotFound || zAt == kNotFound) return;
  const int32_t k = RoundToInt(NumberAfter(u, kAt, "VERTEX "));
  if (k < 0 || k >= r.N) return;
  // Each sum is formed in extended precision and rounded once, to float.
  Vertex& v = s.Vertices[r.V + k];
  v.X = static_cast<float>(static_cast<long double>(offsetX) + NumberAfter(u, xAt, "X:"));
  v.Y = static_cast<float>(static_cast<long double>(offsetY) + NumberAfter(u, yAt, "Y:"));
  v.Z = static_cast<float>(static_cast<long double>(offsetZ) + NumberAfter(u, zAt, "Z:"));
  // The list ends at the line numbered count - 1, however many lines came before.
  if (k == s.VertexCount - 1) {
    r.vertexOpen = false;
    s.VertexCount = r.V + k + 1;
    r.verticesDone = true;
  }
}

// Scene-wide index of a corner: the base plus the local number, the sum rounded
// (ties to even); -1 when it is not one of the object's vertices.
int32_t Corner(std::string_view u, size_t at, std::string_view keyword, const ReaderState& r) {
  const int32_t c = RoundToInt(static_cast<long double>(r.V) + NumberAfter(u, at, keyword));
  return c >= r.V && c - r.V < r.N ? c : -1;
}

bool FacesWithinStore(const MeshStore& s, int32_t first, int32_t end) {
  for (int32_t f = first; f < end; ++f) {
    const Face& face = s.Faces[f];
    if (face.A < 0 || face.A >= s.VertexCount || face.B < 0 || face.B >= s.VertexCount ||
        face.C < 0 || face.C >= s.VertexCount) {
      return false;
    }
  }
  return true;
}

void CompleteObject(MeshStore& s, ReaderState& r) {
  r.faceOpen = false;
  s.FaceCount = r.F + r.M;
  if (!FacesWithinStore(s, r.F, s.FaceCount)) {
    DropObject(s, r);
    return;
  }
  // The bases move on for a following object.
  r.V = s.VertexCount;
  r.F = s.FaceCount;
  r.inObject = false;
}

void ReadFace(MeshStore& s, ReaderState& r, std::string_view u, size_t faceAt,
              int32_t defaultColor) {
  const size_t kAt = u.find("FACE ", faceAt);
  const size_t aAt = u.find(" A:");
  const size_t bAt = u.find(" B:");
  const size_t cAt = u.find(" C:");
  if (kAt == kNotFound || aAt == kNotFound || bAt == kNotFound || cAt == kNotFound) return;
  const int32_t k = RoundToInt(NumberAfter(u, kAt, "FACE "));
  if (k < 0 || k >= r.M) return;
  const bool closes = k == r.M - 1;
  if (closes && !r.verticesDone) return;
  const int32_t a = Corner(u, aAt, " A:", r);
  const int32_t b = Corner(u, bAt, " B:", r);
  const int32_t c = Corner(u, cAt, " C:", r);
  if (a < 0 || b < 0 || c < 0) return;
  int32_t colour = defaultColor;
  const size_t colourAt = u.find("COLORE:");
  if (colourAt != kNotFound) colour = RoundToInt(NumberAfter(u, colourAt, "COLORE:"));
  Face& face = s.Faces[r.F + k];
  face.A = a;
  face.B = b;
  face.C = c;
  SplitColor(colour, face.Red, face.Green, face.Blue);
  if (closes) CompleteObject(s, r);
}

}  // namespace

void ReadMeshText(MeshStore& store, int32_t OffsetX, int32_t OffsetY, int32_t OffsetZ,
                  int32_t DefaultColor) {
  const auto& upper = UpperTable();
  const int64_t lastIndex = static_cast<int64_t>(store.MeshLines.size()) - 1;
  const int64_t last = std::min<int64_t>(store.MeshLastLine, lastIndex);
  ReaderState r;
  r.V = store.VertexCount;
  r.F = store.FaceCount;
  char shortBuffer[kShortLine];
  std::string longBuffer;
  // The three tests run one after another on the same line, in this order: a
  // line may be a vertex line and a face line at once.
  for (int64_t i = 0; i <= last; ++i) {
    const std::string_view u = UpperLine(store.MeshLines[i], upper, shortBuffer, longBuffer);
    if (u.starts_with("TRI-MESH,")) StartObject(store, r, u);
    if (!r.inObject) continue;
    if (u.starts_with("VERTEX 0")) r.vertexOpen = true;
    if (r.vertexOpen) {
      const size_t at = u.find("VERTEX");
      if (at != kNotFound) ReadVertex(store, r, u, at, OffsetX, OffsetY, OffsetZ);
    }
    if (u.starts_with("FACE 0")) r.faceOpen = true;
    if (r.faceOpen) {
      const size_t at = u.find("FACE");
      if (at != kNotFound) ReadFace(store, r, u, at, DefaultColor);
    }
  }
  if (r.inObject) DropObject(store, r);
}

}  // namespace life3d
