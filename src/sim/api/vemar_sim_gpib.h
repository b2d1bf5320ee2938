#ifndef VEMAR_SIM_GPIB_H
#define VEMAR_SIM_GPIB_H

/*
 * The simulated GPIB bus of libvemar-sim.so.
 *
 * Beside the NI-488.2 entries that the program's GPIB binding resolves by name
 * (ibdev, ibonl, ibln, ibwrt, ibrd, ibrsp, ibloc, ThreadIbsta, ThreadIberr,
 * ThreadIbcnt, ThreadIbcntl and the status variables user_ibsta, user_iberr,
 * user_ibcntl), the plug-in exports the functions below: what stands on the
 * bus, and what the instruments were told and did.
 *
 * Which instruments stand on the bus:
 *  - by default the bus follows the program's source records
 *    (vemarsim_gpib_set_sources): a simulated laser of each record's model
 *    and wavelength range at the record's address (enabled records first when
 *    two share an address), and the optical switch at its own address when no
 *    laser stands there;
 *  - a test may instead declare a fixed bus (vemarsim_gpib_declare_bus) with
 *    lasers at other addresses, missing lasers, or lasers that refuse values;
 *    records handed over meanwhile are kept for vemarsim_gpib_follow_sources.
 * A laser that stays (same address, same model) keeps its state.
 *
 * Models are the source type codes of the configuration: 0 and 9 Plus,
 * 1 Purity, 2 and 10 Reference, 3 MG9541A, 4 Santec (wavelengths in pm),
 * 5 Agilent, 6 JDSU SWS, 7 ECL, 8 generic IEEE 488.2.
 *
 * Every wavelength move takes simulated time at the laser's speed and is
 * recorded as a sweep.
 */

#include <stdint.h>

#include "vemar_sim.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One of the program's source records. */
typedef struct VemarSimGpibSource {
    int enable;
    int address;
    int type;
    double lambdaMinNm;
    double lambdaMaxNm;
} VemarSimGpibSource;

/* The bus follows these records (count at most 4). */
VEMARSIM_EXPORT void vemarsim_gpib_set_sources(const VemarSimGpibSource* sources, int count);

/* The model code of the optical switch on a declared bus. */
#define VEMARSIM_GPIB_SWITCH 100

/* Behaviour flags of a declared instrument. */
#define VEMARSIM_GPIB_REFUSE_POWER 0x01u      /* every power value is out of range */
#define VEMARSIM_GPIB_REFUSE_WAVELENGTH 0x02u /* every wavelength is out of range */
#define VEMARSIM_GPIB_REFUSE_SPEED 0x04u      /* every speed is out of range */
#define VEMARSIM_GPIB_SILENT 0x08u            /* answers no query, never reports ready */
#define VEMARSIM_GPIB_NO_TERMINATOR 0x10u     /* answers without the final line feed */

/* One instrument of a declared bus. */
typedef struct VemarSimGpibInstrument {
    int address;          /* primary address 0..30 */
    int type;             /* model code above, or VEMARSIM_GPIB_SWITCH */
    double lambdaMinNm;   /* range of the laser */
    double lambdaMaxNm;
    double wavelengthNm;  /* at power-up; 0: lambdaMinNm */
    double speedNmPerS;   /* move speed until told another; 0: the model's default */
    unsigned flags;
} VemarSimGpibInstrument;

/* Replaces the bus by exactly these instruments (count 0: an empty bus). */
VEMARSIM_EXPORT void vemarsim_gpib_declare_bus(const VemarSimGpibInstrument* instruments, int count);
/* Back to following the source records (the last ones handed over). */
VEMARSIM_EXPORT void vemarsim_gpib_follow_sources(void);
/* Address of the optical switch on a followed bus (default 1; negative: none). */
VEMARSIM_EXPORT void vemarsim_gpib_set_switch_address(int address);

/* State of the laser at an address. */
typedef struct VemarSimGpibLaserState {
    int type;
    int outputOn;
    int moving;
    int remote;          /* 0 after a return to local */
    double powerMw;
    double wavelengthNm; /* now (between the ends of a move while it moves) */
    double speedNmPerS;
    double current;
    double auxWavelengthNm;
    double lambdaMinNm;
    double lambdaMaxNm;
} VemarSimGpibLaserState;

/* 0 and *state filled, or -1 when no laser stands at the address. */
VEMARSIM_EXPORT int vemarsim_gpib_laser_state(int address, VemarSimGpibLaserState* state);

/* One recorded sweep (a wavelength move). Times in seconds of the steady
 * clock since the plug-in was loaded (real time); durationS is simulated. */
typedef struct VemarSimGpibSweep {
    uint64_t sequence; /* order of the sweeps on the bus, from 1 */
    int address;
    int type;
    double startNm;
    double stopNm;     /* where it ended, or will end */
    double speedNmPerS;
    double powerMw;
    int outputOn;
    int interrupted;   /* a new move began before this one ended */
    double beganS;
    double endsS;
    double durationS;
} VemarSimGpibSweep;

/* Copies up to capacity sweeps of the laser at address (-1: every address),
 * oldest first; returns how many there are. */
VEMARSIM_EXPORT int vemarsim_gpib_sweeps(int address, VemarSimGpibSweep* sweeps, int capacity);

/* The commands the instrument at address received, oldest first, each ended
 * by a line feed, into buffer (always NUL-terminated when size > 0); returns
 * the length of the whole text. */
VEMARSIM_EXPORT int vemarsim_gpib_commands(int address, char* buffer, int size);

/* The channel the switch closed last, or -1. */
VEMARSIM_EXPORT int vemarsim_gpib_switch_channel(void);

/* Forgets every recorded command and sweep. */
VEMARSIM_EXPORT void vemarsim_gpib_clear_records(void);

#ifdef __cplusplus
}
#endif

#endif
