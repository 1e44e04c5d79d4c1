// The record behind a ConfigHandle, shared by the files that implement the store.
//
// Internal to config/. A handle is used by one thread at a time.
#ifndef VELMORA_CONFIG_CONFIG_HANDLE_H_
#define VELMORA_CONFIG_CONFIG_HANDLE_H_

#include <dirent.h>
#include <stdio.h>

// Paths are built in buffers of this size, terminator included.
constexpr int kConfigPathSize = 4096;

// A piece of a line is read into a buffer of this size: at most 1023 bytes and the terminator.
constexpr int kConfigLineSize = 1024;

struct ConfigHandle {
  // The settings file, read-only after an open, read/write after a rewrite. Never null for a
  // handle that an open gave out.
  FILE* stream;
  // Heap copy of the settings file's path; empty when the copy could not be made.
  char* filePath;
  // The directory stream when the store is a directory, else null.
  DIR* dirStream;
  // Buffer of the stream that an open makes, so that the first read allocates nothing. It must
  // outlive that stream, which ConfigClose closes before it releases the handle.
  char streamBuffer[BUFSIZ];
};

#endif  // VELMORA_CONFIG_CONFIG_HANDLE_H_
