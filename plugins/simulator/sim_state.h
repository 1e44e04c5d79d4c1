/*
 * The simulator's shared state: the memory it has handed out, and the captures in progress that
 * FpxDisconnect and FpxCancel end from another thread.
 *
 * Thread rules: every function may be called from any thread; one mutex guards all state.
 */
#ifndef VELMORA_PLUGINS_SIMULATOR_SIM_STATE_H_
#define VELMORA_PLUGINS_SIMULATOR_SIM_STATE_H_

#include <stdint.h>

/* Remembers `memory` (from malloc) under `label` until SimTakeBack. 0, or -1 when out of memory
 * (the caller then still owns it). */
int SimHandOut(void* memory, const char* label);

/* Frees `memory` when it was handed out and copies its label into `label` (capacity 64).
 * -1 for memory that the simulator does not know, which is left alone. */
int SimTakeBack(void* memory, char* label);

/* Keeps a sample until the library is unloaded. 0, or -1 when out of memory. */
int SimKeepSample(unsigned char* sample);

/* Frees everything still handed out and every sample: the library is being unloaded. */
void SimReleaseAll(void);

/* Marks `unitId` connected (1) or disconnected (0). */
void SimSetConnected(uint32_t unitId, int connected);

/* Waits `delayMs` for a finger on `unitId`. 0 when the delay ran out; -1 at once when the unit was
 * disconnected since its last connect, or as soon as SimEndCaptures names it. */
int SimWaitForFinger(uint32_t unitId, long delayMs);

/* Ends every capture in progress on `unitId`. */
void SimEndCaptures(uint32_t unitId);

#endif /* VELMORA_PLUGINS_SIMULATOR_SIM_STATE_H_ */
