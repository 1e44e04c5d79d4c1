// A synthetic fingerprint for the tests: dark elliptic ridges around a core, broken in a few
// sectors so that ridge endings give minutiae, on a white background outside the finger's oval.
//
// Test support only; any thread.
#ifndef VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_
#define VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_

#include <cstdint>
#include <vector>

namespace velmora::test {

// `width` x `height` 8-bit grey pixels, row by row.
std::vector<uint8_t> RidgeImage(int width, int height);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_
