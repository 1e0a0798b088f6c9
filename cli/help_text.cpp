// The texts of --help and --version.
#include "cli/command_line.hpp"

#ifndef SPRITEBAKE_VERSION
#error "the build passes the project's version as SPRITEBAKE_VERSION"
#endif

namespace {

constexpr std::string_view HELP_BEFORE_SIDE_FILES =
    "Usage: spritebake [OPTION...] CONTROL_FILE\n"
    "Builds a sprite set for a game from the statements of CONTROL_FILE ('-' reads them\n"
    "from standard input). Paths in the control file are relative to the working folder.\n"
    "\n"
    "Options:\n"
    "  -h, --help              print this help and exit\n"
    "      --version           print the version and exit\n"
    "  -q, --quiet             drop the informational lines (the HotXY echo, the\n"
    "                          read-back of an info file that does not exist yet,\n"
    "                          'Output ... unchanged, kept.')\n"
    "      --strict            exit with status 3 instead of 0 when any other line was\n"
    "                          printed\n"
    "  -C, --directory=DIR     change to DIR before anything else\n"
    "      --check             report the control file's problems as\n"
    "                          FILE:LINE: warning: TEXT and write nothing\n"
    "      --if-changed        keep the existing output (and its modification time)\n"
    "                          when the new one has the same bytes\n";

// After the files beside the output, which their table describes.
constexpr std::string_view HELP_AFTER_SIDE_FILES =
    "      --dump=FILE         print the table of an info file or single sprite file\n"
    "  --                      end of options\n"
    "\n"
    "Statements (one per line; keywords in any letter case):\n"
    "  // TEXT                 a comment to the end of the line\n"
    "  Source DIR/             folder of the sprite pictures (write the trailing /)\n"
    "  Dest DIR/               folder of the single sprite file\n"
    "  InfoFile PATH           write the info file at PATH\n"
    "  WriteOneFile NAME       write the single sprite file at Dest + NAME instead\n"
    "  BIN                     give the single sprite file a binary header\n"
    "  Padding On|Off          whether the game pads the following TGA, PNG sprites\n"
    "  Hotspot METHOD          Middle, UpLeft, UpRight, DownLeft, DownRight or HotXY\n"
    "  HotXY X Y               the hotspot point of the following sprites\n"
    "  TGA NAME                add the sprite Source + NAME + .tga\n"
    "  PCX NAME                add the sprite Source + NAME + .pcx\n"
    "  PNG NAME                add the sprite Source + NAME + .png, stored as TGA\n"
    "  Sprites PATTERN         add every .tga, .pcx and .png file under Source that\n"
    "                          PATTERN names (* and ? within a name, **/ for any\n"
    "                          folders, a trailing / for a whole folder), in natural\n"
    "                          order, each named by its path without the extension\n"
    "\n"
    "Exit status:\n"
    "  0    the output was written completely\n"
    "  1    an output was not written (control file unreadable, a file not\n"
    "       creatable, a failed write); also a failed --depfile, or standard\n"
    "       output not written by --help, --version, --dump or --check\n"
    "  2    a command-line error, or no argument at all\n"
    "  3    --strict or --check, and a problem was reported\n"
    "  255  an internal limit was broken\n"
    "When several apply, the first of 2, 255, 1, 3, 0 is the status.\n";

}  // namespace

std::string_view helpText() {
    static const std::string text = [] {
        std::string help(HELP_BEFORE_SIDE_FILES);
        for (const SideFileRow& row : sideFileRows()) help += row.help;
        help += HELP_AFTER_SIDE_FILES;
        return help;
    }();
    return text;
}

std::string_view versionText() {
    return "spritebake " SPRITEBAKE_VERSION "\n";
}
