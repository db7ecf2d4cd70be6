// A strict checker for the compact JSON text the document writer produces.
#pragma once

#include <string_view>

namespace fuzzcheck {

// True when the whole text is one JSON value (bytes above 127 are taken as they are).
bool IsJson(std::string_view text);

}  // namespace fuzzcheck
