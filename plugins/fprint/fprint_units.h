/*
 * The plug-in's units: one per libfprint device that can capture images, in enumeration order,
 * with ids 1..n. A reader without images (a match-on-chip one, which compares prints inside
 * itself) is no unit; each enumeration names it on standard error and points to the fprintd
 * entry. The FpContext is created and enumerated once per process (the library stays loaded, see
 * CMakeLists.txt); later calls give the same units and the same lines.
 *
 * Thread rules: FprintEnumerate runs on the thread that may own GLib's global default context
 * (the program's main thread, before the window exists); the table is read from any thread after it.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_UNITS_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_UNITS_H_

#include <stdint.h>

#include "fprint_unit.h"
#include "reader_backend.h"

/* Enumerates once. The unit count, after one line on stderr for each reader without images; or -1
 * after one line on stderr when the global default context cannot be acquired (another thread
 * iterates it): failing beats hanging. */
int FprintEnumerate(void);

/* The units, for the shared entry points (reader_backend.h). */
extern ReaderUnitTable g_FprintUnits;

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_UNITS_H_ */
