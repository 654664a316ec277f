#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "mesh/shapes.h"

namespace life3d {
namespace {

const float kTile[9] = {20, 20, 0, 60, 20, 0, 60, 60, 0};
const float kBox[12] = {20, 20, 0, 60, 20, 0, 60, 60, 0, 60, 60, 20};

std::vector<std::string> LinesOf(const MeshStore& s, int first, int last) {
  return std::vector<std::string>(s.MeshLines.begin() + first, s.MeshLines.begin() + last + 1);
}

const std::vector<std::string> kTileLines = {
    "Named Object: \"Rettangolo\"",
    "Tri-mesh, Vertices: 4     Faces: 4",
    "Vertex 0: X: 20 Y: 20 Z: 0",
    "Vertex 1: X: 60 Y: 20 Z: 0",
    "Vertex 2: X: 60 Y: 60 Z: 0",
    "Vertex 3: X: 20 Y: 60 Z: 0",
    "Face 0:   A:0 B:1 C:2 colore: 16777060",
    "Face 1:   A:2 B:1 C:0 colore: 16777215",
    "Face 2:   A:0 B:2 C:3 colore: 16777060",
    "Face 3:   A:0 B:3 C:2 colore: 16777215",
};

const std::vector<std::string> kBoxLines = {
    "Named Object: \"Parallelepipedo\"",
    "Tri-mesh, Vertices: 8     Faces: 12",
    "Vertex 0: X: 20 Y: 20 Z: 0",
    "Vertex 1: X: 60 Y: 20 Z: 0",
    "Vertex 2: X: 60 Y: 60 Z: 0",
    "Vertex 3: X: 20 Y: 60 Z: 0",
    "Vertex 4: X: 60 Y: 60 Z: 20",
    "Vertex 5: X: 60 Y: 20 Z: 20",
    "Vertex 6: X: 20 Y: 20 Z: 20",
    "Vertex 7: X: 20 Y: 60 Z: 20",
    "Face 0: A:1 B:0 C:3 colore: 16777215",
    "Face 1: A:2 B:1 C:3 colore: 16777215",
    "Face 2: A:5 B:1 C:2 colore: 16777215",
    "Face 3: A:4 B:5 C:2 colore: 16777215",
    "Face 4: A:5 B:4 C:7 colore: 16777215",
    "Face 5: A:5 B:7 C:6 colore: 16777215",
    "Face 6: A:6 B:3 C:0 colore: 16777215",
    "Face 7: A:6 B:7 C:3 colore: 16777215",
    "Face 8: A:0 B:1 C:6 colore: 16777215",
    "Face 9: A:1 B:5 C:6 colore: 16777215",
    "Face 10: A:3 B:7 C:2 colore: 16777215",
    "Face 11: A:4 B:2 C:7 colore: 16777215",
};

TEST(MakeRectangle, WritesTheTileTextAndAppendsIt) {
  MeshStore s;
  MakeRectangle(s, kTile, 16777060, 16777215);
  EXPECT_EQ(LinesOf(s, 0, 9), kTileLines);
  EXPECT_EQ(s.MeshLastLine, 9);
  EXPECT_EQ(s.VertexCount, 4);
  EXPECT_EQ(s.FaceCount, 4);
  EXPECT_EQ(s.Vertices[3].X, 20);
  EXPECT_EQ(s.Vertices[3].Y, 60);
}

TEST(MakeBox, WritesTheBoxTextAndAppendsIt) {
  MeshStore s;
  MakeBox(s, kBox, 16777215);
  EXPECT_EQ(LinesOf(s, 0, 21), kBoxLines);
  EXPECT_EQ(s.MeshLastLine, 21);
  EXPECT_EQ(s.VertexCount, 8);
  EXPECT_EQ(s.FaceCount, 12);
  EXPECT_EQ(s.Vertices[7].X, 20);
  EXPECT_EQ(s.Vertices[7].Z, 20);
}

TEST(MakeRectangle, WritesNumbersAsNumberText) {
  const struct {
    float x;
    int32_t color;
    const char* vertexLine;
    const char* faceLine;
  } cases[] = {
      {-20, 255, "Vertex 0: X:-20 Y: 20 Z: 0", "Face 0:   A:0 B:1 C:2 colore: 255"},
      {0.5f, -1, "Vertex 0: X: .5 Y: 20 Z: 0", "Face 0:   A:0 B:1 C:2 colore:-1"},
      {12345678, 0, "Vertex 0: X: 1.234568E+7 Y: 20 Z: 0", "Face 0:   A:0 B:1 C:2 colore: 0"},
      {-0.0f, 2147483647, "Vertex 0: X: 0 Y: 20 Z: 0", "Face 0:   A:0 B:1 C:2 colore: 2147483647"},
  };
  for (const auto& c : cases) {
    MeshStore s;
    const float points[9] = {c.x, 20, 0, 60, 20, 0, 60, 60, 0};
    MakeRectangle(s, points, c.color, 1);
    EXPECT_EQ(s.MeshLines[2], c.vertexLine);
    EXPECT_EQ(s.MeshLines[6], c.faceLine);
  }
}

TEST(MakeBox, ComputesDerivedCornersInFloatLeftToRight) {
  // Vertex 3 = (V2 + V0) - V1: 1 + 2^-24 rounds to 1 in float before 2^-24 is
  // taken off; exact arithmetic or another order would give 1.
  const float tiny = 5.9604644775390625e-8f;
  const float points[12] = {tiny, 0, 0, tiny, 1, 0, 1, 1, 0, 1, 1, 1};
  MeshStore s;
  MakeBox(s, points, 0);
  EXPECT_EQ(s.MeshLines[5], "Vertex 3: X: .9999999 Y: 0 Z: 0");
}

TEST(MakeRectangle, OverwritesOnlyItsOwnLines) {
  MeshStore s;
  MakeBox(s, kBox, 16777215);
  ResetScene(s);
  MakeRectangle(s, kTile, 16777060, 16777215);
  EXPECT_EQ(LinesOf(s, 0, 9), kTileLines);
  EXPECT_EQ(LinesOf(s, 10, 21), std::vector<std::string>(kBoxLines.begin() + 10, kBoxLines.end()));
  EXPECT_EQ(s.VertexCount, 4);
  EXPECT_EQ(s.FaceCount, 4);
}

// Shapes appended one after another: counts, array sizes and the vertex range
// each new shape's faces refer to.
TEST(MakeBox, AppendsAfterWhatTheStoreHolds) {
  const struct {
    const char* name;
    bool rectangleSecond;
    int32_t vertices, faces;
  } cases[] = {{"box then box", false, 16, 24}, {"box then rectangle", true, 12, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MeshStore s;
    MakeBox(s, kBox, 255);
    EXPECT_EQ(s.Vertices.size(), 9u);
    EXPECT_EQ(s.ScreenPoints.size(), 9u);
    EXPECT_EQ(s.Faces.size(), 13u);
    EXPECT_EQ(s.FaceOrder.size(), 13u);
    if (c.rectangleSecond) {
      MakeRectangle(s, kTile, 1, 2);
    } else {
      MakeBox(s, kBox, 255);
    }
    EXPECT_EQ(s.VertexCount, c.vertices);
    EXPECT_EQ(s.FaceCount, c.faces);
    for (int32_t f = 12; f < s.FaceCount; ++f) {
      for (int32_t corner : {s.Faces[f].A, s.Faces[f].B, s.Faces[f].C}) {
        EXPECT_TRUE(corner >= 8 && corner < c.vertices) << "face " << f;
      }
    }
  }
}

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::array<double, 3> Normal(const MeshStore& s, const Face& f) {
  const Vertex &a = s.Vertices[f.A], &b = s.Vertices[f.B], &c = s.Vertices[f.C];
  const double u[3] = {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
  const double v[3] = {c.X - a.X, c.Y - a.Y, c.Z - a.Z};
  return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Sign of the dot product of each face normal with the direction from the
// box's centre to the face's centre: +1 out, -1 in.
TEST(MakeBox, FaceNormalsPointOutWhenTheHeightIsOnTheBaseNormalSide) {
  const struct {
    const char* name;
    float points[12];
    int outward;
  } cases[] = {
      {"board box, 20 high", {20, 20, 0, 60, 20, 0, 60, 60, 0, 60, 60, 20}, 1},
      {"board box, 40 high", {180, 100, 0, 220, 100, 0, 220, 140, 0, 220, 140, 40}, 1},
      {"skewed", {0, 0, 0, 5, 1, 0, 6, 7, 1, 8, 9, 11}, 1},
      {"height below the base", {20, 20, 0, 60, 20, 0, 60, 60, 0, 60, 60, -20}, -1},
      {"base wound the other way", {60, 60, 0, 60, 20, 0, 20, 20, 0, 20, 20, 20}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MeshStore s;
    MakeBox(s, c.points, 0);
    std::array<double, 3> centre{};
    for (int i = 0; i < 8; ++i) {
      centre[0] += s.Vertices[i].X / 8.0;
      centre[1] += s.Vertices[i].Y / 8.0;
      centre[2] += s.Vertices[i].Z / 8.0;
    }
    for (int f = 0; f < 12; ++f) {
      const Face& face = s.Faces[f];
      const Vertex &a = s.Vertices[face.A], &b = s.Vertices[face.B], &d = s.Vertices[face.C];
      const std::array<double, 3> out = {(a.X + b.X + d.X) / 3.0 - centre[0],
                                         (a.Y + b.Y + d.Y) / 3.0 - centre[1],
                                         (a.Z + b.Z + d.Z) / 3.0 - centre[2]};
      EXPECT_GT(c.outward * Dot(Normal(s, face), out), 0) << "face " << f;
    }
  }
}

TEST(MakeRectangle, FrontFacesRunP0P1P2AndBackFacesTheOtherWay) {
  const float skewed[9] = {0, 0, 0, 5, 1, 2, 6, 7, 1};
  for (const float* points : {kTile, skewed}) {
    MeshStore s;
    MakeRectangle(s, points, 1, 2);
    const std::array<double, 3> p0 = {points[0], points[1], points[2]};
    const std::array<double, 3> u = {points[3] - p0[0], points[4] - p0[1], points[5] - p0[2]};
    const std::array<double, 3> v = {points[6] - p0[0], points[7] - p0[1], points[8] - p0[2]};
    const std::array<double, 3> n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                     u[0] * v[1] - u[1] * v[0]};
    for (int f = 0; f < 4; ++f) {
      const bool front = f % 2 == 0;
      EXPECT_EQ(Dot(Normal(s, s.Faces[f]), n) > 0, front) << "face " << f;
      EXPECT_EQ(s.Faces[f].Red, front ? 1 : 2) << "face " << f;
    }
  }
}

}  // namespace
}  // namespace life3d
