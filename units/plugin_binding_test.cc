#include "units/plugin_binding.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/plugins/tp_long_symbol.h"
#include "tests/support/catalogue_root.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scoped_temp_dir.h"

using namespace velmora::test;  // the shared test support

namespace {

void ExpectAllBound(const PluginParams& p) {
  EXPECT_NE(p.handle, nullptr);
  EXPECT_NE(p.FpxEnumUnits, nullptr);
  EXPECT_NE(p.FpxGetInfo, nullptr);
  EXPECT_NE(p.FpxConnect, nullptr);
  EXPECT_NE(p.FpxDisconnect, nullptr);
  EXPECT_NE(p.FpxCancel, nullptr);
  EXPECT_NE(p.FpxSensorCaptureSample, nullptr);
  EXPECT_NE(p.FpxExtractSample, nullptr);
  EXPECT_NE(p.FpxFree, nullptr);
}

TEST(LibraryTest, LoadFailureLeavesNoHandle) {
  void* handle = reinterpret_cast<void*>(1);
  EXPECT_EQ(LibraryLoad(&handle, "/nonexistent/libnothing.so"), -1);
  EXPECT_EQ(handle, nullptr);
}

TEST(LibraryTest, ResolvePrefersTheUnderscoreForm) {
  void* handle = nullptr;
  ASSERT_EQ(LibraryLoad(&handle, FPXTEST_BOTH_CONNECT_SO), 0);
  void* field = nullptr;
  EXPECT_EQ(LibraryResolve(&handle, &field, "FpxConnect"), 0);
  EXPECT_EQ(field, dlsym(handle, "_FpxConnect"));
  EXPECT_NE(field, dlsym(handle, "FpxConnect"));
  // A long missing name neither resolves nor overruns the underscore buffer.
  EXPECT_EQ(LibraryResolve(&handle, &field, std::string(300, 'F').c_str()), -1);
  EXPECT_EQ(field, nullptr);
  EXPECT_EQ(LibraryUnload(&handle), 0);
  EXPECT_EQ(handle, nullptr);
}

TEST(BindPluginTest, BindsPlainUnderscoreAndMixedNames) {
  for (const char* path : {FPXTEST_PLAIN_SO, FPXTEST_UNDERSCORE_SO, FPXTEST_MIXED_SO}) {
    SCOPED_TRACE(path);
    std::shared_ptr<PluginParams> params = BindPlugin(path);
    ASSERT_NE(params, nullptr);
    ExpectAllBound(*params);
    // Each form is bound to the library's own definition: its result names the form.
    bool underscored = dlsym(params->handle, "_FpxConnect") != nullptr;
    EXPECT_EQ(params->FpxConnect(1, 1, 2, 3), underscored ? 2123 : 1123);
  }
}

TEST(BindPluginTest, BindsTheUnderscoreFormWhenBothExist) {
  std::shared_ptr<PluginParams> params = BindPlugin(FPXTEST_BOTH_CONNECT_SO);
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(params->FpxConnect(1, 4, 5, 6), 2456);
}

TEST(LibraryTest, ResolveFallsBackToTheWholePlainNameWhenTheUnderscoreFormIsCut) {
  void* handle = nullptr;
  ASSERT_EQ(LibraryLoad(&handle, FPXTEST_LONG_SYMBOL_SO), 0);
  void* field = nullptr;
  EXPECT_EQ(LibraryResolve(&handle, &field, TP_LONG_SYMBOL_NAME), 0);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field, dlsym(handle, TP_LONG_SYMBOL_NAME));
  EXPECT_EQ(reinterpret_cast<int32_t (*)()>(field)(), 300);
  EXPECT_EQ(LibraryUnload(&handle), 0);
}

TEST(LibraryTest, ALibraryWithAnUnresolvableSymbolIsRefusedAtLoad) {
  void* handle = reinterpret_cast<void*>(1);
  EXPECT_EQ(LibraryLoad(&handle, FPXTEST_UNRESOLVED_SO), -1);
  EXPECT_EQ(handle, nullptr);
  std::string why;
  EXPECT_EQ(BindPluginExplained(FPXTEST_UNRESOLVED_SO, &why), nullptr);
  EXPECT_NE(why.find("TpDefinedNowhere"), std::string::npos) << why;
  EXPECT_FALSE(IsLoaded(FPXTEST_UNRESOLVED_SO));
}

TEST(BindPluginTest, EveryEntryPointIsLookedUpWhenTheFirstIsMissing) {
  std::string why;
  EXPECT_EQ(BindPluginExplained(FPXTEST_NO_ENUM_SO, &why), nullptr);
  EXPECT_EQ(why, "entry points not found: FpxEnumUnits, FpxFree");
  EXPECT_FALSE(IsLoaded(FPXTEST_NO_ENUM_SO));
}

TEST(BindPluginTest, MissingEntryPointUnloadsTheLibrary) {
  ASSERT_FALSE(IsLoaded(FPXTEST_NO_FREE_SO));
  EXPECT_EQ(BindPlugin(FPXTEST_NO_FREE_SO), nullptr);
  EXPECT_FALSE(IsLoaded(FPXTEST_NO_FREE_SO));
  // Every lookup was made: only the one that is really missing is reported.
  std::string why;
  EXPECT_EQ(BindPluginExplained(FPXTEST_NO_FREE_SO, &why), nullptr);
  EXPECT_EQ(why, "entry points not found: FpxFree");
}

TEST(BindPluginTest, ExplainsALibraryThatCannotBeLoaded) {
  ScopedTempDir dir;
  WriteFile(dir.path() + "/libbroken.so", "not a shared object\n");
  std::string why;
  EXPECT_EQ(BindPluginExplained((dir.path() + "/libbroken.so").c_str(), &why), nullptr);
  EXPECT_NE(why.find("libbroken.so"), std::string::npos) << why;
}

TEST(BindPluginTest, TwoBindsOfOneLibraryAreIndependent) {
  std::shared_ptr<PluginParams> first = BindPlugin(FPXTEST_PLAIN_SO);
  std::shared_ptr<PluginParams> second = BindPlugin(FPXTEST_PLAIN_SO);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());
  first.reset();
  EXPECT_TRUE(IsLoaded(FPXTEST_PLAIN_SO));
  second.reset();
  EXPECT_FALSE(IsLoaded(FPXTEST_PLAIN_SO));
}

}  // namespace
