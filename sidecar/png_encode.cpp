#include "sidecar/png_encode.hpp"

#include <png.h>

#include <csetjmp>

#include "filesys/allocate.hpp"

namespace {

struct MemorySink {
    std::vector<uint8_t>* bytes = nullptr;
};

void appendToSink(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<MemorySink*>(png_get_io_ptr(png));
    const bool stored = tryWithMemory(
        [&] {
            sink->bytes->insert(sink->bytes->end(), data, data + length);
            return true;
        },
        false);
    // libpng's error path leaves by longjmp, which must not cross a live C++ object: the
    // insertion's try block has ended before it is taken.
    if (!stored) png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

// libpng's default handlers print to standard error; a failure here is reported by the result.
[[noreturn]] void failSilently(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

// Destroys the write structures whichever way the encoding ends.
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriter() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failSilently, ignoreWarning);
        if (png != nullptr) info = png_create_info_struct(png);
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
};

// The only frame that calls setjmp: everything in it is trivially destructible, so a longjmp
// back here skips no destructor.
bool writeRows(png_structp png, png_infop info, uint32_t width, uint32_t height,
               const PngRowSource& rowAt, MemorySink* sink) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, appendToSink, flushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = rowAt(y);
        if (row == nullptr) return false;
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool encodePngRgb(uint32_t width, uint32_t height, const PngRowSource& rowAt,
                  std::vector<uint8_t>& png) {
    png.clear();
    PngWriter writer;
    if (writer.png == nullptr || writer.info == nullptr) return false;
    MemorySink sink{&png};
    if (!writeRows(writer.png, writer.info, width, height, rowAt, &sink)) {
        png.clear();
        return false;
    }
    return true;
}
