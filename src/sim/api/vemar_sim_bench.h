#ifndef VEMAR_SIM_BENCH_H
#define VEMAR_SIM_BENCH_H

/*
 * The optical bench of libvemar-sim.so: what stands between the simulated
 * lasers and the simulated unit's inputs, and its truth.
 *
 * vemarsim_init(preset, seed, seeded) builds the bench of the preset and
 * makes it the unit's source of sweep data (vemarsim_unit_reset goes back
 * to the unit's plain test data; call vemarsim_init again to bring the bench
 * back). Presets:
 *   "dwdm"        100 GHz DWDM multiplexer, four ports (the default)
 *   "cwdm"        CWDM filter, 20 nm channels
 *   "patchcord"   a flat patch cord on every port
 *   "etalon"      a Fabry-Perot etalon on port 1 (acquisition modes 2 and 3)
 *   "dwdm-hops"   the DWDM multiplexer; the laser hops away and back twice a sweep
 *   "chained"     the DWDM multiplexer; the DSP chains the sources (status bit 6)
 *   "noisy"       the DWDM multiplexer behind noisy detectors
 *   "faultypower" the DWDM multiplexer; the light of source 2 never arrives
 *   "spurious"    patch cords and stray light on the output monitor
 * The clean presets have no mode hops. The seed drives the noise and the
 * hops; each acquisition draws its own from it.
 */

#include <stdint.h>

#include "vemar_sim.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The truth of the device under test as a JSON document:
 *   {"preset": "dwdm", "seed": 1, "ports": [
 *     {"detector": 1, "channels": [
 *       {"centre_nm": 1547.715, "il_db": 3.12,
 *        "bw_nm": {"1": 0.31, "3": 0.44, "20": 0.61}}, ...]}, ...]}
 * per detector port 1..4: each channel's centre (nm), insertion loss at the
 * centre (dB, positive for a loss) and widths at 1, 3 and 20 dB below the
 * channel's top (nm); a flat device has no channels. The text stays valid
 * until the next call or the next vemarsim_init. */
VEMARSIM_EXPORT const char* vemarsim_bench_truth_json(void);

/* True transmission of a detector port (1..4) at a wavelength, dB (negative
 * for a loss): what a measured insertion-loss curve should show. */
VEMARSIM_EXPORT double vemarsim_bench_transmission_db(int detector, double wavelength_nm);

/* Writes "Etalon.txt" for acquisition mode 2: one "wavelength frequency"
 * pair (nm, GHz) per transmission peak of port 1, by ascending wavelength.
 * Returns the number of lines, or -1 when the file cannot be written. */
VEMARSIM_EXPORT int vemarsim_bench_write_etalon_file(const char* path);

/* Status bits 1 and/or 8 (0x0002, 0x0100) set in every status word from
 * now on; 0 clears them. */
VEMARSIM_EXPORT void vemarsim_bench_force_status_bits(unsigned bits);

/* The mode hops of the last acquisition: where the laser was (nm) and the
 * hop's size (GHz, positive forward along the sweep). Copies up to capacity;
 * returns how many there were. */
VEMARSIM_EXPORT int vemarsim_bench_last_hops(double* wavelengths_nm, double* sizes_ghz, int capacity);

/* Acquisitions the bench has made since the preset was chosen. */
VEMARSIM_EXPORT int vemarsim_bench_acquisitions(void);

#ifdef __cplusplus
}
#endif

#endif
