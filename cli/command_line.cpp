#include "cli/command_line.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "atlas/atlas_files.hpp"

#include "sidecar/c_header.hpp"

namespace {

enum class Option {
    help,
    version,
    quiet,
    strict,
    check,
    ifChanged,
    directory,
    headerPrefix,
    dump,
    atlasFormat,
    atlasAlpha,
    atlasExtrude,
    atlasPadding,
    atlasMaxSize,
    atlasPowerOfTwo,
    atlasNoAlias,
    sideFile,  // a row of the table of files beside the output
};

struct OptionEntry {
    std::string_view longName;
    char shortName;  // 0: long form only
    bool takesValue;
    Option option;
    size_t sideFile = 0;  // the row, for Option::sideFile
};

// The options of their own; the files beside the output follow, one for each row of their table.
constexpr std::array<OptionEntry, 16> OPTIONS = {{
    {"help", 'h', false, Option::help},
    {"version", 0, false, Option::version},
    {"quiet", 'q', false, Option::quiet},
    {"strict", 0, false, Option::strict},
    {"check", 0, false, Option::check},
    {"if-changed", 0, false, Option::ifChanged},
    {"directory", 'C', true, Option::directory},
    {"header-prefix", 0, true, Option::headerPrefix},
    {"dump", 0, true, Option::dump},
    {"atlas-format", 0, true, Option::atlasFormat},
    {"atlas-alpha", 0, true, Option::atlasAlpha},
    {"atlas-extrude", 0, true, Option::atlasExtrude},
    {"atlas-padding", 0, true, Option::atlasPadding},
    {"atlas-max-size", 0, true, Option::atlasMaxSize},
    {"atlas-pot", 0, false, Option::atlasPowerOfTwo},
    {"atlas-no-alias", 0, false, Option::atlasNoAlias},
}};

struct AtlasFormatName {
    std::string_view name;
    AtlasFormat format;
};
constexpr std::array<AtlasFormatName, 3> ATLAS_FORMATS = {{
    {"json-hash", AtlasFormat::jsonHash},
    {"json-array", AtlasFormat::jsonArray},
    {"phaser3", AtlasFormat::phaser3},
}};

const std::array<OptionEntry, OPTIONS.size() + SIDE_FILE_COUNT>& allOptions() {
    static const auto all = [] {
        std::array<OptionEntry, OPTIONS.size() + SIDE_FILE_COUNT> entries{};
        std::copy(OPTIONS.begin(), OPTIONS.end(), entries.begin());
        for (size_t row = 0; row < SIDE_FILE_COUNT; ++row) {
            entries[OPTIONS.size() + row] =
                OptionEntry{sideFileRows()[row].option, 0, true, Option::sideFile, row};
        }
        return entries;
    }();
    return all;
}

const OptionEntry* findLong(std::string_view name) {
    for (const OptionEntry& entry : allOptions()) {
        if (entry.longName == name) return &entry;
    }
    return nullptr;
}

const OptionEntry* findShort(char name) {
    for (const OptionEntry& entry : allOptions()) {
        if (entry.shortName != 0 && entry.shortName == name) return &entry;
    }
    return nullptr;
}

std::string quoted(std::string_view text) {
    // Built by appending: g++ 12 at -O3 misreads "'" + std::string as an overlapping copy.
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    out += text;
    out += '\'';
    return out;
}

std::string invalidValue(const OptionEntry& entry, std::string_view value, const char* allowed) {
    return "invalid value " + quoted(value) + " for --" + std::string(entry.longName) + " (" +
           allowed + ")";
}

// A whole decimal number from `low` to `high`, or nothing.
std::optional<int32_t> numberIn(std::string_view text, int32_t low, int32_t high) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Sets an --atlas-* option; an error text when its value is not one it takes.
std::string applyAtlas(AtlasSettings& atlas, const OptionEntry& entry, std::string_view value) {
    const auto number = [&](int32_t low, int32_t high, int32_t& into,
                            const char* allowed) -> std::string {
        const std::optional<int32_t> read = numberIn(value, low, high);
        if (!read) return invalidValue(entry, value, allowed);
        into = *read;
        return {};
    };
    switch (entry.option) {
        case Option::atlasFormat:
            for (const AtlasFormatName& format : ATLAS_FORMATS) {
                if (format.name == value) {
                    atlas.format = format.format;
                    return {};
                }
            }
            return invalidValue(entry, value, "json-hash, json-array or phaser3");
        case Option::atlasAlpha:
            if (value != "straight" && value != "premultiplied") {
                return invalidValue(entry, value, "straight or premultiplied");
            }
            atlas.premultiplied = value == "premultiplied";
            return {};
        case Option::atlasExtrude:
            return number(0, ATLAS_MAX_EXTRUDE, atlas.extrude, "a whole number from 0 to 256");
        case Option::atlasPadding:
            return number(0, ATLAS_MAX_PADDING, atlas.padding, "a whole number from 0 to 256");
        case Option::atlasMaxSize:
            return number(1, ATLAS_MAX_PAGE_SIZE, atlas.maxSize,
                          "a whole number from 1 to 16384");
        case Option::atlasPowerOfTwo:
            atlas.powerOfTwo = true;
            return {};
        case Option::atlasNoAlias:
            atlas.alias = false;
            return {};
        default:
            return {};
    }
}

// Takes an option with its value; an error text when the value is not one it takes.
std::string apply(CommandLine& options, const OptionEntry& entry, std::string_view value) {
    switch (entry.option) {
        case Option::help:
            options.help = true;
            break;
        case Option::version:
            options.version = true;
            break;
        case Option::quiet:
            options.quiet = true;
            break;
        case Option::strict:
            options.strict = true;
            break;
        case Option::check:
            options.check = true;
            break;
        case Option::ifChanged:
            options.ifChanged = true;
            break;
        case Option::directory:
            options.folders.emplace_back(value);
            break;
        case Option::headerPrefix:
            options.headerPrefix = std::string(value);
            break;
        case Option::sideFile:
            options.sideFiles[entry.sideFile] = std::string(value);
            break;
        case Option::dump:
            options.dump = std::string(value);
            break;
        case Option::atlasFormat:
        case Option::atlasAlpha:
        case Option::atlasExtrude:
        case Option::atlasPadding:
        case Option::atlasMaxSize:
        case Option::atlasPowerOfTwo:
        case Option::atlasNoAlias:
            if (options.firstAtlasOption.empty()) {
                options.firstAtlasOption = "--" + std::string(entry.longName);
            }
            return applyAtlas(options.atlas, entry, value);
    }
    return {};
}

class Reader {
  public:
    explicit Reader(std::span<const std::string_view> args) : args_(args) {}

