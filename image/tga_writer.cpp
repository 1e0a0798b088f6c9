// The TGA writers: uncompressed (type 2) and run-length (type 10) true-colour files with origin
// bits 0, so row 0 of the image becomes the bottom row, as loadTga delivers it. Output is
// gathered into large writes through the file layer; a failed write or close removes the
// partial file.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "filesys/file_access.hpp"
#include "filesys/allocate.hpp"
#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace {

// Any mode but FILE_MODE_READ creates or truncates for writing.
constexpr int32_t WRITE_MODE = 33538;
constexpr int32_t WRITE_PERMISSION = 384;
constexpr char IMAGE_ID[] = "written by spritebake";
constexpr size_t IMAGE_ID_LENGTH = sizeof IMAGE_ID - 1;  // 21, written without its zero
constexpr size_t CHUNK = 1 << 16;

// Collects the file's bytes and hands them to the file layer in chunks; remembers the first
// failed or short write, after which nothing more is written.
class TgaOutput {
  public:
    explicit TgaOutput(int32_t handle) : handle_(handle), regular_(fileIsRegular(handle)) {}

    void put(const uint8_t* bytes, size_t count) {
        while (count > 0) {
            size_t room = buffer_.size() - used_;
            size_t n = count < room ? count : room;
            std::memcpy(buffer_.data() + used_, bytes, n);
            used_ += n;
            bytes += n;
            count -= n;
            if (used_ == buffer_.size()) flush();
        }
    }
    void putByte(uint8_t byte) { put(&byte, 1); }

    // Writes what is left and closes the file. Returns 1, or 0 with cannotOpen and the file
    // removed (only a regular file; a device is left alone).
    int32_t finish(const char* path) {
        flush();
        bool closed = fileClose(handle_) == 0;
        if (failed_ || !closed) {
            if (regular_) fileRemove(path);
            setTgaError(TgaError::cannotOpen);
            return 0;
        }
        return 1;
    }

  private:
    void flush() {
        if (!failed_ && used_ > 0) {
            int32_t count = static_cast<int32_t>(used_);
            if (fileWrite(handle_, buffer_.data(), count) != count) failed_ = true;
        }
        used_ = 0;
    }

    int32_t handle_;
    bool regular_;
    bool failed_ = false;
    size_t used_ = 0;
    std::array<uint8_t, CHUNK> buffer_;
};

void putHeader(TgaOutput& out, uint32_t width, uint32_t height, uint32_t format,
               uint8_t imageType) {
    uint8_t header[TGA_HEADER_SIZE] = {};
    header[0] = static_cast<uint8_t>(IMAGE_ID_LENGTH);
    header[2] = imageType;
    header[12] = static_cast<uint8_t>(width);
    header[13] = static_cast<uint8_t>(width >> 8);
    header[14] = static_cast<uint8_t>(height);
    header[15] = static_cast<uint8_t>(height >> 8);
    header[16] = static_cast<uint8_t>(format * 8);
    header[17] = format == 4 ? 8 : 0;
    out.put(header, sizeof header);
    out.put(reinterpret_cast<const uint8_t*>(IMAGE_ID), IMAGE_ID_LENGTH);
}

// The file's blue, green, red (, alpha) bytes of one input pixel, in bits 0-31.
uint32_t rawValue(const uint8_t* p, uint32_t format) {
    uint32_t value = p[2] | uint32_t{p[1]} << 8 | uint32_t{p[0]} << 16;
    return format == 4 ? value | uint32_t{p[3]} << 24 : value;
}

uint32_t unpremultiplyRatio(float ratio) {
    return ratio > 1.0f ? 255 : static_cast<uint32_t>(ratio * 255.0f);
}

// The colour divided by alpha again, in single precision: the inverse of the premultiplication.
uint32_t unpremultipliedValue(const uint8_t* p) {
    float red = static_cast<float>(p[0]) / 255.0f;
    float green = static_cast<float>(p[1]) / 255.0f;
    float blue = static_cast<float>(p[2]) / 255.0f;
    float alpha = static_cast<float>(p[3]) / 255.0f;
    if (p[3] != 0) {
        red = red / alpha;
        green = green / alpha;
        blue = blue / alpha;
    }
    return unpremultiplyRatio(blue) | unpremultiplyRatio(green) << 8 |
           unpremultiplyRatio(red) << 16 | unpremultiplyRatio(alpha) << 24;
}

void putValue(TgaOutput& out, uint32_t value, uint32_t format) {
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    out.put(bytes, format);
}

int32_t openForWriting(const char* path) {
    int32_t handle = fileOpenDisk(path, WRITE_MODE, WRITE_PERMISSION);
    if (handle == -1) setTgaError(TgaError::cannotOpen);
    return handle;
}

// The run-length encoder: packets never cross a row end nor hold more than 128 pixels.
class PacketWriter {
  public:
    PacketWriter(TgaOutput& out, uint32_t format, uint8_t* rowBuffer)
        : out_(out), format_(format), raw_(rowBuffer) {}

