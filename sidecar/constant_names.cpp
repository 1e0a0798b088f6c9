#include "sidecar/constant_names.hpp"

#include <unordered_set>

namespace {

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string mangledConstantName(std::string_view name) {
    std::string identifier = "SPRITE_";
    for (const char c : name) {
        if (!isAsciiLetterOrDigit(c)) {
            identifier += '_';
        } else if (c >= 'a' && c <= 'z') {
            identifier += static_cast<char>(c - 'a' + 'A');
        } else {
            identifier += c;
        }
    }
    return identifier;
}

std::vector<std::string> constantNames(const std::vector<std::string_view>& names) {
    std::vector<std::string> identifiers;
    identifiers.reserve(names.size());
    std::unordered_set<std::string> taken;
    for (const std::string_view name : names) {
        const std::string base = mangledConstantName(name);
        std::string identifier = base;
        // Each step adds one candidate, and at most names.size() of them are taken, so the
        // search ends within that many steps.
        for (size_t suffix = 2; taken.count(identifier) != 0; ++suffix) {
            identifier = base + "_" + std::to_string(suffix);
        }
        taken.insert(identifier);
        identifiers.push_back(std::move(identifier));
    }
    return identifiers;
}
