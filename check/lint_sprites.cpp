// The findings about sprite statements: the name as written, how the statement ended, and the
// pairs of table entries the game cannot tell apart.
#include <algorithm>
#include <string>

#include "check/control_lint.hpp"
#include "check/lint_words.hpp"
#include "filesys/disk_read.hpp"
#include "scanner/scanner.hpp"

namespace {

const char* kindWord(SpriteSource kind) {
    return spriteKind(kind).keyword;
}

// The extension a kind's statement adds, in double quotes.
std::string quotedExtension(SpriteSource kind) {
    return std::string("\"") + spriteKind(kind).extension + "\"";
}

// The source path under another kind's extension; `path` ends with its own kind's.
std::string otherKindPath(std::string_view path, SpriteSource kind, const SpriteKind& other) {
    const size_t extension = std::string_view(spriteKind(kind).extension).size();
    std::string changed(path.substr(0, path.size() - std::min(extension, path.size())));
    changed += other.extension;
    return changed;
}

}  // namespace

void ControlLint::spriteListed(const SpriteListing& listing) {
    // Any sprite statement uses the folders in force, whatever became of it.
    source_.usedSince = true;
    dest_.usedSince = true;
    if (listing.name.empty()) {
        report(std::string(kindWord(listing.kind)) + " has no sprite name");
        return;
    }
    checkSpriteName(listing);
    checkSpriteOutcome(listing);
    if (listing.outcome == SpriteOutcome::listed) checkListedPairs(listing);
}

void ControlLint::checkSpriteName(const SpriteListing& listing) {
    const std::string_view name = listing.name;
    const size_t separator = name.find_last_of("/\\");
    if (separator != std::string_view::npos) {
        report("sprite name " + quoted(name) +
               " holds a path separator; the folder belongs in Source");
    }
    const std::string_view base =
        separator == std::string_view::npos ? name : name.substr(separator + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        report("sprite name " + quoted(name) + " has an extension; " + kindWord(listing.kind) +
               " adds " + quotedExtension(listing.kind) + " itself");
    }
}

void ControlLint::checkSpriteOutcome(const SpriteListing& listing) {
    const std::string name = quoted(listing.name);
    switch (listing.outcome) {
        case SpriteOutcome::tableFull:
            report("sprite " + name + " skipped: more than " + std::to_string(MAX_SPRITES) +
                   " sprites");
            break;
        case SpriteOutcome::noSource:
            report("sprite " + name + " skipped: no Source folder is set");
            break;
        case SpriteOutcome::noDest:
            report("sprite " + name + " skipped: no Dest folder is set");
            break;
        case SpriteOutcome::missing: {
            // The first other kind whose file is there is the one meant.
            for (const SpriteKind& other : SPRITE_KINDS) {
                if (&other == &spriteKind(listing.kind)) continue;
                const std::string path = otherKindPath(listing.path, listing.kind, other);
                if (fileExistsOnDisk(path.c_str())) {
                    report(quoted(listing.path) + " does not exist, but " + quoted(path) +
                           " does; list it with " + other.keyword);
                    return;
                }
            }
            report("sprite source " + quoted(listing.path) + " does not exist");
            break;
        }
        case SpriteOutcome::notLoaded: {
            // The readers' own lines say why; they become the reason here.
            std::string text =
                quoted(listing.path) + " does not load as a " + kindWord(listing.kind) + " picture";
            for (size_t i = 0; i < runLines_.size(); ++i) {
                text += (i == 0 ? " (" : "; ") + runLines_[i];
            }
            if (!runLines_.empty()) text += ")";
            runLines_.clear();
            report(std::move(text));
            break;
        }
        case SpriteOutcome::listed:
            if (listing.blank) {
                report("sprite " + name + " is blank (no visible pixel); it is kept as 0 x 0");
            }
            break;
    }
}

void ControlLint::checkListedPairs(const SpriteListing& listing) {
    const std::string stored = state_.tables.spriteNames[listing.slot].data();
    if (stored.size() < listing.name.size()) {
        report("sprite name of " + std::to_string(listing.name.size()) +
               " characters is stored cut to " + std::to_string(stored.size()) + ": " +
               quoted(stored));
    }
    // A pair is told once, when its later name is first listed.
    const auto [first, fresh] = firstLineOfName_.try_emplace(stored, line_);
    if (!fresh) {
        report("sprite " + quoted(stored) + " is listed again (first on line " +
               std::to_string(first->second) + ")");
        return;
    }
    const uint32_t hid = state_.tables.spriteTable[listing.slot].hid;
    std::vector<size_t>& holders = namesByHid_[hid];
    for (const size_t index : holders) {
        const ListedName& earlier = distinctNames_[index];
        const std::string pair = "sprites " + quoted(earlier.name) + " (line " +
                                 std::to_string(earlier.line) + ") and " + quoted(stored);
        if (stringsEqualNoCase(earlier.name.c_str(), stored.c_str()) == 1) {
            report(pair + " differ only in letter case; the game cannot tell them apart");
        } else {
            report(pair + " have the same hid " + std::to_string(static_cast<int32_t>(hid)) +
                   "; the game cannot tell them apart");
        }
    }
    holders.push_back(distinctNames_.size());
    distinctNames_.push_back(ListedName{stored, line_});
}
