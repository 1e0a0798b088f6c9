// The C identifiers that name a run's sprites in the generated header: "SPRITE_" and the
// stored name in upper case, every byte that is not an ASCII letter or digit made '_'. The
// prefix keeps a name that starts with a digit, or is empty, a valid identifier. A name whose
// identifier is taken by an earlier entry gets "_2", "_3"... (the first free one), so every
// identifier is unique even when a later name mangles to an earlier one's suffixed form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// "SPRITE_" + the mangled name, before any suffix.
std::string mangledConstantName(std::string_view name);

// One unique identifier per name, in order.
std::vector<std::string> constantNames(const std::vector<std::string_view>& names);
