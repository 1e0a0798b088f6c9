// The dependency file (--depfile): the files a run read, as a Makefile rule whose targets are
// the files it wrote, followed by an empty rule for each prerequisite so that a deleted source
// does not stop make (as `gcc -MP` writes them). Paths stay as the run composed them; `$` is
// written `$$`, a blank or tab gets a backslash before it, and so does `#`.
#pragma once

#include <optional>
#include <span>
#include <string>

// The text of the rule. Prerequisites keep their first appearance only, and one that is also a
// target is left out (an info file read back and then replaced is no input of its own making).
// Nothing when a path holds a line feed, which no Makefile syntax can carry.
std::optional<std::string> depfileText(std::span<const std::string> targets,
                                       std::span<const std::string> prerequisites);

// Writes the rule to `path`, whole. Returns true when it is there; otherwise its line has been
// printed: a path with a line feed, a file that cannot be created, or a failed write.
bool writeDepfile(const std::string& path, std::span<const std::string> targets,
                  std::span<const std::string> prerequisites);
