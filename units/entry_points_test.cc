#include "units/entry_points.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "units/plugin_binding.h"

namespace {

// Each table row fills its own field with the symbol of its own name, in both export forms.
TEST(EntryPointsTest, EveryRowFillsTheFieldOfItsName) {
  for (const char* path : {FPXTEST_PLAIN_SO, FPXTEST_UNDERSCORE_SO}) {
    std::shared_ptr<PluginParams> params = BindPlugin(path);
    ASSERT_NE(params, nullptr) << path;
    std::set<void**> fields;
    for (const EntryPoint& entry : EntryPoints()) {
      EXPECT_EQ(*entry.field(*params), ResolveForms(params->handle, entry.name).Bound()) << entry.name;
      EXPECT_TRUE(fields.insert(entry.field(*params)).second) << entry.name << " shares a field";
    }
  }
  EXPECT_EQ(RequiredEntryPoints(), 8u);
}

TEST(EntryPointsTest, TheUnderscoreFormWinsAndIsCut) {
  void* handle = dlopen(FPXTEST_BOTH_CONNECT_SO, RTLD_NOW);
  ASSERT_NE(handle, nullptr);
  EntryPointForms forms = ResolveForms(handle, FPX_CONNECT_NAME);
  EXPECT_EQ(forms.underscored, dlsym(handle, "_FpxConnect"));
  EXPECT_EQ(forms.plain, dlsym(handle, "FpxConnect"));
  EXPECT_EQ(forms.Bound(), forms.underscored);
  dlclose(handle);
  EXPECT_EQ(UnderscoreForm("FpxFree"), "_FpxFree");
  EXPECT_EQ(UnderscoreForm(std::string(300, 'F').c_str()), "_" + std::string(kMaxSymbolLength - 1, 'F'));
}

}  // namespace
