#include "units/bio_unit_impl.h"

#include <stdexcept>

BioUnitImpl::BioUnitImpl(const std::shared_ptr<PluginParams>& params, uint32_t unitId)
    : m_Params(params), m_UnitId(unitId) {
  UnitInfo info;
  if (m_Params->FpxGetInfo(m_UnitId, &info) != 0) throw std::runtime_error("FpxGetInfo failed");
  // Both texts go back to the plug-in even when a copy runs out of memory.
  try {
    m_Text1 = TakeText(info.text1);
  } catch (...) {
    if (info.text2 != nullptr) m_Params->FpxFree(info.text2);
    throw;
  }
  m_Text2 = TakeText(info.text2);
  m_Value1 = info.value1;
  m_Value2 = info.value2;
  m_Value3 = info.value3;
  m_Value4 = info.value4;
}

std::string BioUnitImpl::TakeText(char* text) {
  if (text == nullptr) return std::string();
  std::string copy;
  try {
    copy = text;
  } catch (...) {
    m_Params->FpxFree(text);
    throw;
  }
  m_Params->FpxFree(text);
  return copy;
}

std::string BioUnitImpl::GetText2() const { return m_Text2; }
std::string BioUnitImpl::GetText1() const { return m_Text1; }
int32_t BioUnitImpl::GetValue1() const { return m_Value1; }
int32_t BioUnitImpl::GetValue2() const { return m_Value2; }
int32_t BioUnitImpl::GetValue3() const { return m_Value3; }
int32_t BioUnitImpl::GetValue4() const { return m_Value4; }

namespace {

// Runs one entry-point call through the plug-in's call gate, so that the library is not unloaded
// under it as the process ends; once the gate is closed the call does not enter at all.
template <typename Call>
int32_t ThroughGate(PluginParams& params, Call call) {
  if (!params.calls.Enter()) return kPluginClosedStatus;
  int32_t result = call(params);
  params.calls.Leave();
  return result;
}

}  // namespace

int32_t BioUnitImpl::Connect(int32_t v1, int32_t v2, int32_t v3) {
  return ThroughGate(*m_Params, [&](PluginParams& p) {
    p.prompts.Open();
    if (p.FpxSetPromptSink != nullptr) p.FpxSetPromptSink(ReceivePluginPrompt, &p.prompts);
    return p.FpxConnect(m_UnitId, v1, v2, v3);
  });
}

// From here on a prompt of the plug-in breaks its contract; it is dropped.
int32_t BioUnitImpl::Disconnect() {
  return ThroughGate(*m_Params, [&](PluginParams& p) {
    int32_t result = p.FpxDisconnect(m_UnitId);
    p.prompts.Close();
    return result;
  });
}

int32_t BioUnitImpl::Cancel() {
  return ThroughGate(*m_Params, [&](PluginParams& p) { return p.FpxCancel(m_UnitId); });
}

int32_t BioUnitImpl::SensorCaptureSample(int32_t v1, int32_t v2, unsigned char** sample, int32_t* sampleSize,
                                         int32_t* reserved) {
  return ThroughGate(*m_Params, [&](PluginParams& p) {
    return p.FpxSensorCaptureSample(m_UnitId, v1, v2, sample, sampleSize, reserved);
  });
}

int32_t BioUnitImpl::ExtractSample(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5, int32_t v6,
                                   int32_t v7, int32_t v8) {
  return ThroughGate(*m_Params, [&](PluginParams& p) {
    return p.FpxExtractSample(m_UnitId, v1, v2, v3, v4, v5, v6, v7, v8);
  });
}

int32_t BioUnitImpl::Free(void* memory) {
  return ThroughGate(*m_Params, [&](PluginParams& p) { return p.FpxFree(memory); });
}
