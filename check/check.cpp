#include "check/check.hpp"

#include <algorithm>
#include <limits>

#include "console/console.hpp"
#include "check/control_lint.hpp"
#include "control/driver.hpp"
#include "filesys/file_access.hpp"

namespace {

// While it lives, the statements report to the lint and every line the run prints reaches it
// instead of standard output; informational lines are dropped.
class LintScope {
  public:
    LintScope(DriverState& state, ControlLint& lint) : state_(state) {
        consoleSetLineSink([&lint](MessageId id, std::string_view line, bool informational) {
            if (!informational) lint.runMessage(id, line);
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

// Runs the lint over `text` and writes its diagnostics as they are read out, so that no text of
// them all is ever held at once. Returns whether there were any.
bool lintText(std::string_view text, const std::string& shownName) {
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
    constexpr size_t WRITE_SIZE = size_t{64} << 10;
    std::string out;
    lint.diagnostics().forEach([&](int32_t line, std::string_view diagnostic) {
        out += shownName;
        out += ':';
        out += std::to_string(line);
        out += ": warning: ";
        out += diagnostic;
        out += '\n';
        if (out.size() >= WRITE_SIZE) {
            consoleWrite(out);
            out.clear();
        }
    });
    consoleWrite(out);
    return !lint.diagnostics().empty();
}

}  // namespace

ExitStatus runCheckText(std::string_view text, const std::string& shownName) {
    setupConsole();
    fileSystemInit("", nullptr);
    // A failed allocation unwinds through LintScope, which detaches the lint and its sink.
    return stopWhenMemoryRunsOut(
        [&] { return lintText(text, shownName) ? ExitStatus::problems : ExitStatus::done; });
}
