/*
 * The libfprint readers as units of the capture program: every image reader that libfprint
 * supports. The entry points themselves are shared (reader_entry_points.c); this is what they
 * call. README.md describes the behaviour and the settings; fprint_unit.h the threads and contexts.
 */
#include <fprint.h>

#include "fprint_device_text.h"
#include "fprint_units.h"
#include "reader_backend.h"

static int Describe(FprintUnit* unit, UnitInfo* info) {
  FpDevice* device = unit->m_Device;
  ReaderSetInfo(info, g_strdup(fp_device_get_name(device)), FprintDeviceLabel(device),
                fp_device_get_scan_type(device) == FP_SCAN_TYPE_SWIPE, fp_device_get_nr_enroll_stages(device),
                fp_device_has_feature(device, FP_DEVICE_FEATURE_STORAGE));
  return 0;
}

static const char* Sample(FprintUnit* unit) { return unit->m_Sample; }

const ReaderBackend g_ReaderBackend = {
    &g_FprintUnits,       FprintEnumerate,  Describe,          FprintUnitConnect,
    FprintUnitDisconnect, FprintUnitCancel, FprintUnitCapture, Sample};
