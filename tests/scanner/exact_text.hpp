// A scanner text held in a heap buffer of exactly its size with no NUL after it, so that a
// read at or past its end leaves the allocation and AddressSanitizer reports it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scanner/scanner.hpp"

class ExactText {
  public:
    explicit ExactText(std::string_view text) : bytes_(text.begin(), text.end()) {}
    TextSpan span() const { return {bytes_.data(), static_cast<int32_t>(bytes_.size())}; }
    const char* data() const { return bytes_.data(); }
    int32_t size() const { return static_cast<int32_t>(bytes_.size()); }
    // Where a span over this text stands, as an offset from its start.
    int32_t offset(const TextSpan& span) const {
        return static_cast<int32_t>(span.cursor - bytes_.data());
    }

  private:
    std::vector<char> bytes_;
};
