/*
 * The simulator's call trace: when VELMORA_SIM_TRACE names a file, every entry-point call, the
 * load and the unload append one line to it, written and flushed by a single write, so that a
 * test sees the calls even of a process that is killed or ends with _exit.
 *
 * Thread rules: any thread; lines of concurrent calls never interleave within a line.
 */
#ifndef VELMORA_PLUGINS_SIMULATOR_SIM_TRACE_H_
#define VELMORA_PLUGINS_SIMULATOR_SIM_TRACE_H_

/* Appends one line, printf-style, without the newline. Failures are ignored. */
void SimTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif /* VELMORA_PLUGINS_SIMULATOR_SIM_TRACE_H_ */
