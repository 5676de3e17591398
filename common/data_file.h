#pragma once

#include <string>
#include <string_view>

namespace zelkora::common {

// The shipped read-only data file `name` (the chip description files). One
// beside the program's executable is used first, as in the build tree;
// otherwise the installed data folder, reached from the library folder (where
// this code's own shared library lies, for the program and the library alike)
// by the relative path the install layout fixes, so an installed tree still
// finds its data after it is moved as a whole. A file found nowhere names the one beside the
// program, which reads as empty. An absolute name is used unchanged.
std::string dataFilePath(std::string_view name);

}  // namespace zelkora::common
