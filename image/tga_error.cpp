// The TGA module's last-error code, shared by the reader and the writers, and its texts.
#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace {

// One process-wide value without a lock: the module is single-threaded.
int32_t lastError = 0;

constexpr const char* kErrorTexts[] = {
    "no error",
    "bad image header",
    "cannot open file",
    "bad format argument",
    "unexpected end-of-file",
    "image contains no data",
    "found colormap for a grayscale image",
    "unsupported colormap entry size",
    "bad colormap",
    "cannot read from file",
    "unknown image type",
    "image has size 0 width or height (or both)",
};
constexpr int32_t kErrorCount = static_cast<int32_t>(sizeof kErrorTexts / sizeof kErrorTexts[0]);

}  // namespace

void setTgaError(int32_t code) {
    lastError = code;
}

int32_t tgaLastError() {
    return lastError;
}

const char* tgaErrorText(int32_t code) {
    if (code < 0 || code >= kErrorCount) return "unknown error";
    return kErrorTexts[code];
}
