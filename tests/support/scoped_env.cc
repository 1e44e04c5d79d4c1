#include "tests/support/scoped_env.h"

#include <stdlib.h>

namespace velmora::test {

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_Name(name) {
  const char* old = getenv(name);
  m_Had = old != nullptr;
  if (m_Had) m_Old = old;
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (m_Had) {
    setenv(m_Name.c_str(), m_Old.c_str(), 1);
  } else {
    unsetenv(m_Name.c_str());
  }
}

}  // namespace velmora::test
