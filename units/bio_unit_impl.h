// BioUnitImpl: a unit backed by a plug-in library.
//
// Each unit holds a shared reference to the PluginParams of the plug-in that reported it, so the
// library stays loaded while the unit lives. Operations forward to the plug-in's entry points with
// the unit id first and return their results unchanged; nothing is checked, logged or locked.
// Each forwarded call is counted on the plug-in's call gate (plugin_call_gate.h): once the process
// has begun to end and closed that gate, the operations give kPluginClosedStatus without calling
// the plug-in. Connect first hands a plug-in that exports FpxSetPromptSink the program's prompt
// sink and opens its prompt gate; Disconnect closes the gate once FpxDisconnect has returned.
//
// Thread rules: as BioUnit; the getters read members fixed at construction.
#ifndef VELMORA_UNITS_BIO_UNIT_IMPL_H_
#define VELMORA_UNITS_BIO_UNIT_IMPL_H_

#include <memory>
#include <string>

#include "units/bio_unit.h"
#include "units/plugin_binding.h"

// The status of an operation that did not reach the plug-in because its library has been closed.
constexpr int32_t kPluginClosedStatus = -1;

class BioUnitImpl : public BioUnit {
 public:
  // Asks the plug-in for the unit's texts and values, handing each non-null text to FpxFree right
  // after copying it. Throws std::runtime_error("FpxGetInfo failed") when FpxGetInfo returns
  // non-zero; nothing is then read or freed, and the reference to `params` is released. Throws
  // std::bad_alloc when a copy cannot be made, after handing both texts back.
  BioUnitImpl(const std::shared_ptr<PluginParams>& params, uint32_t unitId);

  std::string GetText2() const override;
  std::string GetText1() const override;
  int32_t GetValue1() const override;
  int32_t GetValue2() const override;
  int32_t GetValue3() const override;
  int32_t GetValue4() const override;
  int32_t Connect(int32_t v1, int32_t v2, int32_t v3) override;
  int32_t Disconnect() override;
  int32_t Cancel() override;
  int32_t SensorCaptureSample(int32_t v1, int32_t v2, unsigned char** sample, int32_t* sampleSize,
                              int32_t* reserved) override;
  int32_t ExtractSample(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5, int32_t v6, int32_t v7,
                        int32_t v8) override;
  int32_t Free(void* memory) override;

  // The id the plug-in gave this unit.
  uint32_t UnitId() const { return m_UnitId; }

  // The plug-in library that reported this unit.
  const std::shared_ptr<PluginParams>& Params() const { return m_Params; }

 private:
  // Copies `text` (when not null) and hands it back to the plug-in, also when the copy throws.
  std::string TakeText(char* text);

  // Declared first so that it is released last, after the texts: the library outlives them.
  std::shared_ptr<PluginParams> m_Params;
  uint32_t m_UnitId;
  std::string m_Text1;
  std::string m_Text2;
  int32_t m_Value1 = 0;
  int32_t m_Value2 = 0;
  int32_t m_Value3 = 0;
  int32_t m_Value4 = 0;
};

#endif  // VELMORA_UNITS_BIO_UNIT_IMPL_H_
