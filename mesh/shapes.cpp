#include "mesh/shapes.h"

#include <array>
#include <cassert>
#include <cstring>
#include <string>
#include <string_view>

#include "mesh/reader.h"
#include "text/text.h"

namespace life3d {

namespace {

// Digit counts of the number texts: floats with 7 significant digits, 32-bit
// integers (vertex numbers, colors) with 15 so that a color is never written
// in exponent form, and whole-number constants with 7.
constexpr int kFloatDigits = 7;
constexpr int kIntegerDigits = 15;
constexpr int kConstantDigits = 7;

// A number's text in a buffer of kNumberTextMax bytes: what LineBuilder
// copies whole, so the copy never reads past the buffer it comes from.
struct NumberText {
  char text[kNumberTextMax];
  int length = 0;
};

NumberText FormatNumberText(double x, int digits) {
  NumberText number;
  number.length = FormatNumberTo(number.text, x, digits);
  return number;
}

// A line is put together on the stack and assigned in one go: the strings of
// MeshLines keep their capacity, so writing a shape does not touch the heap
// once the lines have grown.
struct LineBuilder {
  char text[4 * kNumberTextMax + 64];
  int length = 0;
  void Add(std::string_view s) {
    assert(length + s.size() <= sizeof text);
    std::memcpy(text + length, s.data(), s.size());
    length += static_cast<int>(s.size());
  }
  // Copied whole, a fixed size the compiler turns into two moves, then cut
  // to its length.
  void AddNumber(const NumberText& number) {
    assert(length + kNumberTextMax <= static_cast<int>(sizeof text));
    assert(number.length >= 0 && number.length <= kNumberTextMax);
    std::memcpy(text + length, number.text, kNumberTextMax);
    length += number.length;
  }
  // A number formatted in place.
  void AddNumber(double x, int digits) {
    assert(length + kNumberTextMax <= static_cast<int>(sizeof text));
    length += FormatNumberTo(text + length, x, digits);
  }
  void AssignTo(std::string& line) const { line.assign(text, length); }
};

// " 0" to " 7": vertex numbers as 32-bit integers.
const NumberText& VertexNumber(int i) {
  assert(i >= 0 && i < 8);
  static const auto texts = [] {
    std::array<NumberText, 8> t{};
    for (int k = 0; k < 8; ++k) t[k] = FormatNumberText(k, kIntegerDigits);
    return t;
  }();
  return texts[i];
}

void WriteHeader(std::string& line, std::string_view counts, int faces) {
  LineBuilder b;
  b.Add(counts);
  b.AddNumber(FormatNumberText(faces, kConstantDigits));
  b.AssignTo(line);
}

void WriteVertex(std::string& line, int index, const float v[3]) {
  LineBuilder b;
  b.Add("Vertex");
  b.AddNumber(VertexNumber(index));
  b.Add(": X:");
  b.AddNumber(v[0], kFloatDigits);
  b.Add(" Y:");
  b.AddNumber(v[1], kFloatDigits);
  b.Add(" Z:");
  b.AddNumber(v[2], kFloatDigits);
  b.AssignTo(line);
}

void WriteFace(std::string& line, std::string_view text, const NumberText& color) {
  LineBuilder b;
  b.Add(text);
  b.AddNumber(color);
  b.AssignTo(line);
}

// What the generators' well-formed text makes of a shape of the given counts
// appended at the given bases: the whole shape, every corner of its faces
// among its own vertices, or nothing at all (the scene at its limit, or no
// memory for it).
[[maybe_unused]] bool AppendedWholeOrNothing(const MeshStore& store, int32_t vertexBase,
                                             int32_t faceBase, int32_t vertices, int32_t faces) {
  if (store.VertexCount == vertexBase && store.FaceCount == faceBase) return true;
  if (store.VertexCount != vertexBase + vertices || store.FaceCount != faceBase + faces)
    return false;
  for (int32_t f = faceBase; f < store.FaceCount; ++f) {
    const Face& face = store.Faces[f];
    const int32_t corners[3] = {face.A, face.B, face.C};
    for (const int32_t corner : corners) {
      if (corner < vertexBase || corner >= store.VertexCount) return false;
    }
  }
  return true;
}

// a + b - c coordinate by coordinate, left to right in float.
void Combine(float out[3], const float a[3], const float b[3], const float c[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + b[k] - c[k];
}

}  // namespace

void MakeRectangle(MeshStore& store, const float points[9], int32_t FrontColor, int32_t BackColor) {
  float v[4][3];
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) v[i][k] = points[3 * i + k];
  }
  Combine(v[3], v[2], v[0], v[1]);  // the corner opposite P1

