#include "lib/hw/library_state.h"

#include "lib/hw/driver.h"

namespace zelkora::hw {

LibraryState& state() {
    static LibraryState instance;
    return instance;
}

bool hardwareReady() {
    return state().hardwareReady != 0;
}

}  // namespace zelkora::hw
