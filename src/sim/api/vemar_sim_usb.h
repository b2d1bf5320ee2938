#ifndef VEMAR_SIM_USB_H
#define VEMAR_SIM_USB_H

/*
 * The simulated acquisition unit of libvemar-sim.so: its USB bridge as the
 * program's USB backend reaches it, and the controls the tests use (fault
 * injection, firmware release, unplugging, a pseudo-terminal server).
 *
 * The bridge functions return the bridge library's statuses (below).
 */

#include <stdint.h>

#include "vemar_sim.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses of the bridge functions: those of the bridge library. */
#define VEMARSIM_USB_SUCCESS 0x00
#define VEMARSIM_USB_INVALID_HANDLE 0x01
#define VEMARSIM_USB_READ_ERROR 0x02
#define VEMARSIM_USB_WRITE_ERROR 0x04
#define VEMARSIM_USB_INVALID_PARAMETER 0x06
#define VEMARSIM_USB_INVALID_BAUD_RATE 0x09
#define VEMARSIM_USB_DEVICE_NOT_FOUND 0xFF

typedef uint64_t vemarsim_usb_handle;

/* One present USB device as the system would list it. */
struct vemarsim_usb_device_info {
    char path[256];
    char hardware_id[128]; /* "USB\VID_10C4&PID_82B4&REV_0100" */
    char description[128];
    char location[128];
};

/* ---- The bridge (one device while the unit is plugged in) ---- */

/* Fills up to capacity entries; returns the number of present devices. */
VEMARSIM_EXPORT int vemarsim_usb_present_devices(struct vemarsim_usb_device_info* out, int capacity);
VEMARSIM_EXPORT int vemarsim_usb_device_count(uint32_t* count);
/* The product string, NUL-terminated (truncated to capacity - 1 bytes). */
VEMARSIM_EXPORT int vemarsim_usb_product_string(uint32_t device, char* text, uint32_t capacity);
VEMARSIM_EXPORT int vemarsim_usb_open(uint32_t device, vemarsim_usb_handle* handle);
VEMARSIM_EXPORT int vemarsim_usb_close(vemarsim_usb_handle handle);
VEMARSIM_EXPORT int vemarsim_usb_set_baud_rate(vemarsim_usb_handle handle, uint32_t baud_rate);
VEMARSIM_EXPORT int vemarsim_usb_set_line_control(vemarsim_usb_handle handle, uint16_t line_control);
VEMARSIM_EXPORT int vemarsim_usb_set_flow_control(vemarsim_usb_handle handle, uint8_t cts, uint8_t rts, uint8_t dtr,
                                                  uint8_t dsr, uint8_t dcd, int xon_xoff);
VEMARSIM_EXPORT int vemarsim_usb_flush(vemarsim_usb_handle handle, int transmit, int receive);
VEMARSIM_EXPORT int vemarsim_usb_write(vemarsim_usb_handle handle, const void* data, uint32_t length,
                                       uint32_t* written);
VEMARSIM_EXPORT int vemarsim_usb_check_rx_queue(vemarsim_usb_handle handle, uint32_t* queued, uint32_t* status);
VEMARSIM_EXPORT int vemarsim_usb_read(vemarsim_usb_handle handle, void* buffer, uint32_t length, uint32_t* got);

/* ---- Controls of the unit ---- */

/* Back to the factory state: plugged in, user code of release 112 running,
 * factory identity and calibration in flash, no faults, default data. */
VEMARSIM_EXPORT void vemarsim_unit_reset(void);

/* Reprograms the factory user code with another release (in hundredths,
 * 1..32767) and restarts it; 111 simulates a unit that needs the upgrade. */
VEMARSIM_EXPORT int vemarsim_unit_set_release(int hundredths);

/* 0 unplugs the unit: open handles fail with "device not found" and the
 * device leaves the lists; 1 plugs it in again (it restarts its user code). */
VEMARSIM_EXPORT void vemarsim_unit_set_plugged(int plugged);

