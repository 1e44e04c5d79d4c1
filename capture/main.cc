// velmora-capture: captures one fingerprint for the parent process that started it.
#include <stdio.h>

#include <exception>
#include <optional>

#include "capture/capture_controller.h"

int main() {
  std::optional<CaptureController> controller;
  try {
    controller.emplace();
  } catch (const std::exception& error) {
    // The parent's record has not been touched: it finds it as it left it.
    fprintf(stderr, "velmora-capture: %s\n", error.what());
    return 1;
  }
  return controller->Run();
}
