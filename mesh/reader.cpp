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
#include <bit>
#include <cassert>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace life3d {

namespace {

constexpr int32_t kNone = -1;

constexpr Keyword kTriMesh{"TRI-MESH,"}, kVertex{"VERTEX"}, kVertexBlank{"VERTEX "},
    kVertexZero{"VERTEX 0"}, kFace{"FACE"}, kFaceBlank{"FACE "}, kFaceZero{"FACE 0"},
    kVertices{"VERTICES:"}, kFaces{"FACES:"}, kVerticesWord{"VERTICES"}, kFacesWord{"FACES"},
    kColore{"COLORE"}, kColoreColon{"COLORE:"}, kX{"X:"}, kY{"Y:"}, kZ{"Z:"}, kA{" A:"}, kB{" B:"},
    kC{" C:"};

// The line and the 0-based position of the first occurrence of each keyword
// in it (kNone when absent).
struct ScannedLine {
  std::string_view t;
  int32_t vertices = kNone, faces = kNone;  // "VERTICES:", "FACES:"
  int32_t x = kNone, y = kNone, z = kNone;  // "X:", "Y:", "Z:"
  int32_t a = kNone, b = kNone, c = kNone;  // " A:", " B:", " C:"
  int32_t color = kNone;                    // "COLORE:"
};

void Mark(int32_t& at, int32_t position) {
  if (at == kNone) at = position;
}

[[gnu::always_inline]] inline bool Ends(std::string_view t, int32_t end, const Keyword& word) {
  return end >= static_cast<int32_t>(word.length) && KeywordAt(t, end - word.length, word);
}

// The keyword that the colon at position i completes, if any. Taken in line
// order, the first colon that completes a keyword gives its first occurrence.
void MarkColon(ScannedLine& s, int32_t i) {
  if (i == 0) return;
  const std::string_view t = s.t;
  switch (UpperCaseAscii(t[i - 1])) {
    case 'X':
      Mark(s.x, i - 1);
      break;
    case 'Y':
      Mark(s.y, i - 1);
      break;
    case 'Z':
      Mark(s.z, i - 1);
      break;
    case 'A':
      if (i >= 2 && t[i - 2] == ' ') Mark(s.a, i - 2);
      break;
    case 'B':
      if (i >= 2 && t[i - 2] == ' ') Mark(s.b, i - 2);
      break;
    case 'C':
      if (i >= 2 && t[i - 2] == ' ') Mark(s.c, i - 2);
      break;
    case 'E':
      if (Ends(t, i, kColore)) Mark(s.color, i - 6);
      break;
    case 'S':
      if (Ends(t, i, kVerticesWord)) Mark(s.vertices, i - 8);
      if (Ends(t, i, kFacesWord)) Mark(s.faces, i - 5);
      break;
    default:
      break;
  }
}

// Finds the keywords that end in a colon from the colons alone.
ScannedLine ScanLine(const std::string& line) {
  ScannedLine s;
  s.t = line;
  const auto n = static_cast<int32_t>(line.size());
  const char* in = line.data();
  int32_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time; the last part of a line of sixteen bytes or more
  // is the line's last sixteen, less the bytes already looked at.
  const __m128i colon = _mm_set1_epi8(':');
  auto colonsAt = [&](int32_t at) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, colon)));
  };
  for (; i + 16 <= n; i += 16) {
    for (uint32_t m = colonsAt(i); m != 0; m &= m - 1) MarkColon(s, i + std::countr_zero(m));
  }
  if (i < n && n >= 16) {
    const int32_t at = n - 16;
    for (uint32_t m = colonsAt(at) >> (i - at) << (i - at); m != 0; m &= m - 1)
      MarkColon(s, at + std::countr_zero(m));
    i = n;
  }
#endif
  for (; i < n; ++i) {
    if (in[i] == ':') MarkColon(s, i);
  }
  return s;
}

// The text after the keyword found at position at, to the end of the line.
[[gnu::always_inline]] inline std::string_view RestAfter(const ScannedLine& l, int32_t at,
                                                         const Keyword& keyword) {
  return l.t.substr(at + keyword.length);
}

// The number right after the keyword found at position at plus offset,
// rounded once to float. A whole number (at most 18 digits) and the offset
// add exactly as 64-bit integers, so the one rounding is the conversion's;
// any other number is added in extended precision, which holds the sum of a
// whole offset and the number's value as exactly as the value itself.
[[gnu::always_inline]] inline float CoordinateAfter(const ScannedLine& l, int32_t at,
                                                    const Keyword& keyword, int32_t offset) {
  int64_t whole = 0;
  if (ParseWholeNumber(RestAfter(l, at, keyword), whole)) return static_cast<float>(whole + offset);
  return static_cast<float>(static_cast<long double>(offset) +
                            ParseNumber(RestAfter(l, at, keyword)));
}

