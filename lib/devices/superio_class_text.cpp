#include "common/fixed_text.h"
#include "lib/devices/superio_devices.h"

namespace zelkora::devices {

void LookUpSuperIOClassText(SuperIODeviceInfo& record) {
    std::string_view text = "Device does not fit any of the defined superio id.";
    for (const auto& row : kSuperIoDeviceRows) {
        if (row.pnpId == record.PnPIDCopy) {
            text = row.classText;
            break;
        }
    }
    common::copyText(record.DeviceClass, text);
}

}  // namespace zelkora::devices
