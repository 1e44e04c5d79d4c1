// An environment variable set (or unset) for the life of an object, as the simulator's settings
// and the store's QX_PATH are given to the code under test.
//
// Test support only. The environment is process-wide: one test at a time.
#ifndef VELMORA_TESTS_SUPPORT_SCOPED_ENV_H_
#define VELMORA_TESTS_SUPPORT_SCOPED_ENV_H_

#include <string>

namespace velmora::test {

// Sets (or, for null, unsets) an environment variable and restores it on destruction.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_Name;
  bool m_Had;
  std::string m_Old;
};

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_SCOPED_ENV_H_
