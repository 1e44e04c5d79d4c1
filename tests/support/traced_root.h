// A configuration root for the discovery's tests, with the trace files of the simulator and of the
// test plug-ins switched on and the simulator's unit and failure settings chosen; every setting is
// restored when the object goes. Tests derive their fixture from it.
//
// Test support only; one test at a time (the environment is process-wide).
#ifndef VELMORA_TESTS_SUPPORT_TRACED_ROOT_H_
#define VELMORA_TESTS_SUPPORT_TRACED_ROOT_H_

#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

namespace velmora::test {

struct TracedRoot {
  // `simUnits` becomes VELMORA_SIM_UNITS (null: the simulator's default); VELMORA_SIM_FAIL is unset.
  explicit TracedRoot(const char* simUnits = nullptr);

  ScopedTempDir m_Dir;
  std::string m_Root;      // below m_Dir, with its own "conf"
  std::string m_SimTrace;  // VELMORA_SIM_TRACE
  std::string m_TpTrace;   // VELMORA_TP_TRACE
  ScopedEnv m_SimTraceEnv;
  ScopedEnv m_TpTraceEnv;
  ScopedEnv m_Units;
  ScopedEnv m_Fail;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_TRACED_ROOT_H_
