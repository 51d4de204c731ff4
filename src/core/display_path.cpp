// Paths as the user sees them.
#include "core/display_path.h"

#include "platform/files.h"

std::string DisplayPath(std::string_view gamePath) { return platform::NativePath(gamePath); }
