#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "scene/preparation.h"

namespace quorvel {
namespace {

uint32_t paletteColor(const Scene& scene, int index) {
    const PaletteEntry& entry = scene.palette[index];
    return uint32_t{entry[0]} | uint32_t{entry[1]} << 8 | uint32_t{entry[2]} << 16;
}

TEST(DecodeTexture, TurnsTheStoredPictureUpright) {
    static Scene scene;
    loadBuiltInScene(scene);
    std::fill(std::begin(scene.image), std::end(scene.image), uint8_t{0});
    scene.image[0] = 0x5A;                // pixel 0 (high nibble) = 5, pixel 1 = 10
    scene.image[kImageBytes - 1] = 0x3C;  // pixel 16382 = 3, pixel 16383 (low nibble) = 12
    decodeTexture(scene);

    EXPECT_EQ(scene.texture.texels[0], paletteColor(scene, 12));
    EXPECT_EQ(scene.texture.texels[1], paletteColor(scene, 3));
    EXPECT_EQ(scene.texture.texels[kTexelCount - 2], paletteColor(scene, 10));
    EXPECT_EQ(scene.texture.texels[kTexelCount - 1], paletteColor(scene, 5));
    EXPECT_EQ(scene.texture.texels[100], paletteColor(scene, 0));
}

TEST(DecodeTexture, BuiltInPictureHasItsFrameApexAtTheTopCentre) {
    static Scene scene;
    loadBuiltInScene(scene);
    decodeTexture(scene);
    const uint32_t* texels = scene.texture.texels;
    for (int t = 0; t < kTexelCount; ++t) ASSERT_EQ(texels[t] >> 24, 0u) << "texel " << t;

    const uint32_t background = texels[0];
    EXPECT_EQ(texels[127], background);                     // top corners lie outside the frame
    EXPECT_NE(texels[1 * kTextureSide + 64], background);   // the apex
    EXPECT_NE(texels[120 * kTextureSide + 4], background);  // the base's left end
    EXPECT_NE(texels[120 * kTextureSide + 123], background);
}

}  // namespace
}  // namespace quorvel
