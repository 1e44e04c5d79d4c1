/*
 * Test plug-ins for what the simulator cannot show: exported name forms, a missing entry point,
 * odd id lists and failing descriptions. One source, one library per set of compile flags:
 *
 *   TP_NAME             the library's name in trace lines ("a")
 *   TP_IDS, TP_COUNT    the id list (1,2) and the count reported with it
 *   TP_UNDERSCORE_MASK  bit i set: entry point i (lookup order) is exported only as "_Fpx..."
 *   TP_BOTH_CONNECT     FpxConnect exported in both forms (results 1xyz plain, 2xyz underscore)
 *   TP_NO_FREE          FpxFree is not exported at all
 *   TP_NULL_IDS         FpxEnumUnits reports TP_COUNT ids but leaves the list null
 *   TP_FAIL_GETINFO     FpxGetInfo fails
 *   TP_NULL_TEXTS       FpxGetInfo gives no texts
 *   TP_NO_ENUM          FpxEnumUnits is not exported at all
 *   TP_BUSY_CAPTURE     FpxSensorCaptureSample spins in the library's own code until FpxDisconnect
 *                       (from any thread) and then fails, as a driver polling its device does
 *   TP_UNRESOLVED       the library needs a symbol that nothing defines
 *   TP_LONG_SYMBOL      exports TpLongSymbol as a 300-character name (tp_long_symbol.h)
 *   TP_PROMPTS          exports the optional FpxSetPromptSink, and TpSendPrompt, through which a
 *                       test calls the sink last given from any thread at any time
 *
 * When VELMORA_TP_TRACE names a file, each call, the load and the unload append "<name> <call>".
 * All memory handed out is static, so FpxFree only names what it was given.
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "velmora/fpx_plugin.h"

#ifndef TP_UNDERSCORE_MASK
#define TP_UNDERSCORE_MASK 0
#endif

#if TP_UNDERSCORE_MASK & 0x01
#define TP_ENUM_UNITS _FpxEnumUnits
#else
#define TP_ENUM_UNITS FpxEnumUnits
#endif
#if TP_UNDERSCORE_MASK & 0x02
#define TP_GET_INFO _FpxGetInfo
#else
#define TP_GET_INFO FpxGetInfo
#endif
#if TP_UNDERSCORE_MASK & 0x08
#define TP_DISCONNECT _FpxDisconnect
#else
#define TP_DISCONNECT FpxDisconnect
#endif
#if TP_UNDERSCORE_MASK & 0x10
#define TP_CANCEL _FpxCancel
#else
#define TP_CANCEL FpxCancel
#endif
#if TP_UNDERSCORE_MASK & 0x20
#define TP_CAPTURE _FpxSensorCaptureSample
#else
#define TP_CAPTURE FpxSensorCaptureSample
#endif
#if TP_UNDERSCORE_MASK & 0x40
#define TP_EXTRACT _FpxExtractSample
#else
#define TP_EXTRACT FpxExtractSample
#endif
#if TP_UNDERSCORE_MASK & 0x80
#define TP_FREE _FpxFree
#else
#define TP_FREE FpxFree
#endif

static uint32_t g_Ids[] __attribute__((unused)) = {TP_IDS};
static char g_Text1[] = TP_NAME " reader";
static char g_Text2[] = TP_NAME " serial";

static void Trace(const char* call, long value, int withValue) {
  const char* path = getenv("VELMORA_TP_TRACE");
  if (path == NULL) return;
  char line[128];
  int length = withValue ? snprintf(line, sizeof line, "%s %s %ld\n", TP_NAME, call, value)
                         : snprintf(line, sizeof line, "%s %s\n", TP_NAME, call);
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = write(fd, line, (size_t)length);
  (void)written;
  close(fd);
}

__attribute__((constructor)) static void Loaded(void) { Trace("load", 0, 0); }
__attribute__((destructor)) static void Unloaded(void) { Trace("unload", 0, 0); }

#ifndef TP_NO_ENUM
FPX_EXPORT int32_t TP_ENUM_UNITS(uint32_t** unitIds, uint32_t* count) {
  Trace("FpxEnumUnits", 0, 0);
#ifdef TP_NULL_IDS
  *unitIds = NULL;
#else
  *unitIds = g_Ids;
#endif
  *count = TP_COUNT;
  return 0;
}
#endif

FPX_EXPORT int32_t TP_GET_INFO(uint32_t unitId, UnitInfo* info) {
  Trace("FpxGetInfo", unitId, 1);
#ifdef TP_FAIL_GETINFO
  return 1;
#endif
#ifdef TP_NULL_TEXTS
  info->text1 = info->text2 = NULL;
#else
  info->text1 = g_Text1;
  info->text2 = g_Text2;
#endif
  info->value1 = (int32_t)unitId;
  info->value2 = -1;
  info->value3 = 2147483647;
  info->value4 = -2147483647 - 1;
  return 0;
}

/* Set by a disconnect, cleared by a connect; the busy capture watches it. */
static int g_Disconnected;

