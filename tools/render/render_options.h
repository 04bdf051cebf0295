#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/image_file.h"

namespace quorvel {

inline constexpr int kMaxImageSide = 16384;

struct RenderOptions {
    int width = 1910;
    int height = 1070;
    uint64_t frames = 1;
    bool renderFrames = true;  // false when only the texture was asked for
    enum class Save { Last, List, All, None } save = Save::Last;
    std::vector<uint64_t> saveList;  // ascending, with Save::List
    std::string outDir = "frames";
    ImageFormat format = ImageFormat::Png;
    bool hash = false;
    bool bench = false;
    bool reference = false;  // the reference span routine on one thread
    std::string textureOut;
    bool help = false;
};

// Parses the command line (without the program name). On bad input returns false with a
// one-line `error`.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error);

extern const char* const kRenderUsage;

}  // namespace quorvel
