/* Port and physical memory driver: the eight operations the system
 * information library binds by name when it is loaded. */
#ifndef WINIO_H
#define WINIO_H

#include <stdbool.h>
#include <stdint.h>

#if defined(WINIO_BUILDING)
#define WINIO_API __attribute__((visibility("default")))
#else
#define WINIO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

WINIO_API bool InitializeWinIo(void);
WINIO_API int32_t ShutdownWinIo(void);
WINIO_API bool GetPortVal(uint16_t port, uint32_t* value, uint8_t size);
WINIO_API bool SetPortVal(uint16_t port, uint32_t value, uint8_t size);
WINIO_API bool GetPhysByte(uint32_t address, uint8_t* value);
WINIO_API bool GetPhysWord(uint32_t address, uint16_t* value);
WINIO_API bool GetPhysLong(uint32_t address, uint32_t* value);
WINIO_API bool GetPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length);

/* Optional: as GetPortVal, and says which bytes of the value are no reading:
 * bit n of *unread is set when byte n did not come from the hardware, because
 * the host refused the read (configuration bytes past 3Fh to an ordinary user
 * on Linux) or does not serve the port (legacy ports without raw access).
 * Those bytes hold FFh, which a caller must not take for the device's value.
 * Callers bind it only when present. */
WINIO_API bool GetPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread);

/* Optional: a caller that walks the whole PCI bus brackets the walk with
 * these, so that the driver may list the functions once and read each
 * function's space once for the walk. Every write still reaches the hardware
 * at once and drops what was read. Callers bind them only when present. */
WINIO_API void BeginConfigScan(void);
WINIO_API void EndConfigScan(void);

#ifdef __cplusplus
}
#endif

#endif /* WINIO_H */
