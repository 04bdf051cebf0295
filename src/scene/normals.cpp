#include "numeric/vector_math.h"
#include "scene/preparation.h"

namespace quorvel {

void computeFaceNormals(Scene& scene) {
    const Vec3* v = scene.vertices.data();
    for (size_t j = 0; j < scene.faces.size(); ++j) {
        const Face& face = scene.faces[j];
        Vec3 e1, e2;
        vecSub(e1, v[face.slot[1]], v[face.slot[0]]);
        vecSub(e2, v[face.slot[2]], v[face.slot[1]]);
        vecCross(scene.faceNormals[j], e1, e2);
        vecNormalize(scene.faceNormals[j]);
    }
}

void computeVertexNormals(Scene& scene) {
    for (size_t i = 0; i < scene.vertices.size(); ++i) {
        Vec3 sum = {0.0f, 0.0f, 0.0f};  // float accumulators: each addition rounds to 32 bits
        int count = 0;
        for (size_t j = 0; j < scene.faces.size(); ++j) {
            const Face& face = scene.faces[j];
            if (face.slot[0] == i || face.slot[1] == i || face.slot[2] == i) {
                sum.x += scene.faceNormals[j].x;
                sum.y += scene.faceNormals[j].y;
                sum.z += scene.faceNormals[j].z;
                ++count;
            }
        }
        Vec3& normal = scene.vertexNormals[i];
        if (count == 0) {
            normal = {0.0f, 0.0f, 0.0f};
            continue;
        }
        normal.x = static_cast<float>(double{sum.x} / count);
        normal.y = static_cast<float>(double{sum.y} / count);
        normal.z = static_cast<float>(double{sum.z} / count);
        vecNormalize(normal);
    }
}

}  // namespace quorvel
