// The TGA module's last-error code, shared by the reader and the writers, and its texts.
#include "image/tga.hpp"
#include "image/tga_internal.hpp"

namespace {

// One process-wide value without a lock: the module is single-threaded.
TgaError lastError = TgaError::none;

// In the order of the codes.
constexpr const char* ERROR_TEXTS[] = {
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
constexpr int32_t ERROR_COUNT = static_cast<int32_t>(sizeof ERROR_TEXTS / sizeof ERROR_TEXTS[0]);
static_assert(ERROR_COUNT == static_cast<int32_t>(TgaError::zeroSide) + 1);

}  // namespace

void setTgaError(TgaError code) {
    lastError = code;
}

TgaError tgaLastError() {
    return lastError;
}

const char* tgaErrorText(TgaError code) {
    const auto index = static_cast<int32_t>(code);
    if (index < 0 || index >= ERROR_COUNT) return "unknown error";
    return ERROR_TEXTS[index];
}
