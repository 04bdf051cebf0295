#include "scene/preparation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "numeric/vector_math.h"

namespace quorvel {
namespace {

void expectNear(const Vec3& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}

void expectFinite(const Vec3& v) {
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST(BuiltInScenePreparation, GivesTheTabledNormalsAndUnitLights) {
    static const PreparedScene prepared = prepareBuiltInScene();
    const Scene& scene = prepared.scene();
    ASSERT_EQ(scene.vertices.size(), 4u);
    ASSERT_EQ(scene.faces.size(), 4u);

    expectNear(scene.faceNormals[0], 0.0f, -0.4472f, -0.8944f);
    expectNear(scene.faceNormals[1], 0.8729f, -0.2182f, 0.4364f);
    expectNear(scene.faceNormals[2], -0.8729f, -0.2182f, 0.4364f);
    expectNear(scene.faceNormals[3], 0.0f, 1.0f, 0.0f);

    expectNear(scene.vertexNormals[0], 0.8385f, 0.3214f, -0.4400f);
    expectNear(scene.vertexNormals[1], -0.8385f, 0.3214f, -0.4400f);
    expectNear(scene.vertexNormals[2], 0.0f, -0.9997f, -0.0244f);
    expectNear(scene.vertexNormals[3], 0.0f, 0.5424f, 0.8401f);

    // The fit scales by the approximate reciprocal of 1: within 12 bits of the original.
    EXPECT_NEAR(scene.vertices[0].x, -1.0f, 1.0f / 2048);
    EXPECT_EQ(scene.vertices[0].x, -scene.vertices[1].x);
    EXPECT_EQ(scene.vertices[2].x, 0.0f);

    const float expected[3][3] = {
        {0.0f, 0.0f, 1.0f}, {0.0995f, 0.0995f, 0.9901f}, {0.5774f, 0.5774f, 0.5774f}};
    for (int i = 0; i < kLightCount; ++i) {
        const float* d = scene.lights[i].direction.lane;
        for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(d[axis], expected[i][axis], 1e-3f) << "light " << i;
        EXPECT_EQ(d[3], 0.0f);
        EXPECT_EQ(scene.lights[i].diffuse.lane[3], 0.0f);
        EXPECT_EQ(scene.lights[i].specular.lane[3], 0.0f);
    }
}

// Each scene owns its data: preparing one, or loading another, leaves the rest alone.
TEST(BuiltInScenePreparation, ScenesAreIndependent) {
    static Scene fresh;
    loadBuiltInScene(fresh);
    static const PreparedScene prepared = prepareScene(fresh);
    const Vec3 fitted = prepared.scene().vertices[0];
    EXPECT_EQ(fresh.vertices[0].x, -1.0f);
    EXPECT_EQ(fresh.lights[1].direction.lane[2], 5.0f);
    loadBuiltInScene(fresh);
    EXPECT_EQ(prepared.scene().vertices[0].x, fitted.x);
    EXPECT_NE(prepared.scene().lights[1].direction.lane[2], 5.0f);
}

TEST(FitModel, CentresAndScalesTheLargestHalfExtentToAboutOne) {
    Vec3 vertices[] = {{2.0f, 10.0f, -3.0f}, {6.0f, 12.0f, -3.0f}, {4.0f, 11.0f, 5.0f}};
    fitModel(vertices, defaultApprox());
    // Box x 2..6, y 10..12, z -3..5: the z half-extent 4 becomes about 1.
    EXPECT_NEAR(vertices[2].z, 1.0f, 1.0f / 2048);
    EXPECT_NEAR(vertices[0].x, -0.5f, 1.0f / 2048);
    EXPECT_NEAR(vertices[1].y, 0.25f, 1.0f / 2048);
}

TEST(FitModel, CoincidentVerticesAreCentredWithoutNaN) {
    Vec3 vertices[] = {{3.0f, -2.0f, 7.0f}, {3.0f, -2.0f, 7.0f}};
    fitModel(vertices, defaultApprox());
    for (const Vec3& v : vertices) expectNear(v, 0.0f, 0.0f, 0.0f);
    Vec3 single[] = {{5.0f, 5.0f, 5.0f}};
    fitModel(single, defaultApprox());
    expectNear(single[0], 0.0f, 0.0f, 0.0f);
}

TEST(VecNormalize, ZeroStaysZeroAndOtherwiseUnitLength) {
    Vec3 zero = {0.0f, 0.0f, 0.0f};
    vecNormalize(zero);
    expectNear(zero, 0.0f, 0.0f, 0.0f);
    Vec3 v = {3.0f, 0.0f, 4.0f};
    vecNormalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
}

TEST(Normals, DegenerateFaceAndUnusedVertexGiveZeroWithoutNaN) {
    const Vec3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
    // Face 1 repeats vertex 0 (zero cross product); vertex 3 is used by no face.
    const Face faces[] = {{{0, 1, 2}}, {{0, 0, 1}}};
    static Scene scene;
    setMesh(scene, vertices, faces);
    computeFaceNormals(scene);
    computeVertexNormals(scene);
    const std::vector<Vec3>& faceNormals = scene.faceNormals;
    const std::vector<Vec3>& vertexNormals = scene.vertexNormals;

    expectNear(faceNormals[0], 0.0f, 0.0f, 1.0f);
    expectNear(faceNormals[1], 0.0f, 0.0f, 0.0f);
    // Vertex 0 averages (0,0,1) and (0,0,0) over two faces; renormalised it is (0,0,1).
    expectNear(vertexNormals[0], 0.0f, 0.0f, 1.0f);
    expectNear(vertexNormals[2], 0.0f, 0.0f, 1.0f);
    expectNear(vertexNormals[3], 0.0f, 0.0f, 0.0f);
    for (const Vec3& n : vertexNormals) expectFinite(n);
}

}  // namespace
}  // namespace quorvel
