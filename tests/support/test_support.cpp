#include "tests/support/test_support.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "spritebake-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

namespace {

void applyLimits(const ChildLimits& limits) {
    if (limits.fileSizeBytes != 0) {
        signal(SIGXFSZ, limits.ignoreFileSizeSignal ? SIG_IGN : SIG_DFL);
        rlimit rl{limits.fileSizeBytes, limits.fileSizeBytes};
        setrlimit(RLIMIT_FSIZE, &rl);
    }
    if (limits.stdoutMode == ChildStdout::closed) {
        close(STDOUT_FILENO);
    } else if (limits.stdoutMode == ChildStdout::brokenPipe) {
        int broken[2];
        if (pipe(broken) == 0) {
            close(broken[0]);
            dup2(broken[1], STDOUT_FILENO);
            close(broken[1]);
        }
        signal(SIGPIPE, SIG_DFL);  // as a shell leaves it: the tool must defend itself
    } else if (limits.stdoutMode == ChildStdout::fullDevice) {
        const int full = open("/dev/full", O_WRONLY);
        if (full >= 0) {
            dup2(full, STDOUT_FILENO);
            close(full);
        }
    }
}

ChildResult collect(pid_t pid, int readEnd) {
    ChildResult result;
    char buf[4096];
    for (;;) {
        ssize_t n = read(readEnd, buf, sizeof buf);
        if (n > 0) {
            result.out.append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(readEnd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace

ChildResult runInChild(const std::function<void()>& body, ChildLimits limits) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        applyLimits(limits);
        body();
        fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    return collect(pid, fds[0]);
}

namespace {

// Feeds `input` to the child and reads its two output pipes until both end, so that neither side
// can block the other however much each writes.
void pump(int inFd, const std::string& input, int outFd, int errFd, ChildResult& result) {
    size_t fed = 0;
    if (inFd >= 0 && input.empty()) {
        close(inFd);
        inFd = -1;
    }
    while (outFd >= 0 || errFd >= 0 || inFd >= 0) {
        std::vector<pollfd> fds;
        if (inFd >= 0) fds.push_back({inFd, POLLOUT, 0});
        if (outFd >= 0) fds.push_back({outFd, POLLIN, 0});
        if (errFd >= 0) fds.push_back({errFd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (const pollfd& p : fds) {
            if (p.revents == 0) continue;
            if (p.fd == inFd) {
                const ssize_t n = write(inFd, input.data() + fed, input.size() - fed);
                if (n > 0) fed += static_cast<size_t>(n);
                if (n < 0 && errno != EINTR && errno != EAGAIN) fed = input.size();
                if (fed == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[4096];
            const ssize_t n = read(p.fd, buf, sizeof buf);
            if (n > 0) {
                (p.fd == outFd ? result.out : result.err).append(buf, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(p.fd);
                (p.fd == outFd ? outFd : errFd) = -1;
            }
        }
    }
}

// Starts the executable with its output pipes (and an input pipe when `withInput`).
RunningChild spawnProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd, ChildLimits limits, bool withInput) {
    int outPipe[2], errPipe[2], inPipe[2] = {-1, -1};
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    if (withInput && pipe(inPipe) != 0) throw std::runtime_error("pipe failed");
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        if (withInput) dup2(inPipe[0], STDIN_FILENO);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], inPipe[0], inPipe[1]}) {
            if (fd > STDERR_FILENO) close(fd);
        }
        if (chdir(cwd.c_str()) != 0) _exit(120);
        applyLimits(limits);
        std::string exe = program;
        std::vector<char*> argv{exe.data()};
        std::vector<std::string> copies(args);
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(121);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (withInput) {
        close(inPipe[0]);
        fcntl(inPipe[1], F_SETFL, fcntl(inPipe[1], F_GETFL) | O_NONBLOCK);  // poll decides
    }
    return RunningChild{pid, outPipe[0], errPipe[0], inPipe[1]};
}

RunningChild spawnExecutable(const std::vector<std::string>& args, const std::string& cwd,
                             ChildLimits limits, bool withInput) {
    return spawnProgram(spritebakePath(), args, cwd, limits, withInput);
}

ChildResult finishWithInput(RunningChild child, const std::string& input) {
    // A child that stops reading its input must not end the test with SIGPIPE.
    void (*previous)(int) = signal(SIGPIPE, SIG_IGN);
    ChildResult result;
    pump(child.inFd, input, child.outFd, child.errFd, result);
    signal(SIGPIPE, previous);
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

ChildResult runExecutable(const std::vector<std::string>& args, const std::string& cwd,
                          ChildLimits limits, const std::string* input) {
    return finishWithInput(spawnExecutable(args, cwd, limits, input != nullptr),
                           input != nullptr ? *input : std::string());
}

}  // namespace

ChildResult runSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                          ChildLimits limits) {
    return runExecutable(args, cwd, limits, nullptr);
}

RunningChild startSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                             ChildLimits limits) {
    return spawnExecutable(args, cwd, limits, false);
}

ChildResult finishChild(RunningChild child) {
    return finishWithInput(child, std::string());
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& cwd) {
    return finishChild(spawnProgram(program, args, cwd, {}, false));
}

RunningChild startProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd) {
    return spawnProgram(program, args, cwd, {}, false);
}

ChildResult runSpritebakeWithInput(const std::vector<std::string>& args, const std::string& cwd,
                                   const std::string& input) {
    return runExecutable(args, cwd, {}, &input);
}

std::string spritebakePath() {
    return SPRITEBAKE_EXE;
}
std::string corpusDir() {
    return SPRITEBAKE_CORPUS_DIR;
}
std::string sourceDir() {
    return SPRITEBAKE_SOURCE_DIR;
}
std::string projectVersion() {
    return SPRITEBAKE_VERSION;
}

}  // namespace testsupport
