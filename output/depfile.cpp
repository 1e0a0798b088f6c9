#include "output/depfile.hpp"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "output/side_files.hpp"

namespace {

// Bytes that no escape carries through both readers: control bytes (tab and line feed among
// them: ninja ends a name there) and DEL; bytes outside ninja's name characters (" & ' * < >
// ? ^ ` |); and make's rule syntax: `:` and `;` end the targets and the prerequisites, `=` makes
// a variable assignment, `|` starts order-only prerequisites, `&` grouped targets, `*` `?` `[`
// are wildcards.
bool refusedAnywhere(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    constexpr std::string_view REFUSED = "\"&'*:;<=>?[^`|";
    return REFUSED.find(static_cast<char>(c)) != std::string_view::npos;
}

// Bytes written with an escape: `$$`, or a backslash before a blank or `#`.
bool escapedByte(char c) {
    return c == '$' || c == ' ' || c == '#';
}

// The first byte of `path` that make or ninja would misread, or nothing.
std::optional<char> refusedByte(const std::string& path, bool isTarget) {
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (refusedAnywhere(static_cast<unsigned char>(c))) return c;
        // Neither reader lets a backslash stand before an escape, nor before the line end
        // (where it continues the line).
        if (c == '\\' && (i + 1 == path.size() || escapedByte(path[i + 1]))) return c;
        // A target with `%` makes a pattern rule; a leading `~` is make's home folder.
        if ((c == '%' && isTarget) || (c == '~' && i == 0)) return c;
    }
    // make drops a blank at the end of a rule's line, escaped or not.
    if (!path.empty() && path.back() == ' ') return ' ';
    // A name that ends with `)` and holds `(` is an archive member to make.
    if (path.find('(') != std::string::npos && path.back() == ')') return '(';
    return std::nullopt;
}

std::string escaped(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '$') {
            out += "$$";
            continue;
        }
        if (escapedByte(c)) out += '\\';
        out += c;
    }
    return out;
}

std::optional<RefusedPath> firstRefused(std::span<const std::string> paths, bool areTargets) {
    for (const std::string& path : paths) {
        if (const std::optional<char> byte = refusedByte(path, areTargets)) {
            return RefusedPath{path, *byte};
        }
    }
    return std::nullopt;
}

}  // namespace

DepfileText depfileText(std::span<const std::string> targets,
                        std::span<const std::string> prerequisites) {
    std::vector<std::string> inputs;
    for (const std::string& path : prerequisites) {
        const auto seen = [&](std::span<const std::string> list) {
            return std::find(list.begin(), list.end(), path) != list.end();
        };
        if (!seen(targets) && !seen(inputs)) inputs.push_back(path);
    }
    DepfileText result;
    result.refused = firstRefused(targets, true);
    if (!result.refused) result.refused = firstRefused(inputs, false);
    if (result.refused) return result;
    std::string& text = result.text;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (i > 0) text += ' ';
        text += escaped(targets[i]);
    }
    text += ':';
    for (const std::string& input : inputs) text += " \\\n " + escaped(input);
    text += '\n';
    for (const std::string& input : inputs) text += '\n' + escaped(input) + ":\n";
    return result;
}

bool writeDepfile(const std::string& path, std::span<const std::string> targets,
                  std::span<const std::string> prerequisites) {
    const DepfileText rule = depfileText(targets, prerequisites);
    if (rule.refused) {
        // The byte is printed as it is, a line feed included.
        printMessage(
            MessageId::depfileUnwritable,
            "Couldn't write %s: the path %s holds '%c', which make or ninja cannot read.\n",
            path.c_str(), rule.refused->path.c_str(), rule.refused->byte);
        return false;
    }
    return writeSideFile(path, rule.text, "dependency file");
}
