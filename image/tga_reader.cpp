// The TGA reader: the header checks in their order, then the pixel decoding. The file is read
// whole and decoded from memory; every result is the one a front-to-back stream reading gives
// (a skip past the end is no error, a read past the end is a failed read).
#include <cstdint>
#include <vector>

#include "filesys/disk_read.hpp"
#include "filesys/allocate.hpp"
#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace {

// The file's bytes go into one buffer kept from load to load: sprites are loaded one after
// another, and a fresh buffer for each costs more in page faults than decoding it. Files above
// this size give their memory back after the load.
constexpr size_t KEPT_FILE_BYTES = size_t{16} << 20;

std::vector<uint8_t>& fileBuffer() {
    static std::vector<uint8_t> buffer;
    return buffer;
}

bool isKnownType(uint32_t type) {
    return type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
}

// Stores one decoded pixel at file-order index i, when i is inside the image: a run-length
// packet that reaches past the last pixel is clipped.
struct GenericSink {
    const TgaLayout& layout;
    uint8_t* image;
    uint32_t count;
    void store(uint32_t index, uint32_t value) const {
        if (index >= count) return;
        storeTgaPixel(image, layout.descriptor, index, layout.width, layout.height, value,
                      layout.format);
    }
};

uint32_t readU16(const uint8_t* bytes) {
    return bytes[0] | uint32_t{bytes[1]} << 8;
}

}  // namespace

bool parseTgaHeader(std::span<const uint8_t> file, TgaHeader& header) {
    if (file.size() < TGA_HEADER_SIZE) return false;
    const uint8_t* bytes = file.data();
    header.idLength = bytes[0];
    header.mapType = bytes[1];
    header.imageType = bytes[2];
    header.firstEntry = readU16(bytes + 3);
    header.mapLength = readU16(bytes + 5);
    header.entrySize = bytes[7];
    header.width = readU16(bytes + 12);
    header.height = readU16(bytes + 14);
    header.pixelDepth = bytes[16];
    header.descriptor = bytes[17];
    return true;
}

void decodeTgaGeneric(const TgaLayout& layout, uint8_t* image) {
    const uint32_t count = layout.width * layout.height;
    TgaCursor cursor{layout.file,
                     layout.pixelPos < layout.file.size() ? layout.pixelPos : layout.file.size()};
    const TgaColourMap* map = layout.hasMap ? &layout.map : nullptr;
    auto next = [&]() {
        uint32_t value = readTgaPixel(cursor, layout.bytesPerPixel, map);
        return convertTgaValue(value, layout.depth, layout.alphaBits, layout.format,
                               layout.blackAndWhite);
    };
    GenericSink sink{layout, image, count};
    if (!layout.runLength) {
        for (uint32_t i = 0; i < count; ++i) sink.store(i, next());
        return;
    }
    uint32_t i = 0;
    while (i < count) {
        int header = cursor.get();
        if (header < 0) header = 1;  // past the end: a raw packet of two pixels of value 0
        uint32_t packetCount = (static_cast<uint32_t>(header) & 0x7F) + 1;
        if ((header & 0x80) != 0) {
            uint32_t value = next();
            for (uint32_t k = 0; k < packetCount; ++k) sink.store(i + k, value);
        } else {
            for (uint32_t k = 0; k < packetCount; ++k) sink.store(i + k, next());
        }
        // count <= 2^28 and a packet is at most 128, so i cannot wrap.
        i += packetCount;
    }
}

