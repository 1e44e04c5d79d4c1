#include "config/rewrite_in_place.h"

#include <unistd.h>

namespace velmora::config {
namespace {

bool WriteFromStart(FILE* file, std::string_view text) {
  if (fseek(file, 0, SEEK_SET) != 0) return false;
  if (fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
  return fflush(file) == 0;
}

bool WriteAndCut(FILE* file, std::string_view text) {
  int fd = fileno(file);
  if (!WriteFromStart(file, text)) return false;
  return ftruncate(fd, static_cast<off_t>(text.size())) == 0 && fsync(fd) == 0;
}

}  // namespace

FILE* RewriteInPlace(FILE* file, std::string_view text) {
  if (WriteAndCut(file, text)) return file;
  fclose(file);
  return nullptr;
}

}  // namespace velmora::config