// The number after the keyword plus base, rounded to a 32-bit integer (ties to
// even, out of range as RoundToInt gives it).
[[gnu::always_inline]] inline int32_t IntegerAfter(const ScannedLine& l, int32_t at,
                                                   const Keyword& keyword, int32_t base = 0) {
  int64_t whole = 0;
  if (ParseWholeNumber(RestAfter(l, at, keyword), whole)) {
    const int64_t sum = whole + base;
    if (sum >= INT32_MIN && sum <= INT32_MAX) return static_cast<int32_t>(sum);
    return RoundToInt(static_cast<long double>(sum));
  }
  return RoundToInt(static_cast<long double>(base) + ParseNumber(RestAfter(l, at, keyword)));
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
  [[maybe_unused]] const bool shrunk = ResizeMeshArrays(s, r.V, r.F);
  assert(shrunk);  // shrinking only: cannot fail
  r.inObject = false;
  r.vertexOpen = false;
  r.faceOpen = false;
}

void StartObject(MeshStore& s, ReaderState& r, const ScannedLine& l) {
  if (r.inObject) DropObject(s, r);
  r.vertexOpen = false;
  r.faceOpen = false;
  if (l.vertices == kNone || l.faces == kNone) return;
  const int32_t n = IntegerAfter(l, l.vertices, kVertices);
  const int32_t m = IntegerAfter(l, l.faces, kFaces);
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

void ReadVertex(MeshStore& s, ReaderState& r, const ScannedLine& l, int32_t offsetX,
                int32_t offsetY, int32_t offsetZ) {
  const int32_t number = FindKeyword(l.t, kVertexBlank);
  if (number == kNone || l.x == kNone || l.y == kNone || l.z == kNone) return;
  const int32_t k = IntegerAfter(l, number, kVertexBlank);
  if (k < 0 || k >= r.N) return;
  Vertex& v = s.Vertices[r.V + k];
  v.X = CoordinateAfter(l, l.x, kX, offsetX);
  v.Y = CoordinateAfter(l, l.y, kY, offsetY);
  v.Z = CoordinateAfter(l, l.z, kZ, offsetZ);
  // The list ends at the line numbered count - 1, however many lines came before.
  if (k == s.VertexCount - 1) {
    r.vertexOpen = false;
    s.VertexCount = r.V + k + 1;
    r.verticesDone = true;
  }
}

// Scene-wide index of a corner: the base plus the local number, the sum rounded
// (ties to even); -1 when it is not one of the object's vertices.
[[gnu::always_inline]] inline int32_t Corner(const ScannedLine& l, int32_t at,
                                             const Keyword& keyword, const ReaderState& r) {
  const int32_t c = IntegerAfter(l, at, keyword, r.V);
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

void ReadFace(MeshStore& s, ReaderState& r, const ScannedLine& l, int32_t defaultColor) {
  const int32_t number = FindKeyword(l.t, kFaceBlank);
  if (number == kNone || l.a == kNone || l.b == kNone || l.c == kNone) return;
  const int32_t k = IntegerAfter(l, number, kFaceBlank);
  if (k < 0 || k >= r.M) return;
  const bool closes = k == r.M - 1;
  if (closes && !r.verticesDone) return;
  const int32_t a = Corner(l, l.a, kA, r);
  const int32_t b = Corner(l, l.b, kB, r);
  const int32_t c = Corner(l, l.c, kC, r);
  if (a < 0 || b < 0 || c < 0) return;
  const int32_t color = l.color == kNone ? defaultColor : IntegerAfter(l, l.color, kColoreColon);
  Face& face = s.Faces[r.F + k];
  face.A = a;
  face.B = b;
  face.C = c;
  SplitColor(color, face.Red, face.Green, face.Blue);
  if (closes) CompleteObject(s, r);
}

}  // namespace

void ReadMeshText(MeshStore& store, int32_t OffsetX, int32_t OffsetY, int32_t OffsetZ,
                  int32_t DefaultColor) {
  const int64_t lastIndex = static_cast<int64_t>(store.MeshLines.size()) - 1;
  const int64_t last = std::min<int64_t>(store.MeshLastLine, lastIndex);
  ReaderState r;
  r.V = store.VertexCount;
  r.F = store.FaceCount;
  // The three tests run one after another on the same line, in this order: a
  // line may be a vertex line and a face line at once.
  for (int64_t i = 0; i <= last; ++i) {
    const ScannedLine l = ScanLine(store.MeshLines[i]);
    if (KeywordAt(l.t, 0, kTriMesh)) StartObject(store, r, l);
    if (!r.inObject) continue;
    if (KeywordAt(l.t, 0, kVertexZero)) r.vertexOpen = true;
    if (r.vertexOpen && FindKeyword(l.t, kVertex) != kNone)
      ReadVertex(store, r, l, OffsetX, OffsetY, OffsetZ);
    if (KeywordAt(l.t, 0, kFaceZero)) r.faceOpen = true;
    if (r.faceOpen && FindKeyword(l.t, kFace) != kNone) ReadFace(store, r, l, DefaultColor);
  }
  if (r.inObject) DropObject(store, r);
}

}  // namespace life3d