    // Returns an error text, or empty when every argument was taken.
    std::string read(CommandLine& options) {
        bool optionsEnded = false;
        for (next_ = 0; next_ < args_.size();) {
            const std::string_view arg = args_[next_++];
            if (!optionsEnded && arg == "--") {
                optionsEnded = true;
                continue;
            }
            std::string error;
            if (!optionsEnded && arg.size() > 2 && arg.starts_with("--")) {
                error = readLong(options, arg.substr(2));
            } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
                error = readShortCluster(options, arg.substr(1));
            } else if (options.controlFile) {
                error = "a second control file " + quoted(arg) + " (only one can be given)";
            } else {
                options.controlFile = std::string(arg);
            }
            if (!error.empty()) return error;
        }
        return {};
    }

  private:
    std::string readLong(CommandLine& options, std::string_view body) {
        const size_t equals = body.find('=');
        const std::string_view name = body.substr(0, equals);
        const OptionEntry* entry = findLong(name);
        if (entry == nullptr) return "unrecognized option " + quoted("--" + std::string(name));
        if (!entry->takesValue) {
            if (equals != std::string_view::npos) {
                return "option " + quoted("--" + std::string(name)) + " doesn't allow an argument";
            }
            return apply(options, *entry, {});
        }
        if (equals != std::string_view::npos) return apply(options, *entry, body.substr(equals + 1));
        if (next_ >= args_.size()) {
            return "option " + quoted("--" + std::string(name)) + " requires an argument";
        }
        return apply(options, *entry, args_[next_++]);
    }

