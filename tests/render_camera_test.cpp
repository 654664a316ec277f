#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/camera.h"

namespace life3d {
namespace {

MeshStore StoreOf(const std::vector<Vertex>& model) {
  MeshStore store;
  store.VertexCount = static_cast<int32_t>(model.size());
  store.ModelVertices = model;
  store.ModelVertices.push_back({});
  store.Vertices.resize(model.size() + 1);
  store.ScreenPoints.resize(model.size() + 1);
  return store;
}

TEST(RotateScene, MatrixToSevenDecimals) {
  const struct {
    float x, y, z;
    double m[3][3];
  } cases[] = {
      {0, 0, 0, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
      {-136,
       0,
       60,
       {{0.5, 0.8660254, -0},
        {0.6229665, -0.3596699, -0.6946584},
        {-0.6015918, 0.3473292, -0.7193398}}},
  };
  for (const auto& c : cases) {
    MeshStore store;
    RotMatrix rot;
    RotateScene(store, rot, c.x, c.y, c.z);
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(rot.m[r][k], c.m[r][k], 0.5e-7) << "angles " << c.x << " row " << r;
  }
}

TEST(RotateScene, TurnsVerticesAndNormalsAndKeepsLengths) {
  MeshStore store = StoreOf({{3, 4, 12}, {-7, 0.5f, 2}});
  store.FaceCount = 1;
  store.Faces.resize(2);
  store.Faces[0].NormalX = 0, store.Faces[0].NormalY = 0, store.Faces[0].NormalZ = 2;
  RotMatrix rot;
  RotateScene(store, rot, -136, 0, 60);
  const Vertex& v = store.Vertices[0];
  EXPECT_NEAR(std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z), 13, 1e-5);
  EXPECT_NEAR(v.X, 3 * rot.m[0][0] + 4 * rot.m[0][1] + 12 * rot.m[0][2], 1e-5);
  EXPECT_FLOAT_EQ(store.Faces[0].ViewNormalZ, static_cast<float>(2.0 * rot.m[2][2]));
  EXPECT_FLOAT_EQ(store.Faces[0].ViewNormalY, static_cast<float>(2.0 * rot.m[1][2]));
  // Angles are not wrapped: a full turn more gives the same matrix up to rounding.
  RotMatrix turned;
  RotateScene(store, turned, 224, 360, 420);
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(turned.m[r][k], rot.m[r][k], 1e-6);
}

TEST(ProjectVertices, PerspectiveExamples) {
  const Camera camera{640, 400, 5000, 1000};
  const struct {
    Vertex model;
    float x, y;
  } cases[] = {{{100, 50, 0}, 660, 410},
               {{100, 50, 5000}, 650, 405},
               {{0, 0, 123456}, 640, 400},  // on the view axis at any depth
               {{0, 0, -9000}, 640, 400},
               {{100, 50, -10000}, 620, 390}};  // behind the camera: mirrored
  for (const auto& c : cases) {
    MeshStore store = StoreOf({c.model});
    RotMatrix rot;
    RotateScene(store, rot, 0, 0, 0);
    ProjectVertices(store, camera);
    EXPECT_FLOAT_EQ(store.ScreenPoints[0].X, c.x) << c.model.X << "," << c.model.Z;
    EXPECT_FLOAT_EQ(store.ScreenPoints[0].Y, c.y) << c.model.X << "," << c.model.Z;
  }
}

TEST(ProjectVertices, VertexAtMinusZoffGoesToInfinity) {
  MeshStore store = StoreOf({{100, -50, -5000}});
  RotMatrix rot;
  RotateScene(store, rot, 0, 0, 0);
  ProjectVertices(store, Camera{640, 400, 5000, 1000});
  EXPECT_TRUE(std::isinf(store.ScreenPoints[0].X) && store.ScreenPoints[0].X > 0);
  EXPECT_TRUE(std::isinf(store.ScreenPoints[0].Y) && store.ScreenPoints[0].Y < 0);
}

TEST(CopyModelVertices, CopiesOnlyTheCountedVertices) {
  MeshStore store = StoreOf({{1, 2, 3}, {4, 5, 6}});
  store.Vertices = {{7, 8, 9}, {10, 11, 12}, {13, 14, 15}};
  store.VertexCount = 1;
  CopyModelVertices(store);
  EXPECT_EQ(store.ModelVertices[0].Z, 9);
  EXPECT_EQ(store.ModelVertices[1].Z, 6);
  // With no vertices the matrix is still rebuilt and nothing else is touched.
  store.VertexCount = 0;
  RotMatrix rot;
  RotateScene(store, rot, 0, 0, 0);
  EXPECT_EQ(rot.m[1][1], 1);
  EXPECT_EQ(store.Vertices[0].X, 7);
}

}  // namespace
}  // namespace life3d
