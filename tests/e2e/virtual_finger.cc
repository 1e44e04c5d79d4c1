// velmora-virtual-finger SOCKET: the finger on libfprint's virtual_image reader for the
// end-to-end tests. Connects to the driver's socket and sends the synthetic ridge image again and
// again: the driver drops each one that comes while the reader does not wait for a finger and
// takes the first that does. Ends when the reader closes the connection (status 0 once an image
// went out), or with status 1 when it cannot connect.
#include <stdio.h>

#include <stdexcept>

#include "tests/support/ridge_image.h"
#include "tests/support/virtual_reader.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 360;

// Sends until the connection breaks; the number of images that went out whole.
long SendUntilClosed(velmora::test::VirtualReader& reader, const std::vector<uint8_t>& image) {
  long sent = 0;
  try {
    for (;;) {
      reader.SendImage(kWidth, kHeight, image);
      ++sent;
    }
  } catch (const std::runtime_error&) {
  }
  return sent;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: velmora-virtual-finger SOCKET\n");
    return 64;
  }
  try {
    velmora::test::VirtualReader reader(argv[1]);
    return SendUntilClosed(reader, velmora::test::RidgeImage(kWidth, kHeight)) > 0 ? 0 : 1;
  } catch (const std::runtime_error& error) {
    fprintf(stderr, "velmora-virtual-finger: %s\n", error.what());
    return 1;
  }
}
