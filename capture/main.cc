// velmora-capture: captures one fingerprint for the parent process that started it. The one place
// where the capture run meets its window.
#include <stdio.h>

#include <exception>
#include <optional>

#include "capture/capture_controller.h"
#include "install_paths.h"
#include "ui/finger_window.h"
#include "ui/translation.h"

int main() {
  // The parent may follow the log while the window is open, so every line leaves at once, in the
  // order written, even when standard output is a pipe or a file.
  setvbuf(stdout, nullptr, _IOLBF, 0);
  // Before the toolkit starts: the window speaks the person's language, the log lines never do.
  InitTranslation(kLocaleDir);
  std::optional<CaptureController> controller;
  try {
    controller.emplace();
  } catch (const std::exception& error) {
    // The parent's record has not been touched: it finds it as it left it.
    fprintf(stderr, "velmora-capture: %s\n", error.what());
    return 1;
  }
  return controller->Run(BuildAndRunFingerWindow);
}
