#include "control/pattern_files.hpp"

#include <algorithm>
#include <map>
#include <utility>

#include "filesys/disk_read.hpp"
#include "filesys/folder_list.hpp"

namespace {

// The segments still to match at a folder: indexes into the pattern, sorted, each once.
using Positions = std::vector<size_t>;

struct Visit {
    std::string relative;  // the folder under Source, "" or ending with '/'
    Positions positions;
};

// What one name in a folder becomes: a file found, and the positions its folder goes on with.
struct Child {
    bool file = false;
    Positions positions;
};

void addPosition(Positions& positions, size_t position) {
    if (std::find(positions.begin(), positions.end(), position) == positions.end()) {
        positions.push_back(position);
    }
}

// `**/` may match no folder at all, so the segment after it applies here too.
Positions withSkips(const SpritePattern& pattern, Positions positions) {
    for (size_t k = 0; k < positions.size(); ++k) {
        const size_t p = positions[k];
        if (pattern.segments[p].kind == SegmentKind::anyFolders) addPosition(positions, p + 1);
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

bool needsListing(const SpritePattern& pattern, const Positions& positions) {
    return std::any_of(positions.begin(), positions.end(),
                       [&](size_t p) { return pattern.segments[p].kind != SegmentKind::literal; });
}

// A folder path without its closing separator, as make and ninja name it.
std::string folderPath(const std::string& srcDir, const std::string& relative) {
    std::string path = pathUnderSource(srcDir, relative);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path.empty() ? std::string(".") : path;
}

// What the listed entry `entry` gives under the segment at `p`. A listing never goes into a
// linked folder, so the walk cannot go round; a link to a file is a file.
void matchListed(const SpritePattern& pattern, size_t p, const FolderEntry& entry, Child& child) {
    const PatternSegment& segment = pattern.segments[p];
    const bool last = p + 1 == pattern.segments.size();
    if (last) {
        if (entry.kind == FolderEntryKind::regular && segment.kind == SegmentKind::wildcard &&
            segmentMatches(segment.text, entry.name)) {
            child.file = true;
        }
        return;
    }
    if (entry.kind != FolderEntryKind::folder || entry.linked) return;
    if (segment.kind == SegmentKind::anyFolders) {
        addPosition(child.positions, p);
    } else if (segmentMatches(segment.text, entry.name)) {
        addPosition(child.positions, p + 1);
    }
}

// What a literal segment names, looked up directly: it may be hidden, or a link to a folder.
void matchLiteral(const std::string& srcDir, const std::string& relative,
                  const SpritePattern& pattern, size_t p, std::map<std::string, Child>& children) {
    const std::string& name = pattern.segments[p].text;
    const bool last = p + 1 == pattern.segments.size();
    const std::string path = pathUnderSource(srcDir, relative + name);
    const DiskEntry entry = fileEntryOnDisk(path.c_str());
    if (last && entry == DiskEntry::regular) children[name].file = true;
    if (!last && entry == DiskEntry::folder) addPosition(children[name].positions, p + 1);
}

}  // namespace

std::string pathUnderSource(const std::string& srcDir, const std::string& relative) {
    if (srcDir.empty() || srcDir.back() == '/') return srcDir + relative;
    return srcDir + "/" + relative;
}

PatternFiles findPatternFiles(const std::string& srcDir, const SpritePattern& pattern) {
    PatternFiles found;
    if (pattern.matchesNothing) return found;
    // Work still to do, taken from the back: no recursion, however deep the folders go.
    std::vector<Visit> work;
    work.push_back(Visit{"", withSkips(pattern, {0})});
    std::vector<FolderEntry> entries;
    while (!work.empty()) {
        const Visit visit = std::move(work.back());
        work.pop_back();
        // By name, so that a name both listed and looked up is one child.
        std::map<std::string, Child> children;
        if (needsListing(pattern, visit.positions)) {
            const std::string folder = pathUnderSource(srcDir, visit.relative);
            found.foldersListed.push_back(folderPath(srcDir, visit.relative));
            if (listFolder(folder, entries) != FolderList::listed) entries.clear();
            for (const FolderEntry& entry : entries) {
                if (isHiddenName(entry.name)) continue;
                Child child;
                for (const size_t p : visit.positions) {
                    if (pattern.segments[p].kind != SegmentKind::literal) {
                        matchListed(pattern, p, entry, child);
                    }
                }
                if (child.file || !child.positions.empty()) children[entry.name] = child;
            }
        }
        for (const size_t p : visit.positions) {
            if (pattern.segments[p].kind == SegmentKind::literal) {
                matchLiteral(srcDir, visit.relative, pattern, p, children);
            }
        }
        for (auto& [name, child] : children) {
            const std::string relative = visit.relative + name;
            if (child.file && !isHiddenName(name)) {
                const int32_t kind = spriteKindOfFile(name);
                if (kind >= 0) found.files.push_back(PatternFile{relative, kind});
            }
            if (!child.positions.empty()) {
                work.push_back(Visit{relative + "/", withSkips(pattern, child.positions)});
            }
        }
    }
    // Each folder is visited once, by one path, so each file and folder is found once.
    std::sort(found.files.begin(), found.files.end(),
              [](const PatternFile& a, const PatternFile& b) {
                  return naturalLess(a.relative, b.relative);
              });
    std::sort(found.foldersListed.begin(), found.foldersListed.end(), naturalLess);
    return found;
}
