// Runs a shell command for the sidecar tests (a compiler, Python) and captures what it prints.
#pragma once

#include <cstdio>
#include <string>

namespace sidecartest {

struct CommandResult {
    int status = -1;  // the command's exit status, -1 when it could not run
    std::string out;  // standard output and standard error together
};

inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.out.append(chunk, got);
    const int raw = pclose(pipe);
    result.status = raw >= 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

// A configured tool path, or "" when CMake found none.
inline std::string configuredTool(const char* path) {
    const std::string tool = path;
    return tool.empty() || tool.ends_with("-NOTFOUND") ? std::string() : tool;
}

// A path in single quotes for the shell.
inline std::string quoted(const std::string& path) {
    std::string out = "'";
    for (const char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace sidecartest
