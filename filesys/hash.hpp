// Name ids: every stored or looked-up name is reduced to a 32-bit hash of its upper-cased
// bytes, so names that differ only in ASCII letter case are one name everywhere.
#pragma once

#include <cstdint>
#include <span>

// Bob Jenkins' lookup2 hash of `bytes`, starting from `initialValue`.
uint32_t hashBytes(std::span<const uint8_t> bytes, uint32_t initialValue);

// lookup2 of the name cut to 999 characters with 'a'..'z' folded onto 'A'..'Z', initial value
// 123456. Bytes of 128 and above are not folded.
uint32_t hashName(const char* name);
