// velmora-virtual-finger [--retry CODE | --error CODE | --remove] SOCKET: the finger on libfprint's
// virtual_image reader for the end-to-end tests. Connects to the driver's socket and sends the
// synthetic ridge image, again every half second: the reader takes the first that comes while it
// waits for a finger. Ends when the reader closes the connection (status 0 once an image went
// out), or with status 1 when it cannot connect.
//
// The options send one control message first, so the caller runs the finger once the reader
// awaits it: --retry CODE a retry (-1, CODE), then the images as above; --error CODE a reader
// error (-2, CODE) and --remove the reader's removal (-5, 0), both without an image (status 0 once
// the message went out).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <stdexcept>

#include "tests/support/ridge_image.h"
#include "tests/support/virtual_reader.h"

namespace {

constexpr int32_t kRetry = -1;
constexpr int32_t kError = -2;
constexpr int32_t kRemoved = -5;

// What the command line asks for: an optional control message, then images or not.
struct Finger {
  const char* m_Socket = nullptr;
  bool m_HasCode = false;
  int32_t m_Kind = 0;
  int32_t m_Code = 0;
  bool m_SendsImages = true;
};

// A code in 0..1000; false when the text is none.
bool ParseCode(const char* text, int32_t* code) {
  char* end = nullptr;
  long value = strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000) return false;
  *code = static_cast<int32_t>(value);
  return true;
}

// The option at argv[1] (and its code), if any; false on a bad command line.
bool ParseOption(int argc, char** argv, Finger* finger, int* next) {
  *next = 1;
  if (argc < 2 || strncmp(argv[1], "--", 2) != 0) return true;
  finger->m_HasCode = true;
  if (strcmp(argv[1], "--remove") == 0) {
    finger->m_Kind = kRemoved;
    finger->m_SendsImages = false;
    *next = 2;
    return true;
  }
  if (argc < 3 || !ParseCode(argv[2], &finger->m_Code)) return false;
  *next = 3;
  if (strcmp(argv[1], "--retry") == 0) {
    finger->m_Kind = kRetry;
    return true;
  }
  finger->m_Kind = kError;
  finger->m_SendsImages = false;
  return strcmp(argv[1], "--error") == 0;
}

bool ParseArguments(int argc, char** argv, Finger* finger) {
  int next = 1;
  if (!ParseOption(argc, argv, finger, &next) || argc != next + 1) return false;
  finger->m_Socket = argv[next];
  return true;
}

// An image that has not been taken after this long is sent again. The driver queues what it
// gets and complains of each image that arrives once its capture is over, so the finger does not
// flood it.
constexpr int kResendMs = 500;

// Sends until the connection breaks; the number of images that went out whole.
long SendUntilClosed(velmora::test::VirtualReader& reader, const std::vector<uint8_t>& image) {
  long sent = 0;
  try {
    do {
      reader.SendImage(velmora::test::kPrintWidth, velmora::test::kPrintHeight, image);
      ++sent;
    } while (!reader.AwaitClosed(kResendMs));
  } catch (const std::runtime_error&) {
  }
  return sent;
}

int Play(const Finger& finger) {
  velmora::test::VirtualReader reader(finger.m_Socket);
  if (finger.m_HasCode) reader.SendCode(finger.m_Kind, finger.m_Code);
  if (!finger.m_SendsImages) return 0;
  return SendUntilClosed(
             reader, velmora::test::RidgeImage(velmora::test::kPrintWidth, velmora::test::kPrintHeight)) > 0
             ? 0
             : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Finger finger;
  if (!ParseArguments(argc, argv, &finger)) {
    fprintf(stderr, "usage: velmora-virtual-finger [--retry CODE | --error CODE | --remove] SOCKET\n");
    return 64;
  }
  try {
    return Play(finger);
  } catch (const std::runtime_error& error) {
    fprintf(stderr, "velmora-virtual-finger: %s\n", error.what());
    return 1;
  }
}
