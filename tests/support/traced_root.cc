#include "tests/support/traced_root.h"

#include "tests/support/catalogue_root.h"

namespace velmora::test {

TracedRoot::TracedRoot(const char* simUnits)
    : m_Root(MakeRoot(m_Dir.path())),
      m_SimTrace(m_Dir.path() + "/sim.trace"),
      m_TpTrace(m_Dir.path() + "/tp.trace"),
      m_SimTraceEnv("VELMORA_SIM_TRACE", m_SimTrace.c_str()),
      m_TpTraceEnv("VELMORA_TP_TRACE", m_TpTrace.c_str()),
      m_Units("VELMORA_SIM_UNITS", simUnits),
      m_Fail("VELMORA_SIM_FAIL", nullptr) {}

}  // namespace velmora::test
