#include "output/output_sink.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "filesys/file_access.hpp"
#include "console/console.hpp"

namespace {

constexpr size_t GATHER_SIZE = size_t{64} << 10;     // bytes gathered before a write
constexpr uint64_t WRITE_CHUNK = uint64_t{1} << 20;  // the most one write call is given

}  // namespace

OutputSink::~OutputSink() = default;  // a file never finished is dropped by file_

bool OutputSink::open(const std::string& path) {
    path_ = path;
    failed_ = false;
    abandoned_ = false;
    unchanged_ = false;
    pending_.clear();
    handle_ = file_.open(path) ? file_.handle() : -1;
    return handle_ != -1;
}

bool OutputSink::writeNow(const uint8_t* bytes, uint64_t count) {
    while (count > 0 && !failed_) {
        const uint64_t chunk = std::min(count, WRITE_CHUNK);
        const int32_t written = fileWrite(handle_, bytes, static_cast<int32_t>(chunk));
        // A short write means the file cannot take more (a full disk, a size limit): stop.
        if (written < 0 || static_cast<uint64_t>(written) != chunk) failed_ = true;
        bytes += chunk;
        count -= chunk;
    }
    return !failed_;
}

bool OutputSink::flush() {
    if (failed_ || handle_ == -1) return false;
    if (!pending_.empty()) {
        writeNow(pending_.data(), pending_.size());
        pending_.clear();
    }
    return !failed_;
}

bool OutputSink::append(std::span<const uint8_t> bytes) {
    if (failed_ || handle_ == -1) return false;
    if (pending_.size() + bytes.size() <= GATHER_SIZE) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return true;
    }
    // A large block goes straight to the file after what was gathered before it.
    if (!flush()) return false;
    if (bytes.size() < GATHER_SIZE) {
        pending_.assign(bytes.begin(), bytes.end());
        return true;
    }
    return writeNow(bytes.data(), bytes.size());
}

bool OutputSink::appendText(std::string_view text) {
    return append(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool OutputSink::appendRepeated(uint8_t byte, uint64_t count) {
    std::array<uint8_t, 4096> block;
    block.fill(byte);
    while (count > 0) {
        const uint64_t part = std::min<uint64_t>(count, block.size());
        if (!append(std::span<const uint8_t>(block.data(), part))) return false;
        count -= part;
    }
    return !failed_;
}

void OutputSink::reportFailure() {
    const bool inPlace = file_.inPlace();
    const bool removable = file_.inPlaceRegular();
    file_.abandon();  // a temporary file is removed; the previous output stays as it was
    handle_ = -1;
    // Written in place (a device, or a folder that takes no temporary file): only a regular
    // file can be removed, and only if the folder allows it.
    const bool removed = !inPlace || (removable && fileRemove(path_.c_str()) == 0);
    if (removed) {
        printMessage(MessageId::outputWriteRemoved,
                     "Error while writing %s, incomplete file removed.\n", path_.c_str());
    } else {
        printMessage(MessageId::outputWriteError, "Error while writing %s.\n", path_.c_str());
    }
}

void OutputSink::abandon() {
    if (abandoned_) return;
    const bool removable = file_.inPlaceRegular();
    file_.abandon();
    if (removable) fileRemove(path_.c_str());
    handle_ = -1;
    failed_ = true;
    abandoned_ = true;
    pending_.clear();
}

bool OutputSink::finish(bool keepIfSame) {
    if (abandoned_) return false;
    if (handle_ == -1 && !failed_) return false;
    flush();
    if (!failed_) {
        const ReplaceResult result = file_.commit(keepIfSame);
        handle_ = -1;
        if (result == ReplaceResult::renameRefused) {
            // Every byte was written; only the rename was refused, so nothing was incomplete.
            failed_ = true;
            printMessage(MessageId::outputNotReplaced,
                         "Couldn't replace %s (%s), previous output kept.\n", path_.c_str(),
                         std::strerror(file_.renameError()));
            return false;
        }
        if (result == ReplaceResult::failed) failed_ = true;
        unchanged_ = result == ReplaceResult::unchanged;
    }
    if (failed_) {
        reportFailure();
        return false;
    }
    return true;
}
