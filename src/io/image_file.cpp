#include "io/image_file.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <vector>

#include "io/rgb_bytes.h"
#include "io/utf8_path.h"
#include "io/whole_file.h"

namespace quorvel {
namespace {

struct FileSink {
    std::FILE* file;
    int error;  // the first errno of a failed write, 0 while all is well
};

void writeToSink(void* context, void* data, int size) {
    auto& sink = *static_cast<FileSink*>(context);
    errno = 0;
    if (std::fwrite(data, 1, static_cast<size_t>(size), sink.file) != static_cast<size_t>(size) &&
        sink.error == 0)
        sink.error = errno != 0 ? errno : EIO;
}

// False only when the PNG encoder runs out of memory: it has no other way to fail.
bool encode(FileSink& sink, ImageFormat format, const std::vector<uint8_t>& rgb, int width, int height) {
    if (format == ImageFormat::Png) {
        return stbi_write_png_to_func(writeToSink, &sink, width, height, 3, rgb.data(), width * 3) != 0;
    }
    const std::string header = ppmHeader(width, height);
    writeToSink(&sink, const_cast<char*>(header.data()), static_cast<int>(header.size()));
    writeToSink(&sink, const_cast<uint8_t*>(rgb.data()), static_cast<int>(rgb.size()));
    return true;
}

}  // namespace

std::optional<ImageFormat> imageFormatOf(const std::string& path) {
    const std::string extension = utf8Of(pathFromUtf8(path).extension());
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
    // Converted before the file exists, so that running out of memory here leaves nothing.
    std::vector<uint8_t> rgb;
    appendRgb(rgb, pixels, width, height, pitch);
    WholeFile file;
    if (!file.open(path, error)) return false;
    FileSink sink{file.stream(), 0};
    if (!encode(sink, format, rgb, width, height)) throw std::bad_alloc();
    return file.commit(sink.error, error);
}

}  // namespace quorvel
