#ifndef VEMAR_SIM_API_H
#define VEMAR_SIM_API_H

/*
 * C interface of the simulator plug-in libvemar-sim.so. The program loads the
 * plug-in by name with dlopen only when started with the simulation switch;
 * tests may link it directly. Areas of the simulator add their own headers
 * beside this one (the acquisition unit, the GPIB instruments, the bench).
 */

#include <stdint.h>

#define VEMARSIM_LIBRARY_NAME "libvemar-sim.so"

#if defined(VEMARSIM_BUILDING)
#define VEMARSIM_EXPORT __attribute__((visibility("default")))
#else
#define VEMARSIM_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Interface revision; the program refuses a plug-in of another revision. */
#define VEMARSIM_API_REVISION 1
VEMARSIM_EXPORT int vemarsim_api_revision(void);

/* Chooses the bench preset (NULL or "" for the default one) and the seed of
 * its random parts (noise, mode hops). seeded = 0 picks a seed from the
 * clock. Returns 0, or -1 for an unknown preset (the bench is then unchanged). */
VEMARSIM_EXPORT int vemarsim_init(const char* preset, uint64_t seed, int seeded);

/* The current preset name and seed. */
VEMARSIM_EXPORT const char* vemarsim_preset(void);
VEMARSIM_EXPORT uint64_t vemarsim_seed(void);

/* Simulated time runs at real speed times this scale (1 by default; tests
 * use a small scale so that sweeps and moves pass quickly). */
VEMARSIM_EXPORT void vemarsim_set_time_scale(double scale);
VEMARSIM_EXPORT double vemarsim_time_scale(void);

#ifdef __cplusplus
}
#endif

#endif
