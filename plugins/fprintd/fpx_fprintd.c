/*
 * The readers of the system's fingerprint service, fprintd, as units of the capture program: a
 * capture is a verification of the calling user's enrolled fingers. The entry points themselves
 * are shared (reader_entry_points.c); this is what they call. README.md describes the behaviour;
 * fd_unit.h the threads and contexts.
 */
#include "fd_units.h"
#include "reader_backend.h"

static int Describe(FprintdUnit* unit, UnitInfo* info) {
  ReaderSetInfo(info, g_strdup(unit->m_Name), g_strdup_printf("fprintd/%s", FprintdPathLeaf(unit->m_Path)),
                unit->m_Swipe, unit->m_Stages, 0);
  return 0;
}

static const char* Sample(FprintdUnit* unit) { return unit->m_Sample; }

const ReaderBackend g_ReaderBackend = {
    &g_FprintdUnits,       FprintdEnumerate,  Describe,           FprintdUnitConnect,
    FprintdUnitDisconnect, FprintdUnitCancel, FprintdUnitCapture, Sample};
