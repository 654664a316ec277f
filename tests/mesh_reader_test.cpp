#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mesh/reader.h"
#include "mesh/shapes.h"
#include "tests/support/upper_case.h"
#include "text/text.h"

namespace life3d {
namespace {

using Lines = std::vector<std::string>;

void Read(MeshStore& s, const Lines& lines, int32_t ox = 0, int32_t oy = 0, int32_t oz = 0,
          int32_t color = 7) {
  for (size_t i = 0; i < lines.size(); ++i) s.MeshLines[i] = lines[i];
  s.MeshLastLine = static_cast<int32_t>(lines.size()) - 1;
  ReadMeshText(s, ox, oy, oz, color);
}

// What every reader call must leave behind, whatever the text: arrays one
// element longer than the counts (or not created yet), corners inside the store.
void ExpectSound(const MeshStore& s) {
  ASSERT_GE(s.VertexCount, 0);
  ASSERT_GE(s.FaceCount, 0);
  if (s.Faces.empty()) {
    EXPECT_EQ(s.FaceCount, 0);
  } else {
    EXPECT_EQ(s.Vertices.size(), s.VertexCount + 1u);
    EXPECT_EQ(s.ModelVertices.size(), s.VertexCount + 1u);
    EXPECT_EQ(s.ScreenPoints.size(), s.VertexCount + 1u);
    EXPECT_EQ(s.Faces.size(), s.FaceCount + 1u);
    EXPECT_EQ(s.FaceDepth.size(), s.FaceCount + 1u);
    EXPECT_EQ(s.FaceOrder.size(), s.FaceCount + 1u);
  }
  for (int32_t f = 0; f < s.FaceCount; ++f) {
    for (int32_t c : {s.Faces[f].A, s.Faces[f].B, s.Faces[f].C}) {
      ASSERT_TRUE(c >= 0 && c < s.VertexCount) << "face " << f << " corner " << c;
    }
  }
}

const Lines kTriangle = {"Tri-mesh, Vertices: 3 Faces: 1", "Vertex 0: X: 1 Y: 2 Z: 3",
                         "Vertex 1: X: 4 Y: 5 Z: 6", "Vertex 2: X: 7 Y: 8 Z: 9",
                         "Face 0: A:0 B:1 C:2 colore: 65280"};

TEST(ReadMeshText, RectangleExampleIsRebasedAfterABox) {
  MeshStore s;
  const float box[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 1};
  MakeBox(s, box, 255);
  Read(s, {"Named Object: \"Rettangolo\"", "Tri-mesh, Vertices: 4     Faces: 4",
           "Vertex 0: X: 20 Y: 20 Z: 0", "Vertex 1: X: 60 Y: 20 Z: 0", "Vertex 2: X: 60 Y: 60 Z: 0",
           "Vertex 3: X: 20 Y: 60 Z: 0", "Face 0:   A:0 B:1 C:2 colore: 16777060",
           "Face 1:   A:2 B:1 C:0 colore: 16777215", "Face 2:   A:0 B:2 C:3 colore: 16777060",
           "Face 3:   A:0 B:3 C:2 colore: 16777215"});
  EXPECT_EQ(s.VertexCount, 12);
  EXPECT_EQ(s.FaceCount, 16);
  const int32_t corners[4][3] = {{8, 9, 10}, {10, 9, 8}, {8, 10, 11}, {8, 11, 10}};
  for (int f = 0; f < 4; ++f) {
    const Face& face = s.Faces[12 + f];
    EXPECT_EQ(face.A, corners[f][0]);
    EXPECT_EQ(face.B, corners[f][1]);
    EXPECT_EQ(face.C, corners[f][2]);
    EXPECT_EQ(face.Red, f % 2 == 0 ? 100 : 255);
    EXPECT_EQ(face.Green, 255);
    EXPECT_EQ(face.Blue, 255);
  }
  EXPECT_EQ(s.Vertices[11].X, 20);
  EXPECT_EQ(s.Vertices[11].Y, 60);
  ExpectSound(s);
}

struct ReadResult {
  int32_t vertices, faces;  // counts afterwards (the store starts with 1 vertex, 1 face)
  float x, y, z;            // vertex 1, the first one read
  int32_t a, b, c;          // corners of face 1
  int red, green, blue;     // color of face 1
};

struct ReadCase {
  const char* name;
  Lines lines;
  int32_t offsetX;
  ReadResult result;
};

// The store holds one vertex and one face before each case, so corners show the rebasing.
TEST(ReadMeshText, ToleratesCaseOrderAndExtraTextAndRounds) {
  const ReadCase cases[] = {
      {"canonical", kTriangle, 0, {4, 2, 1, 2, 3, 1, 2, 3, 0, 255, 0}},
      {"mixed case",
       {"tri-mesh, vertices: 3 faces: 1", "vertex 0: x: 1 y: 2 z: 3", "VeRtEx 1: x: 4 y: 5 z: 6",
        "vertex 2: x: 7 y: 8 z: 9", "face 0: a:0 b:1 c:2 colore: 65280"},
       0,
       {4, 2, 1, 2, 3, 1, 2, 3, 0, 255, 0}},
      {"bytes above 127 between the fields",
       {"tri-mesh, \x84\x94vertices: 3 faces: 1", "vertex 0:\x87\xff x: 1 y: 2 z: 3 \x81\x82\xa4",
        "vertex 1: \x86X: 4 y: 5 z: 6",
        "vertex 2: x: 7 y: 8 z:\x20"
        "9",
        "face 0: a:0 b:1 \xba"
        "c:2 "
        "\x8e\x99 c:2 colore: 65280"},
       0,
       {4, 2, 1, 2, 3, 1, 2, 3, 0, 255, 0}},
      {"fields in any order, first occurrence wins, extra text",
       {"junk", "Tri-mesh, Faces: 1 Vertices: 3", "Vertex 0: Z: 3 Y: 2 X: 1 X: 9 trailing",
        "Vertex 2: X: 7 Y: 8 Z: 9", "Face 0: colore: 255 C:0 B:2 A:1 B:0"},
       0,
       {4, 2, 1, 2, 3, 2, 3, 1, 255, 0, 0}},
      {"keywords at the very end of a line, a number cut by a NUL byte",
       {"Tri-mesh, Vertices: 1 Faces:1", "Vertex 0: X: 1 Y: 2 Z:",
        std::string("Face 0: A:0 B:0 C:0 colore: 2\0"
                    "55",
                    32)},
       0,
       {2, 2, 1, 2, 0, 1, 1, 1, 2, 0, 0}},
      {"missing colore takes the default color",
       {"Tri-mesh, Vertices: 1 Faces: 1", "Vertex 0: X: 1 Y: 2 Z: 3", "Face 0: A:0 B:0 C:0"},
       0,
       {2, 2, 1, 2, 3, 1, 1, 1, 7, 0, 0}},
      {"offset added to the coordinate",
       {"Tri-mesh, Vertices: 1 Faces: 1", "Vertex 0: X:-20 Y: 2 Z: 3", "Face 0: A:0 B:0 C:0"},
       100,
       {2, 2, 80, 2, 3, 1, 1, 1, 7, 0, 0}},
      {"offset and coordinate summed before one rounding to float",
       {"Tri-mesh, Vertices: 1 Faces: 1", "Vertex 0: X: 5.96046447762579867E-8 Y: 2 Z: 3",
        "Face 0: A:0 B:0 C:0"},
       1,
       {2, 2, 1.00000011920928955f, 2, 3, 1, 1, 1, 7, 0, 0}},
      {"counts round half to even: 2.5 is 2, 3.5 is 4",
       {"Tri-mesh, Vertices: 2.5 Faces: 3.5", "Vertex 0: X: 1 Y: 2 Z: 3",
        "Vertex 1: X: 4 Y: 5 Z: 6", "Face 0: A:0 B:0 C:0", "Face 3: A:0 B:1 C:1"},
       0,
       {3, 5, 1, 2, 3, 1, 1, 1, 7, 0, 0}},
      {"the base is added before rounding: 1 + 1.5 is 2, 1 + 0.5 is 2",
       {"Tri-mesh, Vertices: 2 Faces: 1", "Vertex 0: X: 1 Y: 2 Z: 3", "Vertex 1: X: 4 Y: 5 Z: 6",
        "Face 0: A:1.5 B:0.5 C:.4"},
       0,
       {3, 2, 1, 2, 3, 2, 2, 1, 7, 0, 0}},
      {"a list ends at its highest number, not by counting lines",
       {"Tri-mesh, Vertices: 3 Faces: 1", "Vertex 0: X: 1 Y: 2 Z: 3", "Vertex 2: X: 7 Y: 8 Z: 9",
        "Face 0: A:0 B:2 C:2"},
       0,
       {4, 2, 1, 2, 3, 1, 3, 3, 7, 0, 0}},
      {"faces may start before the vertex list ends",
       {"Tri-mesh, Vertices: 3 Faces: 2", "Face 0: A:0 B:1 C:2", "Vertex 0: X: 1 Y: 2 Z: 3",
        "Vertex 1: X: 4 Y: 5 Z: 6", "Vertex 2: X: 7 Y: 8 Z: 9", "Face 1: A:2 B:1 C:0"},
       0,
       {4, 3, 1, 2, 3, 1, 2, 3, 7, 0, 0}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    MeshStore s;
    Read(s, {"Tri-mesh, Vertices: 1 Faces: 1", "Vertex 0: X:0 Y:0 Z:0", "Face 0: A:0 B:0 C:0"});
    Read(s, c.lines, c.offsetX);
    const ReadResult& e = c.result;
    ASSERT_EQ(s.VertexCount, e.vertices);
    ASSERT_EQ(s.FaceCount, e.faces);
    EXPECT_EQ(s.Vertices[1].X, e.x);
    EXPECT_EQ(s.Vertices[1].Y, e.y);
    EXPECT_EQ(s.Vertices[1].Z, e.z);
    EXPECT_EQ(s.Faces[1].A, e.a);
    EXPECT_EQ(s.Faces[1].B, e.b);
    EXPECT_EQ(s.Faces[1].C, e.c);
    EXPECT_EQ(s.Faces[1].Red, e.red);
    EXPECT_EQ(s.Faces[1].Green, e.green);
    EXPECT_EQ(s.Faces[1].Blue, e.blue);
    ExpectSound(s);
  }
}

// A coordinate is the offset plus ParseNumber of the rest of the line after
// "X:"; a color is that number rounded to 32 bits; whatever the number text.
TEST(ReadMeshText, ReadsEveryNumberFormAsParseNumberDoes) {
  const char* texts[] = {"20",
                         " 20",
                         "-20",
                         "-0",
                         "+7",
                         "007",
                         "2.5",
                         "-.5",
                         "1E1",
                         "1e1",
                         "12D1",
                         "5 6",
                         "3.",
                         ".",
                         "-",
                         "",
                         "\r5",
                         " \t\n9",
                         "&H1F",
                         "&hff",
                         "16777215",
                         "2147483648",
                         "-2147483649",
                         "123456789012345678",
                         "1234567890123456789",
                         "99999999999999999999999",
                         "1E999",
                         "7x"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const std::string rest = std::string(text) + " Y: 0 Z: 0";
    MeshStore s;
    Read(s,
         {"Tri-mesh, Vertices: 1 Faces: 1", "Vertex 0: X:" + rest,
          "Face 0: A:0 B:0 C:0 colore:" + std::string(text)},
         3);
    ASSERT_EQ(s.FaceCount, 1);
    EXPECT_EQ(s.Vertices[0].X, static_cast<float>(3 + ParseNumber(UpperCase(rest))));
    uint8_t red, green, blue;
    SplitColor(RoundToInt(ParseNumber(UpperCase(text))), red, green, blue);
    EXPECT_EQ(s.Faces[0].Red, red);
    EXPECT_EQ(s.Faces[0].Green, green);
    EXPECT_EQ(s.Faces[0].Blue, blue);
  }
}

TEST(ReadMeshText, TwoObjectsInOneCallAreRebasedOneAfterTheOther) {
  MeshStore s;
  Read(s, {"Tri-mesh, Vertices: 2 Faces: 1", "Vertex 0: X:0 Y:0 Z:0", "Vertex 1: X:0 Y:0 Z:0",
           "Face 0: A:0 B:1 C:1"});
  Lines two = kTriangle;
  two.insert(two.end(), kTriangle.begin(), kTriangle.end());
  Read(s, two);
  EXPECT_EQ(s.VertexCount, 8);
  EXPECT_EQ(s.FaceCount, 3);
  EXPECT_EQ(s.Faces[1].A, 2);
  EXPECT_EQ(s.Faces[2].A, 5);
  EXPECT_EQ(s.Faces[2].C, 7);
  EXPECT_EQ(s.Vertices[7].Z, 9);
  ExpectSound(s);
}

// Texts no generator writes, read into a store that already holds a triangle.
struct BadCase {
  const char* name;
  Lines lines;
  int32_t vertices, faces;  // counts afterwards
};

TEST(ReadMeshText, MalformedTextNeverLeavesABrokenStore) {
  const std::string t = "Tri-mesh, Vertices: 3 Faces: 1";
  const std::string v0 = "Vertex 0: X:1 Y:1 Z:1", v1 = "Vertex 1: X:1 Y:1 Z:1",
                    v2 = "Vertex 2: X:1 Y:1 Z:1", f0 = "Face 0: A:0 B:1 C:2";
  const BadCase cases[] = {
      {"a leading blank is no header", {" " + t, v0, v1, v2, f0}, 3, 1},
      {"a leading blank does not open the vertex list", {t, " " + v0, v1, v2, f0}, 3, 1},
      {"Face 10 does not open the face list",
       {"Tri-mesh, Vertices: 3 Faces: 11", v0, v1, v2, "Face 10: A:0 B:1 C:2"},
       3,
       1},
      {"vertex numbers out of range are skipped",
       {t, v0, "Vertex 3: X:1 Y:1 Z:1", "Vertex -1: X:1 Y:1 Z:1", v1, v2, f0},
       6,
       2},
      {"the out-of-range closing vertex never closes the list",
       {t, v0, v1, "Vertex 3: X:1 Y:1 Z:1", f0},
       3,
       1},
      {"face numbers out of range are skipped",
       {"Tri-mesh, Vertices: 3 Faces: 2", v0, v1, v2, f0, "Face 2: A:0 B:1 C:2",
        "Face -1: A:0 B:1 C:2", "Face 1: A:0 B:1 C:2"},
       6,
       3},
      {"a corner out of range skips the line", {t, v0, v1, v2, "Face 0: A:0 B:1 C:3"}, 3, 1},
      {"a negative corner skips the line", {t, v0, v1, v2, "Face 0: A:-1 B:1 C:2"}, 3, 1},
      {"a vertex line without Z:", {t, v0, v1, "Vertex 2: X:1 Y:1", f0}, 3, 1},
      {"a vertex line without VERTEX and a blank", {t, v0, v1, "Vertex:2 X:1 Y:1 Z:1", f0}, 3, 1},
      {"a face line without the blank before A:", {t, v0, v1, v2, "Face 0:A:0 B:1 C:2"}, 3, 1},
      {"a face line without FACE and a blank",
       {t, v0, v1, v2, "Face 0", "Face:0 A:0 B:1 C:2"},
       3,
       1},
      {"a face list that never ends", {"Tri-mesh, Vertices: 3 Faces: 2", v0, v1, v2, f0}, 3, 1},
      {"a face list that ends before the vertex list", {t, v0, v1, f0, v2}, 3, 1},
      {"a face list that ends before a longer vertex list",
       {"Tri-mesh, Vertices: 5 Faces: 1", v0, v1, v2, "Vertex 3: X:1 Y:1 Z:1",
        "Face 0: A:0 B:0 C:0", "Vertex 4: X:1 Y:1 Z:1"},
       3,
       1},
      {"a header inside an open list drops the open object",
       {t, v0, v1, "Tri-mesh, Vertices: 1 Faces: 1", v0, "Face 0: A:0 B:0 C:0"},
       4,
       2},
      {"vertex and face lines before any header", {v0, v1, v2, f0}, 3, 1},
      {"N = 0", {"Tri-mesh, Vertices: 0 Faces: 1", f0}, 3, 1},
      {"M = 0", {"Tri-mesh, Vertices: 3 Faces: 0", v0, v1, v2}, 3, 1},
      {"no VERTICES:", {"Tri-mesh, Faces: 1", v0, v1, v2, f0}, 3, 1},
      {"no FACES:", {"Tri-mesh, Vertices: 3", v0, v1, v2, f0}, 3, 1},
      {"negative count", {"Tri-mesh, Vertices: -3 Faces: 1", v0, v1, v2, f0}, 3, 1},
      {"non-numeric count", {"Tri-mesh, Vertices: three Faces: 1", v0, v1, v2, f0}, 3, 1},
      {"count beyond 32 bits", {"Tri-mesh, Vertices: 3E9 Faces: 1", v0, v1, v2, f0}, 3, 1},
      {"count beyond any range", {"Tri-mesh, Vertices: 1E99999 Faces: 1", v0, v1, v2, f0}, 3, 1},
      {"2e9 vertices are not allocated",
       {"Tri-mesh, Vertices: 2E9 Faces: 1", v0, "Vertex 1999999999: X:1 Y:1 Z:1", f0},
       3,
       1},
      {"a scene beyond the vertex limit",
       {"Tri-mesh, Vertices: 98302 Faces: 1", v0, "Vertex 98301: X:1 Y:1 Z:1", f0},
       3,
       1},
      {"a scene at the vertex limit",
       {"Tri-mesh, Vertices: 98301 Faces: 1", v0, "Vertex 98300: X:1 Y:1 Z:1", f0},
       98304,
       2},
      {"a scene beyond the face limit",
       {"Tri-mesh, Vertices: 3 Faces: 32768", v0, v1, v2, "Face 32767: A:0 B:1 C:2"},
       3,
       1},
      {"a scene at the face limit",
       {"Tri-mesh, Vertices: 3 Faces: 32767", v0, v1, v2, f0, "Face 32766: A:0 B:1 C:2"},
       6,
       32768},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    MeshStore s;
    Read(s, kTriangle);
    Read(s, c.lines);
    EXPECT_EQ(s.VertexCount, c.vertices);
    EXPECT_EQ(s.FaceCount, c.faces);
    ExpectSound(s);
  }
}

TEST(ReadMeshText, FacesLeftOverFromALargerSceneCannotPointOutside) {
  MeshStore s;
  for (int i = 0; i < 4; ++i) Read(s, kTriangle);  // faces 0..3, corners up to 11
  ResetScene(s);
  // Face 1 is never written: a stale face pointing at vertex 5 would be kept.
  const Lines skipsFace1 = {"Tri-mesh, Vertices: 3 Faces: 3", "Vertex 0: X:1 Y:1 Z:1",
                            "Vertex 2: X:1 Y:1 Z:1", "Face 0: A:0 B:1 C:2", "Face 2: A:0 B:1 C:2"};
  Read(s, skipsFace1);
  EXPECT_EQ(s.VertexCount, 0);
  EXPECT_EQ(s.FaceCount, 0);
  ExpectSound(s);
  // The same text on fresh arrays is complete: the unwritten face is all zero.
  MeshStore fresh;
  Read(fresh, skipsFace1);
  EXPECT_EQ(fresh.FaceCount, 3);
  ExpectSound(fresh);
}

TEST(ReadMeshText, LastLineIsClampedToTheBuffer) {
  const struct {
    int32_t lastLine;
    int32_t vertices;
  } cases[] = {{-1, 0}, {-2147483647 - 1, 0}, {100000, 3}, {100001, 3}, {2147483647, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lastLine);
    MeshStore s;
    for (size_t i = 0; i < kTriangle.size(); ++i)
      s.MeshLines[kMeshLinesLast - 4 + i] = kTriangle[i];
    s.MeshLastLine = c.lastLine;
    ReadMeshText(s, 0, 0, 0, 0);
    EXPECT_EQ(s.VertexCount, c.vertices);
    ExpectSound(s);
  }
}

}  // namespace
}  // namespace life3d
