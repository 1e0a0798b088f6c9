// The dependency file (--depfile): the files a run read, as a Makefile rule whose targets are
// the files it wrote, followed by an empty rule for each prerequisite so that a deleted source
// does not stop make (as `gcc -MP` writes them). Paths stay as the run composed them; `$` is
// written `$$`, a blank gets a backslash before it, and so does `#`. Those are the only escapes
// that GNU make and ninja both read back; a path that needs any other (a tab, a line feed, `:`,
// `;`, `|`, ...) is refused and the file is not written, since a rule either tool misreads
// breaks every later build until it is deleted.
#pragma once

#include <optional>
#include <span>
#include <string>

// A path the rule cannot carry, and its first byte that make or ninja would misread.
struct RefusedPath {
    std::string path;
    char byte = 0;
};

// The rule's text, or the first path (targets first, then prerequisites) that cannot be in it.
struct DepfileText {
    std::string text;
    std::optional<RefusedPath> refused;
};

// The text of the rule. Prerequisites keep their first appearance only, and one that is also a
// target is left out (an info file read back and then replaced is no input of its own making).
DepfileText depfileText(std::span<const std::string> targets,
                        std::span<const std::string> prerequisites);

// Writes the rule to `path`, whole. Returns true when it is there; otherwise its line has been
// printed: a path the rule cannot carry, a file that cannot be created, or a failed write.
bool writeDepfile(const std::string& path, std::span<const std::string> targets,
                  std::span<const std::string> prerequisites);
