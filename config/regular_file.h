// Opening a settings file by its name, refusing whatever is no regular file: a FIFO would block
// the open or the reads, and a device could feed the line reader forever.
//
// Internal to config/. Keeps no state; safe from any thread.
#ifndef VELMORA_CONFIG_REGULAR_FILE_H_
#define VELMORA_CONFIG_REGULAR_FILE_H_

namespace velmora::config {

// Opens `path`, following links, with `flags` (O_RDONLY or O_RDWR; the descriptor is
// close-on-exec and blocking) when it names a regular file. Gives the descriptor, which the
// caller must close, or -1 when the open fails or the file is no regular file. Never blocks on a
// FIFO.
int OpenRegularFile(const char* path, int flags);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_REGULAR_FILE_H_
