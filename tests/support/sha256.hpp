// SHA-256 of a byte string, for comparing decoded images with recorded digests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace testsupport {

// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::span<const uint8_t> bytes);

}  // namespace testsupport
