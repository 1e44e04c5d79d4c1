// How many file descriptors this process holds open: velmora-plugin-check compares the count
// before and after a plug-in's cycles, the fault tests before and after an operation that failed
// part-way.
//
// Thread rules: any thread; the count is taken at one moment. It allocates (a directory stream),
// so a test counts outside an allocation fault.
#ifndef VELMORA_PROCESS_OPEN_DESCRIPTORS_H_
#define VELMORA_PROCESS_OPEN_DESCRIPTORS_H_

// The entries of /proc/self/fd, less the listing's own. -1, with the call's error on standard
// error, when /proc/self/fd cannot be read.
long CountOpenDescriptors();

#endif  // VELMORA_PROCESS_OPEN_DESCRIPTORS_H_
