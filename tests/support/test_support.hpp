// Helpers shared by the test suites: scratch folders, whole-file reads and writes, and running
// code or the real executable in a child process with its standard output captured.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readFile(const std::string& path);

// The names of the entries directly in `folder`, sorted: to show what a run left there.
std::vector<std::string> namesIn(const std::string& folder);
std::string readText(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeText(const std::string& path, const std::string& text);

struct ChildResult {
    int exitStatus = -1;  // the child's exit status (0..255), or -1 when it did not exit
    int signal = 0;       // the signal that ended it, or 0
    std::string out;      // everything it wrote to standard output
    std::string err;      // everything it wrote to standard error (the executable's runs only)
};

// How a child's standard output is set up.
enum class ChildStdout {
    captured,    // a pipe the parent reads into ChildResult::out
    closed,      // descriptor 1 closed before the program starts
    brokenPipe,  // a pipe whose reader has already gone
    fullDevice,  // /dev/full: every write fails with ENOSPC, as on a full disk
};

// Limits for a child process; 0 means no limit.
struct ChildLimits {
    uint64_t fileSizeBytes = 0;        // RLIMIT_FSIZE
    bool ignoreFileSizeSignal = true;  // SIGXFSZ ignored by the caller, so writes fail instead
    ChildStdout stdoutMode = ChildStdout::captured;
};

// Runs `body` in a forked child with standard output captured; the child exits with 0 when
// body returns.
ChildResult runInChild(const std::function<void()>& body, ChildLimits limits = {});

// Runs the built spritebake executable with `args` in folder `cwd`, standard error captured.
ChildResult runSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                          ChildLimits limits = {});

// The same, started without waiting: the caller may watch or signal the process, then collects
// it with finishChild (which reads its output pipes to the end and waits).
struct RunningChild {
    int pid = -1;
    int outFd = -1;  // the read ends of its captured standard output and error
    int errFd = -1;
    int inFd = -1;  // the write end of its standard input, when it was given one
};
RunningChild startSpritebake(const std::vector<std::string>& args, const std::string& cwd,
                             ChildLimits limits = {});
ChildResult finishChild(RunningChild child);

// Any program (a path) run or started the same way, e.g. the executable under a tracer.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& cwd);
RunningChild startProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd);

// The same with `input` fed to its standard input through a pipe, closed after the last byte.
ChildResult runSpritebakeWithInput(const std::vector<std::string>& args, const std::string& cwd,
                                   const std::string& input);

// The path of the built executable and the corpus folder, as the build configured them.
std::string spritebakePath();
std::string corpusDir();

// The source tree's root, and the version the build gave the project.
std::string sourceDir();
std::string projectVersion();

}  // namespace testsupport
