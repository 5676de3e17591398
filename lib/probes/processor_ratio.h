#pragma once

#include <cstdint>

namespace zelkora::probes {

// The multiplier from the current speed and the external clock, in steps of
// one half: a fractional part up to a quarter rounds down, up to three
// quarters gives the half, above that the next whole number. An external
// clock of 0 gives 0.
float processorRatio(uint16_t speed, uint16_t externalClock);

}  // namespace zelkora::probes
