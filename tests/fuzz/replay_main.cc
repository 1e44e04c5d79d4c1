// Replays fuzz inputs without libFuzzer: every file named on the command line, and every file in
// every folder named there, goes once through the target's LLVMFuzzerTestOneInput. A failed
// invariant or a crash ends the process as it would end the fuzzer, so ctest fails on it; a
// folder without a file fails too, so that a wrong path cannot pass.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(const std::filesystem::path& argument) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  if (!std::filesystem::is_directory(argument, error)) return {argument};
  for (const auto& entry : std::filesystem::directory_iterator(argument))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::filesystem::path> files = Inputs(argv[i]);
    if (files.empty()) {
      fprintf(stderr, "%s: no input\n", argv[i]);
      return 1;
    }
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      if (!in) {
        fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return 1;
      }
      std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      // An empty vector's data() may be null; the fuzzer always passes a valid pointer.
      static const uint8_t kNothing = 0;
      LLVMFuzzerTestOneInput(data.empty() ? &kNothing : data.data(), data.size());
      ++replayed;
    }
  }
  printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
