#pragma once
// Debug trace: silent unless QZ_DEBUG_TRACE is set in the environment (to a
// file path, or to "-" or "1" for standard error).

#include <string_view>

namespace qz {

void DebugTrace(std::string_view text);

}  // namespace qz
