// The id list's faults (unit_id_list.h).
#include "tools/plugin_check/unit_id_list.h"

std::string UnitCountText(long count) { return std::to_string(count) + (count == 1 ? " unit" : " units"); }

std::vector<std::string> IdListFaults(const EnumUnitsSeen& seen) {
  if (seen.result != 0)
    return {"FpxEnumUnits returned " + std::to_string(seen.result) +
            " (expected 0): the program skips the plug-in"};
  std::vector<std::string> faults;
  if (seen.count > kMaxUnits)
    faults.push_back("FpxEnumUnits reported " + UnitCountText(seen.count) + ", more than " +
                     std::to_string(kMaxUnits) + ": taken as a broken count");
  if (seen.count > 0 && !seen.listGiven)
    faults.push_back("FpxEnumUnits reported " + UnitCountText(seen.count) +
                     " but no list: the program makes no unit of them");
  return faults;
}
