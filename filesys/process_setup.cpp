// What the process sets up before it opens any file: standard descriptors that cannot be taken
// over by an output, and write failures that are reported instead of ending the process.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "filesys/process_setup.hpp"

void fileGuardStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open takes the lowest free descriptor, which is this one: an output file opened later
        // can never become standard output and receive the messages.
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != -1 && opened != fd) close(opened);
    }
}

void fileIgnoreWriteSignals() {
    // A message to a closed pipe is dropped and the run goes on; an output write past the size
    // limit fails with EFBIG and is reported like any failed write.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

int32_t fileChangeFolder(const char* path) {
    return chdir(path) == 0 ? 0 : errno;
}