std::unique_ptr<uint8_t[]> decodeTgaWith(std::span<const uint8_t> file, int32_t* width,
                                         int32_t* height, uint32_t format, TgaDecodePath path,
                                         bool* noMemory) {
    if (noMemory != nullptr) *noMemory = false;
    if (format != 3 && format != 4) {
        setTgaError(TgaError::badFormat);
        return nullptr;
    }
    TgaHeader header;
    if (!parseTgaHeader(file, header)) {
        setTgaError(TgaError::badHeader);
        return nullptr;
    }
    const uint32_t idLength = header.idLength;
    const uint32_t mapType = header.mapType;
    const uint32_t imageType = header.imageType;
    const uint32_t firstEntry = header.firstEntry;
    const uint32_t mapLength = header.mapLength;
    const uint32_t entrySize = header.entrySize;
    const uint32_t imageWidth = header.width;
    const uint32_t imageHeight = header.height;
    const uint32_t pixelDepth = header.pixelDepth;
    const uint8_t descriptor = header.descriptor;

    const uint32_t count = imageWidth * imageHeight;  // at most 65535 x 65535: fits
    if (count == 0) {
        setTgaError(TgaError::zeroSide);
        return nullptr;
    }
    // The image-ID skip is a relative seek: it cannot fail at the end of the data, it only
    // leaves every later read failing.
    size_t pos = TGA_HEADER_SIZE + idLength;
    if (imageType == 0) {
        setTgaError(TgaError::noData);
        return nullptr;
    }
    TgaLayout layout;
    layout.file = file;
    if (mapType != 0) {
        if (imageType == 3 || imageType == 11) {
            setTgaError(TgaError::mapForGrey);
            return nullptr;
        }
        if (entrySize != 15 && entrySize != 16 && entrySize != 24 && entrySize != 32) {
            setTgaError(TgaError::badEntrySize);
            return nullptr;
        }
        const uint32_t bytesPerEntry = (entrySize + 7) / 8;
        const size_t mapBytes = size_t{mapLength} * bytesPerEntry;
        const size_t available = pos <= file.size() ? file.size() - pos : 0;
        if (mapBytes > available) {
            setTgaError(TgaError::badColourMap);
            return nullptr;
        }
        layout.hasMap = true;
        layout.map = TgaColourMap{file.data() + (pos <= file.size() ? pos : file.size()), mapLength,
                                  bytesPerEntry, firstEntry};
        pos += mapBytes;
    }
    // Hostile sizes are refused in place of the allocation, the code left as it was.
    if (count > TGA_MAX_PIXELS) return nullptr;
    const uint64_t outputBytes = uint64_t{count} * format;
    if constexpr (sizeof(size_t) < sizeof(uint64_t)) {
        if (outputBytes > SIZE_MAX) return nullptr;
    }
    // Uninitialised on purpose: both decodings store every pixel.
    std::unique_ptr<uint8_t[]> image = tryAllocate<uint8_t>(static_cast<size_t>(outputBytes));
    if (!image) {
        if (noMemory != nullptr) *noMemory = true;
        return nullptr;
    }
    if (!isKnownType(imageType)) {
        // Only now, after the colour map was read and the image allocated.
        setTgaError(TgaError::unknownType);
        return nullptr;
    }

    layout.pixelPos = pos;
    layout.width = imageWidth;
    layout.height = imageHeight;
    layout.bytesPerPixel = pixelDepth == 0 ? 1 : (pixelDepth + 7) / 8;
    layout.depth = static_cast<int32_t>(mapType != 0 ? entrySize : pixelDepth);
    layout.alphaBits = descriptor & 0x0F;
    layout.descriptor = descriptor;
    layout.format = format;
    layout.runLength = imageType >= 9;
    layout.blackAndWhite = imageType == 3 || imageType == 11;

    if (path == TgaDecodePath::Generic || !decodeTgaFast(layout, image.get())) {
        decodeTgaGeneric(layout, image.get());
    }
    *width = static_cast<int32_t>(imageWidth);
    *height = static_cast<int32_t>(imageHeight);
    return image;
}

std::unique_ptr<uint8_t[]> decodeTga(std::span<const uint8_t> file, int32_t* width, int32_t* height,
                                     uint32_t format) {
    return decodeTgaWith(file, width, height, format, TgaDecodePath::Fast);
}

std::unique_ptr<uint8_t[]> decodeTga(std::span<const uint8_t> file, int32_t* width, int32_t* height,
                                     uint32_t format, bool& noMemory) {
    return decodeTgaWith(file, width, height, format, TgaDecodePath::Fast, &noMemory);
}

std::unique_ptr<uint8_t[]> loadTga(const char* path, int32_t* width, int32_t* height,
                                   uint32_t format) {
    if (format != 3 && format != 4) {  // decided before the file is touched
        setTgaError(TgaError::badFormat);
        return nullptr;
    }
    std::vector<uint8_t>& bytes = fileBuffer();
    const FileRead read = readRegularFile(path, bytes);
    std::unique_ptr<uint8_t[]> image;
    if (read == FileRead::read) {
        image = decodeTga(bytes, width, height, format);
    } else {
        setTgaError(TgaError::cannotOpen);
    }
    if (bytes.capacity() > KEPT_FILE_BYTES) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    return image;
}
