#include "driver/check.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>

#include "driver/console.hpp"
#include "driver/control_lint.hpp"
#include "driver/driver.hpp"
#include "filesys/file_layer.hpp"

namespace {

constexpr int32_t CHECK_CLEAN = 0;
constexpr int32_t CHECK_FOUND_PROBLEMS = 3;

// While it lives, the statements report to the lint and every line the run prints reaches it
// instead of standard output; informational lines are dropped.
class LintScope {
  public:
    LintScope(DriverState& state, ControlLint& lint) : state_(state) {
        consoleSetLineSink([&lint](std::string_view line, bool informational) {
            if (!informational) lint.runLine(line);
        });
        state.lint = &lint;
    }
    ~LintScope() {
        consoleSetLineSink({});
        state_.lint = nullptr;
    }
    LintScope(const LintScope&) = delete;
    LintScope& operator=(const LintScope&) = delete;

  private:
    DriverState& state_;
};

std::vector<Diagnostic> lintText(std::string_view text) {
    resetDriverState();
    DriverState& state = driverState();
    const size_t limit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    const std::string_view seen = text.substr(0, std::min(text.size(), limit));
    state.span = TextSpan{seen.data(), static_cast<int32_t>(seen.size())};
    ControlLint lint(seen, state);
    {
        LintScope scope(state, lint);
        runStatementLoop(state);
        lint.finish();
    }
    std::vector<Diagnostic> found = lint.diagnostics();
    std::stable_sort(found.begin(), found.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return found;
}

}  // namespace

int32_t runCheckText(std::string_view text, const std::string& shownName) {
    setupConsole();
    fileSystemInit("", nullptr);
    try {
        const std::vector<Diagnostic> found = lintText(text);
        std::string out;
        for (const Diagnostic& d : found) {
            out += shownName + ":" + std::to_string(d.line) + ": warning: " + d.text + "\n";
        }
        consoleWrite(out);
        return found.empty() ? CHECK_CLEAN : CHECK_FOUND_PROBLEMS;
    } catch (const std::bad_alloc&) {
        consoleSetLineSink({});
        driverState().lint = nullptr;
        std::printf("Out of memory, run stopped.\n");
        return 1;
    }
}
