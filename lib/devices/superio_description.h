#pragma once

#include <string_view>

#include "zelkora/sysinfo.h"

namespace zelkora::devices {

// The device's name from the device registry's Enum tree into Description
// (on Windows NT 4.0 a fixed note instead). A game or MIDI port below the
// VIA audio enumerator also gets the audio controller's legacy range.
// `manufacturer` is the library's manufacturer text.
bool LookUpSuperIODescription(SuperIODeviceInfo& record, std::string_view manufacturer);

// The serial port's name ("Communications Port (COM1)") by its Instance.
bool LookUpSerialPortName(SuperIODeviceInfo& record);

}  // namespace zelkora::devices