/* Faults, each acting once on the next matching answer. arg: */
#define VEMARSIM_FAULT_BLOCK_CHECKSUM 1   /* index of the data block (0 = next) whose checksum is wrong */
#define VEMARSIM_FAULT_BLOCK_ERROR_FLAG 2 /* index of the data block whose trailer has the error flag */
#define VEMARSIM_FAULT_NO_ANSWER 3        /* index of the answer (0 = next) that is never sent */
#define VEMARSIM_FAULT_LATE_ANSWER 4      /* the next answer comes arg simulated ms late */
#define VEMARSIM_FAULT_ACK_SERIAL_ERROR 5 /* the next acknowledgement has the serial error flag */
#define VEMARSIM_FAULT_ACK_FLASH_ERROR 6  /* the next acknowledgement has the flash error flag */
#define VEMARSIM_FAULT_ACK_CHECKSUM 7     /* the next acknowledgement has a wrong checksum */
#define VEMARSIM_FAULT_EARLY_LAST_BLOCK 8 /* the next array ends (last-block flag) after block arg */
#define VEMARSIM_FAULT_NO_LAST_FLAG 9     /* the last block of the next array lacks its flag */
#define VEMARSIM_FAULT_SHORT_ANSWER 10    /* the next answer loses its last arg bytes */
#define VEMARSIM_FAULT_UNPLUG 11          /* the unit vanishes after arg more answers (0: at once) */
#define VEMARSIM_FAULT_IGNORE_COMMAND 12  /* the next packet of command code arg is lost on the way */
#define VEMARSIM_FAULT_PROGRAM_BIT 13     /* flash data packet arg (0 = next) is programmed with its first
                                             byte's lowest bit flipped, and acknowledged as done */
#define VEMARSIM_FAULT_STUCK_BYTE 14      /* a worn cell: the low byte of flash word arg takes its value with
                                             the lowest bit flipped each time it is programmed, until the
                                             faults are cleared */
/* Returns 0, or -1 for an unknown fault. */
VEMARSIM_EXPORT int vemarsim_unit_inject_fault(int fault, int arg);
/* The injected faults that have not acted yet (random faults not counted):
 * a test that injects at a later and later moment knows it has gone past the
 * last one when its fault is still pending at the end. */
VEMARSIM_EXPORT int vemarsim_unit_faults_pending(void);
/* Forgets the injected faults that have not acted yet (random faults stay). */
VEMARSIM_EXPORT void vemarsim_unit_clear_faults(void);
/* Random faults: each answer is corrupted (checksum, dropped, flags, cut)
 * with this probability, drawn from a generator with this seed. 0 stops. */
VEMARSIM_EXPORT void vemarsim_unit_set_random_faults(double probability, uint64_t seed);

/* Samples per channel of the data arrays the default data source returns
 * (the optical bench replaces it). */
VEMARSIM_EXPORT void vemarsim_unit_set_sample_count(uint32_t samples);
/* The array the unit returns for a read command (0x64 ... 0x8E) as it
 * stands: copies up to capacity bytes, returns the array's byte size. */
VEMARSIM_EXPORT uint32_t vemarsim_unit_peek_array(int command, void* buffer, uint32_t capacity);

/* Direct access to the simulated flash (word addresses, bytes two per word,
 * low byte first), outside the protocol. Return 0, or -1 outside the zones. */
VEMARSIM_EXPORT int vemarsim_unit_read_flash(uint32_t word_address, void* buffer, uint32_t bytes);
VEMARSIM_EXPORT int vemarsim_unit_write_flash(uint32_t word_address, const void* data, uint32_t bytes);

/* Mode and release the unit runs with: flash_mode 1 while the boot code runs. */
VEMARSIM_EXPORT void vemarsim_unit_status(int* flash_mode, int* release);

/* Writes a firmware file of the given release as the program expects it
 * ("VEMAR_DSP V112.out": a 70-byte header, then the flash image). Returns 0,
 * or -1 when it cannot be written. */
VEMARSIM_EXPORT int vemarsim_unit_write_firmware_file(const char* path, int release);

/* Packets the unit received since the last clear (at most the last 4096). A
 * flash data packet is recorded with its length in data_length and its
 * first 8 bytes in bytes. Returns the number recorded; copies up to capacity. */
struct vemarsim_unit_packet {
    uint8_t bytes[8];
    uint32_t data_length;
};
VEMARSIM_EXPORT int vemarsim_unit_recorded_packets(struct vemarsim_unit_packet* out, int capacity);
VEMARSIM_EXPORT void vemarsim_unit_clear_record(void);

/* Serves the unit on a pseudo-terminal: the unit answers whatever is
 * written on the returned slave tty (path copied into slave_path). Returns
 * 0, or -1 when no pseudo-terminal could be made or one is already served.
 * Stopping closes the master side: the slave then reads as unplugged. */
VEMARSIM_EXPORT int vemarsim_unit_pty_start(char* slave_path, uint32_t capacity);
VEMARSIM_EXPORT void vemarsim_unit_pty_stop(void);

#ifdef __cplusplus
}
#endif

#endif