  const NumberText frontText = FormatNumberText(FrontColor, kIntegerDigits);
  const NumberText backText = FormatNumberText(BackColor, kIntegerDigits);

  auto& lines = store.MeshLines;
  assert(lines.size() > 9);
  lines[0].assign("Named Object: \"Rettangolo\"");
  WriteHeader(lines[1], "Tri-mesh, Vertices: 4     Faces:", 4);
  for (int i = 0; i < 4; ++i) WriteVertex(lines[2 + i], i, v[i]);
  // Faces 0 and 2 run P0, P1, P2 and face the front; 1 and 3 are the same
  // triangles wound the other way.
  WriteFace(lines[6], "Face 0:   A:0 B:1 C:2 colore:", frontText);
  WriteFace(lines[7], "Face 1:   A:2 B:1 C:0 colore:", backText);
  WriteFace(lines[8], "Face 2:   A:0 B:2 C:3 colore:", frontText);
  WriteFace(lines[9], "Face 3:   A:0 B:3 C:2 colore:", backText);
  store.MeshLastLine = 9;
  [[maybe_unused]] const int32_t vertexBase = store.VertexCount, faceBase = store.FaceCount;
  ReadMeshText(store, 0, 0, 0, FrontColor);
  assert(AppendedWholeOrNothing(store, vertexBase, faceBase, 4, 4));
}

void MakeBox(MeshStore& store, const float points[12], int32_t Color) {
  // Vertices 0..3 are the base, 4..7 the top; each derived corner is computed
  // from the vertices already rounded to float, in this order.
  float v[8][3];
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) v[i][k] = points[3 * i + k];
  }
  for (int k = 0; k < 3; ++k) v[4][k] = points[9 + k];
  Combine(v[3], v[2], v[0], v[1]);
  Combine(v[5], v[1], v[4], v[2]);
  Combine(v[6], v[5], v[0], v[1]);
  Combine(v[7], v[4], v[6], v[5]);

  static constexpr std::string_view kFaces[12] = {
      "Face 0: A:1 B:0 C:3 colore:", "Face 1: A:2 B:1 C:3 colore:",  "Face 2: A:5 B:1 C:2 colore:",
      "Face 3: A:4 B:5 C:2 colore:", "Face 4: A:5 B:4 C:7 colore:",  "Face 5: A:5 B:7 C:6 colore:",
      "Face 6: A:6 B:3 C:0 colore:", "Face 7: A:6 B:7 C:3 colore:",  "Face 8: A:0 B:1 C:6 colore:",
      "Face 9: A:1 B:5 C:6 colore:", "Face 10: A:3 B:7 C:2 colore:", "Face 11: A:4 B:2 C:7 colore:",
  };

  const NumberText colorText = FormatNumberText(Color, kIntegerDigits);

  auto& lines = store.MeshLines;
  assert(lines.size() > 21);
  lines[0].assign("Named Object: \"Parallelepipedo\"");
  WriteHeader(lines[1], "Tri-mesh, Vertices: 8     Faces:", 12);
  for (int i = 0; i < 8; ++i) WriteVertex(lines[2 + i], i, v[i]);
  for (int f = 0; f < 12; ++f) WriteFace(lines[10 + f], kFaces[f], colorText);
  store.MeshLastLine = 21;
  [[maybe_unused]] const int32_t vertexBase = store.VertexCount, faceBase = store.FaceCount;
  ReadMeshText(store, 0, 0, 0, Color);
  assert(AppendedWholeOrNothing(store, vertexBase, faceBase, 8, 12));
}

}  // namespace life3d
