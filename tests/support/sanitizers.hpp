// Whether this test binary was built with AddressSanitizer, whose allocator and shadow memory
// change what a test of memory limits can see: address-space limits cannot be set under it,
// and a failing allocation stops the process instead of throwing.
#pragma once

namespace testsupport {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif
#else
constexpr bool SANITIZED = false;
#endif

}  // namespace testsupport
