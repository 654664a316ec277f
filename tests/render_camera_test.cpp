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

TEST(RotateScene, TurnsNormalsLikeVerticesWithoutWrappingAngles) {
  MeshStore store = StoreOf({{0, 0, 2}});
  store.FaceCount = 1;
  store.Faces.resize(2);
  store.Faces[0].NormalZ = 2;
  RotMatrix rot;
  RotateScene(store, rot, -136, 0, 60);
  EXPECT_EQ(store.Faces[0].ViewNormalX, store.Vertices[0].X);
  EXPECT_EQ(store.Faces[0].ViewNormalY, store.Vertices[0].Y);
  EXPECT_FLOAT_EQ(store.Faces[0].ViewNormalZ, 2 * -0.7193398f);
  RotMatrix turned;  // a full turn more on every axis
  RotateScene(store, turned, 224, 360, 420);
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(turned.m[r][k], rot.m[r][k], 1e-6);
  // With no vertices the matrix is still rebuilt and the stores untouched.
  store.VertexCount = store.FaceCount = 0;
  store.Vertices[0].X = 7;
  RotateScene(store, rot, 0, 0, 0);
  EXPECT_EQ(rot.m[1][1], 1);
  EXPECT_EQ(store.Vertices[0].X, 7);
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

}  // namespace
}  // namespace life3d
