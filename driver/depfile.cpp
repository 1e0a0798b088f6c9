#include "driver/depfile.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "driver/side_files.hpp"

namespace {

std::string escaped(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '$') {
            out += "$$";
            continue;
        }
        if (c == ' ' || c == '\t' || c == '#') out += '\\';
        out += c;
    }
    return out;
}

bool holdsLineFeed(const std::string& path) {
    return path.find('\n') != std::string::npos;
}

}  // namespace

std::optional<std::string> depfileText(std::span<const std::string> targets,
                                       std::span<const std::string> prerequisites) {
    std::vector<std::string> inputs;
    for (const std::string& path : prerequisites) {
        const auto seen = [&](std::span<const std::string> list) {
            return std::find(list.begin(), list.end(), path) != list.end();
        };
        if (!seen(targets) && !seen(inputs)) inputs.push_back(path);
    }
    if (std::any_of(targets.begin(), targets.end(), holdsLineFeed) ||
        std::any_of(inputs.begin(), inputs.end(), holdsLineFeed)) {
        return std::nullopt;
    }
    std::string text;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (i > 0) text += ' ';
        text += escaped(targets[i]);
    }
    text += ':';
    for (const std::string& input : inputs) text += " \\\n " + escaped(input);
    text += '\n';
    for (const std::string& input : inputs) text += '\n' + escaped(input) + ":\n";
    return text;
}

bool writeDepfile(const std::string& path, std::span<const std::string> targets,
                  std::span<const std::string> prerequisites) {
    const std::optional<std::string> text = depfileText(targets, prerequisites);
    if (!text) {
        std::printf("Dependency file %s not written: a path holds a line feed.\n", path.c_str());
        return false;
    }
    return writeSideFile(path, *text, "dependency file");
}
