#include "units/plugin_trust.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/config_handle.h"
#include "config/config_store.h"

namespace {

// Fills `finding` for the file at `path` (followed through symbolic links, as the opens and the
// loader follow them) and gives whether it passes; a folder is also handed back in `isFolder`.
bool Examine(const std::string& path, TrustFinding* finding, bool* isFolder = nullptr) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    *finding = {TrustFinding::kMissing, path, strerror(errno)};
    return false;
  }
  if (isFolder) *isFolder = S_ISDIR(status.st_mode);
  if (status.st_uid != 0 && status.st_uid != getuid()) {
    *finding = {TrustFinding::kUntrusted, path,
                "owned by uid " + std::to_string(status.st_uid) + ", neither root nor the calling user"};
    return false;
  }
  if (status.st_mode & (S_IWGRP | S_IWOTH)) {
    char mode[8];
    snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    *finding = {TrustFinding::kUntrusted, path,
                std::string("writable by group or others (mode ") + mode + ")"};
    return false;
  }
  return true;
}

}  // namespace

TrustFinding ExamineEntryFiles(const char* root, const PluginEntry& entry) {
  TrustFinding finding;
  // The catalogue read the entry through the store, which resolves a relative root below
  // $QX_PATH: the files examined must be the ones it read.
  char resolved[kConfigPathSize];
  if (ConfigResolvePath(root, resolved, sizeof resolved) != 0)
    return {TrustFinding::kMissing, root, strerror(ENAMETOOLONG)};
  std::string settings = std::string(resolved) + "/" + entry.entryName;
  bool isFolder = false;
  if (!Examine(settings, &finding, &isFolder)) return finding;
  if (isFolder && !Examine(settings + "/conf", &finding)) return finding;
  if (entry.libraryPath.find('/') != std::string::npos && !Examine(entry.libraryPath, &finding))
    return finding;
  return finding;
}
