/* A program of someone else's that links the installed library: it counts
 * the PCI functions and names the Super-I/O chip, which needs the chip
 * description file that the library finds from its own installed folder. */
#include <stdio.h>
#include <zelkora/sysinfo.h>

int main(void) {
    if (!InitializeSysInfoLib()) {
        fprintf(stderr, "consumer: the library could not be opened\n");
        return 1;
    }
    int functions = 0;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo device;
        GetNextPCIDevice(&device, &pos);
        ++functions;
    }
    const char* chip = "";
    SuperIODeviceInfo superIo;
    DevicePos pos = GetFirstSuperIOPos();
    if (pos) chip = GetNextSuperIO(&superIo, &pos)->ChipType;
    printf("PCI functions: %d\nSuper-I/O: %s\n", functions, chip);
    UninitializeSysInfoLib();
    return 0;
}
