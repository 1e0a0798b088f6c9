#include "sidecar/fingerprint.hpp"

#include <array>
#include <cinttypes>
#include <cstdio>

namespace {

constexpr uint64_t FNV_OFFSET_BASIS = 0xcbf29ce484222325ull;
constexpr uint64_t FNV_PRIME = 0x100000001b3ull;

}  // namespace

uint64_t fnv1a64(std::span<const uint8_t> bytes) {
    uint64_t hash = FNV_OFFSET_BASIS;
    for (const uint8_t byte : bytes) {
        hash ^= byte;
        hash *= FNV_PRIME;
    }
    return hash;
}

uint64_t fnv1a64(std::string_view bytes) {
    return fnv1a64(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::string fingerprintText(uint64_t fingerprint) {
    std::array<char, 24> text;
    const int length = std::snprintf(text.data(), text.size(), "0x%016" PRIx64, fingerprint);
    return std::string(text.data(), static_cast<size_t>(length));
}
