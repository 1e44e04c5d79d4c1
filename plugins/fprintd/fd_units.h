/*
 * The plug-in's units: one per device that fprintd lists (Manager.GetDevices), in its order, with
 * ids 1..n. The list is asked for once per process (the library stays loaded, see
 * CMakeLists.txt); later calls give the same units. Without a system bus or without fprintd on it
 * there are no units, after one line on stderr that says why; this never waits for a bus timeout.
 *
 * Thread rules: FprintdEnumerate from any one thread at a time; the table is read from any thread.
 */
#ifndef VELMORA_PLUGINS_FPRINTD_FD_UNITS_H_
#define VELMORA_PLUGINS_FPRINTD_FD_UNITS_H_

#include <stdint.h>

#include "fd_unit.h"
#include "reader_backend.h"

/* Enumerates once; the unit count (0 when fprintd cannot be reached). */
int FprintdEnumerate(void);

/* The units, for the shared entry points (reader_backend.h). */
extern ReaderUnitTable g_FprintdUnits;

#endif /* VELMORA_PLUGINS_FPRINTD_FD_UNITS_H_ */
