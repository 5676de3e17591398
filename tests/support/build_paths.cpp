#include "tests/support/build_paths.h"

namespace zelkora::testing {

const char kSourceDirText[] = ZELKORA_SOURCE_DIR;
const char kOutputDirText[] = ZELKORA_OUTPUT_DIR;

}  // namespace zelkora::testing
