#include "tests/support/test_support.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

ChildResult runSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                          ChildLimits limits) {
    return finishChild(startSpritebake(args, cwd, limits));
}

ChildResult finishChild(RunningChild child) {
    return collect(child.pid, child.outFd);
}

RunningChild startSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                             ChildLimits limits) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        if (chdir(cwd.c_str()) != 0) _exit(120);
        applyLimits(limits);
        std::string exe = spritebakePath();
        std::vector<char*> argv{exe.data()};
        std::vector<std::string> copies(args);
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(121);
    }
    close(fds[1]);
    return RunningChild{pid, fds[0]};
}

std::string spritebakePath() {
    return SPRITEBAKE_EXE;
}
std::string corpusDir() {
    return SPRITEBAKE_CORPUS_DIR;
}

}  // namespace testsupport
