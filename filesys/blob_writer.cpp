// Building a blob archive: the count, one 16-byte entry per file, then the files' bytes in
// order, every word little-endian; each entry stores hashName of the name as it will be asked for.
#include <algorithm>
#include <climits>
#include <cstring>

#include "filesys/blob_archive.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"

namespace {

void putU32LE(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

bool writeAll(int32_t h, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        auto part = static_cast<int32_t>(std::min<size_t>(count, 1u << 30));
        if (fileWrite(h, bytes, part) != part) return false;
        bytes += part;
        count -= static_cast<size_t>(part);
    }
    return true;
}

}  // namespace

bool writeBlobArchive(const char* path,
                      const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
    // Every offset and size must fit the reader's signed 32-bit values.
    const uint64_t headerBytes = 4 + uint64_t{files.size()} * SIZEOF_BLOB_NODE;
    uint64_t total = headerBytes;
    for (const auto& file : files) total += file.second.size();
    if (total > INT32_MAX) return false;

    std::vector<uint8_t> header;
    header.reserve(static_cast<size_t>(headerBytes));
    putU32LE(header, static_cast<uint32_t>(files.size()));
    uint64_t offset = headerBytes;
    for (const auto& [name, bytes] : files) {
        putU32LE(header, hashName(name.c_str()));
        putU32LE(header, static_cast<uint32_t>(bytes.size()));
        putU32LE(header, 0);  // stored as it is, not packed
        putU32LE(header, static_cast<uint32_t>(offset));
        offset += bytes.size();
    }

    int32_t h = fileOpenDisk(path, 0);
    if (h == -1) return false;
    bool ok = writeAll(h, header.data(), header.size());
    for (const auto& file : files) {
        if (!ok) break;
        ok = writeAll(h, file.second.data(), file.second.size());
    }
    bool regular = fileIsRegular(h);
    if (fileClose(h) != 0) ok = false;
    if (!ok && regular) fileRemove(path);
    return ok;
}
