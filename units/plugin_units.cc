#include "units/plugin_units.h"

#include "units/bio_unit_impl.h"

namespace {

// Hands the id list back when the units are made, also when a unit's construction throws.
class IdListReturn {
 public:
  IdListReturn(const PluginParams& params, uint32_t* ids) : m_Params(params), m_Ids(ids) {}
  IdListReturn(const IdListReturn&) = delete;
  IdListReturn& operator=(const IdListReturn&) = delete;
  ~IdListReturn() { m_Params.FpxFree(m_Ids); }

 private:
  const PluginParams& m_Params;
  uint32_t* m_Ids;
};

}  // namespace

int EnumeratePluginUnits(const std::shared_ptr<PluginParams>& params, UnitSequence& units) {
  uint32_t* ids = nullptr;
  uint32_t count = 0;
  if (params->FpxEnumUnits(&ids, &count) != 0) return -1;
  IdListReturn handBack(*params, ids);
  // A plug-in that claims units but gives no list would have us read through a null pointer.
  if (ids == nullptr) return 0;
  for (uint32_t j = 0; j < count; ++j) units.push_back(std::make_shared<BioUnitImpl>(params, ids[j]));
  return 0;
}
