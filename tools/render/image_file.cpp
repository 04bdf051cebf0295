#include "render/image_file.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/interrupts.h"

namespace quorvel {
namespace {

std::vector<uint8_t> toRgb(const uint32_t* pixels, int width, int height, int pitch) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    size_t out = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[static_cast<size_t>(y) * pitch + x];
            rgb[out++] = static_cast<uint8_t>(pixel >> 16);
            rgb[out++] = static_cast<uint8_t>(pixel >> 8);
            rgb[out++] = static_cast<uint8_t>(pixel);
        }
    }
    return rgb;
}

struct FileSink {
    std::FILE* file;
    int error;  // the first errno of a failed write, 0 while all is well
};

void noteFailure(FileSink& sink) {
    if (sink.error == 0) sink.error = errno != 0 ? errno : EIO;
}

void writeToSink(void* context, void* data, int size) {
    auto& sink = *static_cast<FileSink*>(context);
    errno = 0;
    if (std::fwrite(data, 1, static_cast<size_t>(size), sink.file) != static_cast<size_t>(size))
        noteFailure(sink);
}

bool encode(FileSink& sink, ImageFormat format, const std::vector<uint8_t>& rgb, int width, int height) {
    if (format == ImageFormat::Png) {
        return stbi_write_png_to_func(writeToSink, &sink, width, height, 3, rgb.data(), width * 3) != 0;
    }
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    writeToSink(&sink, const_cast<char*>(header.data()), static_cast<int>(header.size()));
    writeToSink(&sink, const_cast<uint8_t*>(rgb.data()), static_cast<int>(rgb.size()));
    return true;
}

// A sibling of the final file, so the closing rename stays on one file system.
std::string partialPathFor(const std::string& path) {
    const std::filesystem::path target(path);
    return (target.parent_path() / ("." + target.filename().string() + ".partial")).string();
}

}  // namespace

std::optional<ImageFormat> imageFormatOf(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension == ".png") return ImageFormat::Png;
    if (extension == ".ppm") return ImageFormat::Ppm;
    return std::nullopt;
}

std::optional<ImageFormat> imageFormatNamed(const std::string& name) {
    if (name == "png") return ImageFormat::Png;
    if (name == "ppm") return ImageFormat::Ppm;
    if (name == "y4m") return ImageFormat::Y4m;
    return std::nullopt;
}

const char* extensionOf(ImageFormat format) { return format == ImageFormat::Png ? ".png" : ".ppm"; }

bool writeImage(const std::string& path, ImageFormat format, const uint32_t* pixels, int width, int height,
                int pitch, std::string& error) {
    const std::string partial = partialPathFor(path);
    removeOnInterrupt(partial.c_str());
    FileSink sink{std::fopen(partial.c_str(), "wb"), 0};
    if (sink.file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        removeOnInterrupt(nullptr);
        return false;
    }
    const bool encoded = encode(sink, format, toRgb(pixels, width, height, pitch), width, height);
    if (std::fflush(sink.file) != 0) noteFailure(sink);
    if (std::fclose(sink.file) != 0) noteFailure(sink);
    if (!encoded || sink.error != 0) {
        std::remove(partial.c_str());
        removeOnInterrupt(nullptr);
        error =
            "cannot write " + path + ": " + (sink.error != 0 ? std::strerror(sink.error) : "encoding failed");
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(partial, path, renameError);
    removeOnInterrupt(nullptr);
    if (renameError) {
        std::remove(partial.c_str());
        error = "cannot write " + path + ": " + renameError.message();
        return false;
    }
    return true;
}

}  // namespace quorvel