/* The result names the form that was called and carries the three values in order. */
static int32_t Connect(int32_t form, uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  Trace("FpxConnect", unitId, 1);
  __atomic_store_n(&g_Disconnected, 0, __ATOMIC_RELEASE);
  return form + v1 * 100 + v2 * 10 + v3;
}

#if (TP_UNDERSCORE_MASK & 0x04) || defined(TP_BOTH_CONNECT)
FPX_EXPORT int32_t _FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  return Connect(2000, unitId, v1, v2, v3);
}
#endif
#if !(TP_UNDERSCORE_MASK & 0x04) || defined(TP_BOTH_CONNECT)
FPX_EXPORT int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3) {
  return Connect(1000, unitId, v1, v2, v3);
}
#endif

FPX_EXPORT int32_t TP_DISCONNECT(uint32_t unitId) {
  Trace("FpxDisconnect", unitId, 1);
  __atomic_store_n(&g_Disconnected, 1, __ATOMIC_RELEASE);
  return (int32_t)unitId + 100;
}
FPX_EXPORT int32_t TP_CANCEL(uint32_t unitId) { return (int32_t)unitId + 200; }

FPX_EXPORT int32_t TP_CAPTURE(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                              int32_t* sampleSize, int32_t* reserved) {
  static unsigned char bytes[] = "tp";
#ifdef TP_BUSY_CAPTURE
  Trace("FpxSensorCaptureSample", unitId, 1);
  while (!__atomic_load_n(&g_Disconnected, __ATOMIC_ACQUIRE)) {
  }
  return 1;
#endif
  *sample = bytes;
  *sampleSize = (int32_t)unitId + v1 + v2;
  *reserved = 5;
  return 0;
}

FPX_EXPORT int32_t TP_EXTRACT(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5,
                              int32_t v6, int32_t v7, int32_t v8) {
  /* Positional weights show that the values arrive in order. */
  return (int32_t)unitId * 100000000 + v1 * 1 + v2 * 2 + v3 * 4 + v4 * 8 + v5 * 16 + v6 * 32 + v7 * 64 +
         v8 * 128;
}

#ifdef TP_UNRESOLVED
/* Defined nowhere: a loader that binds at once must refuse the library. */
extern int32_t TpDefinedNowhere(void);
FPX_EXPORT int32_t TpNeedsTheUndefined(void) { return TpDefinedNowhere(); }
#endif

#ifdef TP_LONG_SYMBOL
#include "tp_long_symbol.h"
FPX_EXPORT int32_t TpLongSymbol(void) __asm__(TP_LONG_SYMBOL_NAME);
FPX_EXPORT int32_t TpLongSymbol(void) { return 300; }
#endif

#ifdef TP_PROMPTS
static FpxPromptSink g_Sink;
static void* g_SinkData;

FPX_EXPORT int32_t FpxSetPromptSink(FpxPromptSink sink, void* data) {
  Trace("FpxSetPromptSink", 0, 0);
  __atomic_store_n(&g_SinkData, data, __ATOMIC_RELAXED);
  __atomic_store_n(&g_Sink, sink, __ATOMIC_RELEASE);
  return 0;
}

/* Calls the sink last given, whether the contract allows it now or not. 1 when none was given. */
FPX_EXPORT int32_t TpSendPrompt(uint32_t unitId, const char* text) {
  FpxPromptSink sink = __atomic_load_n(&g_Sink, __ATOMIC_ACQUIRE);
  if (sink == NULL) return 1;
  sink(unitId, text, __atomic_load_n(&g_SinkData, __ATOMIC_RELAXED));
  return 0;
}
#endif

#ifndef TP_NO_FREE
FPX_EXPORT int32_t TP_FREE(void* memory) {
  const char* what = memory == NULL             ? "FpxFree null"
                     : memory == (void*)g_Ids   ? "FpxFree ids"
                     : memory == (void*)g_Text1 ? "FpxFree text1"
                     : memory == (void*)g_Text2 ? "FpxFree text2"
                                                : "FpxFree unknown";
  Trace(what, 0, 0);
  return 0;
}
#endif
