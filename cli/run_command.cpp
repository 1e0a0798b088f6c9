#include "cli/run_command.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check/check.hpp"
#include "cli/command_line.hpp"
#include "console/console.hpp"
#include "control/driver.hpp"
#include "cli/dump.hpp"
#include "filesys/file_access.hpp"
#include "filesys/process_setup.hpp"
#include "output/depfile.hpp"
#include "output/output_files.hpp"
#include "output/side_files.hpp"

namespace {

constexpr std::string_view STANDARD_INPUT = "-";

ExitStatus commandLineError(const std::string& problem) {
    std::fprintf(stderr, "spritebake: %s\nTry 'spritebake --help'.\n", problem.c_str());
    return ExitStatus::commandLine;
}

// --help, --version, --dump and --check have their standard output as their product: like GNU
// tools, they fail when it did not all reach its file (a full disk, /dev/full). An ordinary run
// keeps going when a message cannot be written, and its status says only what it wrote.
ExitStatus closeProduct(ExitStatus status) {
    const int error = consoleCloseOutput();
    if (error == 0) return status;
    std::fprintf(stderr, "spritebake: write error: %s\n", std::strerror(error));
    return combineStatus(status, ExitStatus::notWritten);
}

// Loads the control text named on the command line ("-": standard input, read to its end).
// False, with the run's line, when there is none to read.
bool loadControlText(const std::string& name, FileBlock& block, std::string_view& text) {
    const int32_t loaded = name == STANDARD_INPUT ? fileLoadStandardInput(block)
                                                  : fileLoadControl(name.c_str(), block);
    if (loaded < 1 || block.data() == nullptr) {
        printMessage(MessageId::controlFileMissing, "Couldn't open control file, check path.\n");
        return false;
    }
    text =
        std::string_view(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(loaded));
    return true;
}

// The files a run read, for the dependency file. Standard input is no file a build tool can
// watch, so a control text read from it is left out.
std::vector<std::string> prerequisites(const CommandLine& options, const DriverState& state) {
    std::vector<std::string> read;
    if (*options.controlFile != STANDARD_INPUT) read.push_back(*options.controlFile);
    read.insert(read.end(), state.filesRead.begin(), state.filesRead.end());
    return read;
}

ExitStatus runBake(const CommandLine& options) {
    setupConsole();
    consoleSetQuiet(options.quiet);
    fileSystemInit("", nullptr);
    resetDriverState();
    DriverState& state = driverState();

    // The control text stays loaded until the run ends.
    FileBlock block;
    std::string_view text;
    const bool haveText = loadControlText(*options.controlFile, block, text);
    if (haveText) state.span = TextSpan{text.data(), static_cast<int32_t>(text.size())};
    runStatementLoop(state);
    const ExitStatus written =
        runOutputStage(state, options.controlFile->c_str(), options.ifChanged);
    ExitStatus status = haveText ? written : ExitStatus::notWritten;

    // Files beside the output are written only once the output itself is in place; the
    // dependency file last, naming every file written as a target.
    if (status == ExitStatus::done) {
        std::vector<std::string> targets = {outputPath(state)};
        if (!writeSideFiles(options.sideFiles, options.headerPrefix, options.atlas,
                            options.ifChanged, state, targets, prerequisites(options, state))) {
            status = ExitStatus::notWritten;
        }
    }
    consoleFlush();
    if (options.strict && consoleSawProblem()) {
        status = combineStatus(status, ExitStatus::problems);
    }
    return status;
}

ExitStatus runCheck(const CommandLine& options) {
    setupConsole();
    fileSystemInit("", nullptr);
    FileBlock block;
    std::string_view text;
    if (!loadControlText(*options.controlFile, block, text)) return ExitStatus::notWritten;
    return runCheckText(text, *options.controlFile);
}

ExitStatus runParsed(const CommandLine& options) {
    if (options.help) {
        consoleWrite(helpText());
        return closeProduct(ExitStatus::done);
    }
    if (options.version) {
        consoleWrite(versionText());
        return closeProduct(ExitStatus::done);
    }
    for (const std::string& folder : options.folders) {
        const int32_t error = fileChangeFolder(folder.c_str());
        if (error != 0) {
            return commandLineError("cannot change to folder '" + folder +
                                    "': " + std::strerror(error));
        }
    }
    if (options.dump) return closeProduct(runDump(options.dump->c_str()));
    return options.check ? closeProduct(runCheck(options)) : runBake(options);
}

}  // namespace

ExitStatus combineStatus(ExitStatus a, ExitStatus b) {
    constexpr std::array<ExitStatus, 5> PRECEDENCE = {
        ExitStatus::commandLine, ExitStatus::limitBroken, ExitStatus::notWritten,
        ExitStatus::problems, ExitStatus::done};
    for (const ExitStatus status : PRECEDENCE) {
        if (a == status || b == status) return status;
    }
    return a;
}

int runSpritebake(int argc, char** argv) {
    // Before any file is opened: no output may take a standard descriptor's number, and a
    // closed pipe or a size limit fails a write instead of killing the run.
    fileGuardStandardStreams();
    fileIgnoreWriteSignals();
    if (argc < 2 || argv[1] == nullptr) {
        printMessage(MessageId::usage, "Usage: spritebake CONTROL_FILE\n");
        return static_cast<int>(ExitStatus::commandLine);
    }
    const ExitStatus status = stopWhenMemoryRunsOut([&] {
        const std::vector<std::string_view> args(argv + 1, argv + argc);
        const ParsedCommandLine parsed = parseCommandLine(args);
        if (!parsed.error.empty()) return commandLineError(parsed.error);
        return runParsed(parsed.options);
    });
    return static_cast<int>(status);
}
