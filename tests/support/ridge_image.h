// A synthetic fingerprint for the tests: dark elliptic ridges around a core, broken in a few
// sectors so that ridge endings give minutiae, on a white background outside the finger's oval.
//
// Test support only; any thread.
#ifndef VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_
#define VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_

#include <cstdint>
#include <vector>

namespace velmora::test {

// The size of the print that the tests put on libfprint's virtual reader: libfprint passes an
// image of this size through byte for byte and finds minutiae in it.
constexpr int kPrintWidth = 256;
constexpr int kPrintHeight = 360;

// `width` x `height` 8-bit grey pixels, row by row.
std::vector<uint8_t> RidgeImage(int width, int height);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_RIDGE_IMAGE_H_
