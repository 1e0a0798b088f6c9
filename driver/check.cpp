// Placeholder until the lint lands: it reports nothing.
#include "driver/check.hpp"

int32_t runCheckText(std::string_view /*text*/, const std::string& /*shownName*/) {
    return 0;
}