    void next(uint32_t value, bool startsRow) {
        switch (state_) {
            case State::Start:
                pending_ = value;
                state_ = State::Single;
                break;
            case State::Single:
                if (startsRow) {
                    writeRaw(0, true);
                    pending_ = value;
                } else if (value == pending_) {
                    runLength_ = 2;
                    state_ = State::Run;
                } else {
                    collect(pending_);
                    pending_ = value;
                    state_ = State::Raw;
                }
                break;
            case State::Run:
                if (startsRow || runLength_ == 128 || value != pending_) {
                    writeRun();
                    pending_ = value;
                    state_ = State::Single;
                } else {
                    ++runLength_;
                }
                break;
            case State::Raw:
                if (startsRow || collected_ + 1 == 128) {
                    collect(pending_);
                    writeRaw(collected_, false);
                    pending_ = value;
                    state_ = State::Single;
                } else if (value == pending_) {
                    writeRaw(collected_, false);
                    runLength_ = 2;
                    state_ = State::Run;
                } else {
                    collect(pending_);
                    pending_ = value;
                }
                break;
        }
    }

    void end() {
        switch (state_) {
            case State::Start:
                break;
            case State::Single:
                writeRaw(0, true);
                break;
            case State::Run:
                writeRun();
                break;
            case State::Raw:
                collect(pending_);
                writeRaw(collected_, false);
                break;
        }
        state_ = State::Start;
    }

  private:
    enum class State { Start, Single, Run, Raw };

    void collect(uint32_t value) {
        for (uint32_t k = 0; k < format_; ++k) {
            raw_[collected_ * format_ + k] = static_cast<uint8_t>(value >> (8 * k));
        }
        ++collected_;
    }
    // A raw packet of the collected pixels, followed by the pending one when withPending.
    void writeRaw(uint32_t collected, bool withPending) {
        uint32_t count = collected + (withPending ? 1 : 0);
        out_.putByte(static_cast<uint8_t>(count - 1));
        out_.put(raw_, size_t{collected} * format_);
        if (withPending) putValue(out_, pending_, format_);
        collected_ = 0;
    }
    void writeRun() {
        out_.putByte(static_cast<uint8_t>(0x80 | (runLength_ - 1)));
        putValue(out_, pending_, format_);
    }

    TgaOutput& out_;
    uint32_t format_;
    uint8_t* raw_;
    State state_ = State::Start;
    uint32_t pending_ = 0;
    uint32_t collected_ = 0;
    uint32_t runLength_ = 0;
};

}  // namespace

std::unique_ptr<uint8_t[]> newTgaImage(uint32_t width, uint32_t height, uint32_t format) {
    if (format != 3 && format != 4) {
        setTgaError(TgaError::badFormat);
        return nullptr;
    }
    const uint64_t pixels = uint64_t{width} * height;
    if (pixels > SIZE_MAX / format) return nullptr;
    return tryAllocate<uint8_t>(static_cast<size_t>(pixels) * format);
}

int32_t writeTgaRaw(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels,
                    uint32_t format) {
    if (format != 3 && format != 4) {
        setTgaError(TgaError::badFormat);
        return 0;
    }
    int32_t handle = openForWriting(path);
    if (handle == -1) return 0;
    TgaOutput out(handle);
    putHeader(out, width, height, format, 2);
    const uint64_t count = uint64_t{width} * height;
    uint8_t chunk[4 * 1024];
    const size_t perChunk = sizeof chunk / format;
    for (uint64_t i = 0; i < count;) {
        size_t n = count - i < perChunk ? static_cast<size_t>(count - i) : perChunk;
        const uint8_t* src = pixels + i * format;
        uint8_t* dst = chunk;
        for (size_t k = 0; k < n; ++k, src += format, dst += format) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (format == 4) dst[3] = src[3];
        }
        out.put(chunk, n * format);
        i += n;
    }
    return out.finish(path);
}

int32_t writeTgaRle(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels,
                    uint32_t format) {
    if (format != 3 && format != 4) {
        setTgaError(TgaError::badFormat);
        return 0;
    }
    // The working buffer of one row for the raw packets, taken before the file is created: when
    // memory is short the result is 0, no file, the last-error code unchanged.
    const uint64_t rowBytes = uint64_t{width} * format;
    if constexpr (sizeof(size_t) < sizeof(uint64_t)) {
        if (rowBytes > SIZE_MAX) return 0;
    }
    std::unique_ptr<uint8_t[]> row = tryAllocate<uint8_t>(rowBytes == 0 ? 1 : rowBytes);
    if (!row) return 0;
    int32_t handle = openForWriting(path);
    if (handle == -1) return 0;
    TgaOutput out(handle);
    putHeader(out, width, height, format, 10);
    const uint64_t count = uint64_t{width} * height;
    PacketWriter packets(out, format, row.get());
    uint32_t column = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* p = pixels + i * format;
        uint32_t value = format == 4 ? unpremultipliedValue(p) : rawValue(p, format);
        packets.next(value, column == 0);
        if (++column == width) column = 0;
    }
    packets.end();
    return out.finish(path);
}
