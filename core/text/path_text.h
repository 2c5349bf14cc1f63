// Small facts about file paths that the readers, the loader and the database share.
#pragma once

#include <string>
#include <string_view>

namespace core {

// The extension of the path's file name (after its last "."), lower-cased ASCII, without the
// "."; empty when the name has none.
std::string lowerExtension(std::string_view path);

}  // namespace core