    std::string readShortCluster(CommandLine& options, std::string_view cluster) {
        for (size_t i = 0; i < cluster.size(); ++i) {
            const OptionEntry* entry = findShort(cluster[i]);
            if (entry == nullptr) return "invalid option -- " + quoted(cluster.substr(i, 1));
            if (!entry->takesValue) {
                const std::string error = apply(options, *entry, {});
                if (!error.empty()) return error;
                continue;
            }
            // A value option takes the rest of the cluster, or else the next argument.
            if (i + 1 < cluster.size()) return apply(options, *entry, cluster.substr(i + 1));
            if (next_ < args_.size()) return apply(options, *entry, args_[next_++]);
            return "option requires an argument -- " + quoted(cluster.substr(i, 1));
        }
        return {};
    }

    std::span<const std::string_view> args_;
    size_t next_ = 0;
};

// The options that write beside a run's output, which a lint run has no output for.
// Named in this order: the files in their table's order, --if-changed after the first, the
// header's prefix after the header and the atlas's options after the atlas.
std::string checkConflict(const CommandLine& options) {
    for (size_t row = 0; row < SIDE_FILE_COUNT; ++row) {
        if (options.sideFiles[row]) return "--" + std::string(sideFileRows()[row].option);
        if (row == SIDE_DEPFILE && options.ifChanged) return "--if-changed";
        if (row == SIDE_C_HEADER && options.headerPrefix) return "--header-prefix";
        if (row == SIDE_ATLAS && !options.firstAtlasOption.empty()) {
            return options.firstAtlasOption;
        }
    }
    return {};
}

// --dump reads a finished output: nothing of a run applies to it.
std::string dumpConflict(const CommandLine& options) {
    if (options.controlFile) return "a control file";
    if (options.check) return "--check";
    if (options.quiet) return "--quiet";
    if (options.strict) return "--strict";
    return checkConflict(options);
}

// The prefix names only what the header defines, so it needs a header and must keep every one
// of those names a C identifier.
std::string headerPrefixProblem(const CommandLine& options) {
    if (!options.headerPrefix) return {};
    if (!options.sideFiles[SIDE_C_HEADER]) return "--header-prefix requires --emit-header";
    if (!isHeaderPrefix(*options.headerPrefix)) {
        return "invalid header prefix " + quoted(*options.headerPrefix) +
               " (ASCII letters, digits and '_', not starting with a digit)";
    }
    return {};
}

// The atlas's options shape the atlas alone, and its data file cannot be one of its pages.
std::string atlasProblem(const CommandLine& options) {
    const std::optional<std::string>& atlas = options.sideFiles[SIDE_ATLAS];
    if (!atlas) {
        if (options.firstAtlasOption.empty()) return {};
        return options.firstAtlasOption + " requires --atlas";
    }
    if (atlasPathIsPage(*atlas)) {
        return "the atlas data file " + quoted(*atlas) +
               " would be its own first page (give it another extension than .png)";
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> args) {
    ParsedCommandLine parsed;
    Reader reader(args);
    parsed.error = reader.read(parsed.options);
    const CommandLine& options = parsed.options;
    if (!parsed.error.empty() || options.help || options.version) return parsed;
    if (options.dump) {
        const std::string conflict = dumpConflict(options);
        if (!conflict.empty()) parsed.error = "--dump cannot be combined with " + conflict;
        return parsed;
    }
    if (options.check) {
        const std::string conflict = checkConflict(options);
        if (!conflict.empty()) parsed.error = "--check cannot be combined with " + conflict;
    }
    if (parsed.error.empty()) parsed.error = headerPrefixProblem(options);
    if (parsed.error.empty()) parsed.error = atlasProblem(options);
    if (parsed.error.empty() && !options.controlFile) parsed.error = "no control file given";
    return parsed;
}

std::vector<std::string_view> knownLongOptions() {
    std::vector<std::string_view> names;
    for (const OptionEntry& entry : allOptions()) names.push_back(entry.longName);
    return names;
}
