/*
 * fpx_plugin.h: the interface between the Velmora capture program and a fingerprint reader plug-in.
 *
 * A plug-in is a shared library that a vendor ships with its readers ("units"). The program finds it
 * through a catalogue entry in the configuration root ("Name: <library path>", "Type: 1"), loads it
 * with immediate binding, looks up the eight entry points below and drives the units through them.
 * This header is all a vendor needs: it depends on <stdint.h> only and compiles as C and as C++.
 *
 * Exporting. Every entry point MUST be exported as a plain C function with the platform's default
 * calling convention, under its name ("FpxConnect") or under its name with a leading underscore
 * ("_FpxConnect"). When both forms exist, the program binds the underscore form. A library that
 * lacks any of the eight under both forms is unloaded again and gives no unit.
 *
 * Results. Every entry point returns 0 for success and any other value for failure; the program
 * never distinguishes non-zero values.
 *
 * Call order. After loading, the program calls FpxEnumUnits once, then FpxGetInfo once for each id
 * of the list, in list order, handing each non-null text back to FpxFree right after copying it, and
 * then hands the id list to FpxFree. Later, from a capture thread: FpxConnect, FpxSensorCaptureSample,
 * FpxDisconnect. The library is unloaded when the program no longer holds any of its units, at the
 * latest at process exit.
 *
 * Memory. The id list and the two UnitInfo texts are allocated by the plug-in and MUST stay valid
 * until the program passes them to FpxFree. The sample bytes of FpxSensorCaptureSample are never
 * handed back: they MUST stay valid until the next capture on the same unit, that unit's
 * FpxDisconnect, or the library's unload, whichever comes first. The program copies the sample
 * before it makes any other call on the unit.
 *
 * Threads. FpxDisconnect (and FpxCancel) MAY be called from another thread while FpxConnect or
 * FpxSensorCaptureSample runs on the same unit; the plug-in MUST accept that, and SHOULD end a
 * capture in progress at once, returning non-zero from it. Apart from that, the program makes no
 * concurrent calls.
 *
 * Prompts (optional). A plug-in MAY also export FpxSetPromptSink to hand the program short texts for
 * the person at the window ("Swipe your finger again, more slowly"). A library without it loads and
 * works as before; the eight entry points above stay the whole required interface.
 *
 * Unloading and exit. The library's destructors (C++ static destructors, functions marked
 * __attribute__((destructor))) run when it is unloaded or as the process ends, on whichever thread
 * does that; they MUST NOT block (join a thread, wait for a device, take a lock that a capture may
 * hold). The program never unloads a library, nor lets the process run its destructors, while one
 * of its entry points runs: a process that ends during a call ends at once, without them.
 */
#ifndef VELMORA_INCLUDE_VELMORA_FPX_PLUGIN_H_
#define VELMORA_INCLUDE_VELMORA_FPX_PLUGIN_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * What FpxGetInfo reports about one unit. The program gives the texts and values no meaning of its
 * own; it stores them and shows them (the simulator: a description and a serial number).
 * Layout: six 4-byte fields (24 bytes) on 32-bit builds; on 64-bit builds the two pointers widen
 * to 8 bytes (32 bytes in all). Both layouts are checked below.
 */
typedef struct UnitInfo {
  char* text1;    /* NUL-terminated, allocated by the plug-in, freed with FpxFree; NULL for none */
  char* text2;    /* as text1 */
  int32_t value1; /* passed through unread */
  int32_t value2;
  int32_t value3;
  int32_t value4;
} UnitInfo;

/*
 * Lists the plug-in's units. On success *unitIds receives an array of *count unit ids allocated by
 * the plug-in (the program hands it to FpxFree once, also when *count is 0), and *count the number
 * of ids. The program sets *unitIds to NULL before the call and reads neither out-value after a
 * non-zero result; a failing plug-in keeps ownership of anything it allocated.
 */
typedef int32_t (*FpxEnumUnitsFn)(uint32_t** unitIds, uint32_t* count);

/*
 * Describes unit `unitId`. On success the plug-in MUST have set all six fields of *info; the
 * program then hands each non-null text to FpxFree. After a non-zero result nothing of *info is
 * read or freed.
 */
typedef int32_t (*FpxGetInfoFn)(uint32_t unitId, UnitInfo* info);

/* Opens unit `unitId` for capturing. The three values are the caller's (the program passes 0, 0, 0). */
typedef int32_t (*FpxConnectFn)(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3);

/*
 * Closes unit `unitId`. MAY be called from another thread while FpxConnect or FpxSensorCaptureSample
 * runs on that unit; such a call SHOULD end the capture at once.
 */
typedef int32_t (*FpxDisconnectFn)(uint32_t unitId);

/* Ends a capture in progress on unit `unitId`; callable from another thread like FpxDisconnect. */
typedef int32_t (*FpxCancelFn)(uint32_t unitId);

/*
 * Waits for a finger on unit `unitId` and captures one sample. On success *sample receives the
 * address of the sample bytes, owned by the plug-in and valid until the next capture on the unit,
 * its FpxDisconnect or the library's unload, and *sampleSize their number. The sample is a text:
 * it MUST hold a NUL byte within its first 256 bytes. The program copies it into the parent's
 * record up to its first NUL byte, at most 255 bytes (a longer text reaches the parent cut, and
 * velmora-plugin-check fails it). *sampleSize is passed on as reported. v1, v2 and *reserved
 * are the plug-in's own (the program passes 2 and 1 and never reads *reserved). The program does not
 * use *sample or *sampleSize after a non-zero result.
 */
typedef int32_t (*FpxSensorCaptureSampleFn)(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                                            int32_t* sampleSize, int32_t* reserved);

/* The plug-in's own sample processing; the eight values pass through unchanged. Never called. */
typedef int32_t (*FpxExtractSampleFn)(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                      int32_t v5, int32_t v6, int32_t v7, int32_t v8);

/*
 * Releases memory that the plug-in handed out (an id list, a UnitInfo text). MUST accept NULL.
 * The result is ignored by the program.
 */
typedef int32_t (*FpxFreeFn)(void* memory);

/*
 * The program's receiver of prompts. `text` MUST be NUL-terminated UTF-8 of at most 255 bytes; the
 * program reads no more than 256 bytes, cuts a longer text to 255, copies it before the call returns
 * and shows it on its own thread. `unitId` names the unit the prompt is about; `data` MUST be the
 * value that came with the sink. The sink MAY be called from any thread, also from several at once;
 * it returns at once.
 */
typedef void (*FpxPromptSink)(uint32_t unitId, const char* text, void* data);

/*
 * Optional. Hands the plug-in the program's prompt sink and its `data`; the program calls it before
 * every FpxConnect, from the thread that then calls FpxConnect, always with the same two values.
 * The plug-in MAY call the sink from the start of FpxConnect until FpxDisconnect on that unit
 * returns, and MUST NOT call it after that (the program ignores such calls). The result is ignored.
 */
typedef int32_t (*FpxSetPromptSinkFn)(FpxPromptSink sink, void* data);

/* The names the program looks up (each also with a leading underscore, which wins). */
#define FPX_ENUM_UNITS_NAME "FpxEnumUnits"
#define FPX_GET_INFO_NAME "FpxGetInfo"
#define FPX_CONNECT_NAME "FpxConnect"
#define FPX_DISCONNECT_NAME "FpxDisconnect"
#define FPX_CANCEL_NAME "FpxCancel"
#define FPX_SENSOR_CAPTURE_SAMPLE_NAME "FpxSensorCaptureSample"
#define FPX_EXTRACT_SAMPLE_NAME "FpxExtractSample"
#define FPX_FREE_NAME "FpxFree"
/* Optional: looked up after the eight are bound; its absence is no failure. */
#define FPX_SET_PROMPT_SINK_NAME "FpxSetPromptSink"

/*
 * Marks an entry point for export, also in libraries built with hidden default visibility. A
 * plug-in that exports the underscore forms puts it on its own definitions.
 */
#if defined(__GNUC__) || defined(__clang__)
#define FPX_EXPORT __attribute__((visibility("default")))
#else
#define FPX_EXPORT
#endif

/* Prototypes for plug-ins that export the plain names; they MUST match the typedefs above. */
FPX_EXPORT int32_t FpxEnumUnits(uint32_t** unitIds, uint32_t* count);
FPX_EXPORT int32_t FpxGetInfo(uint32_t unitId, UnitInfo* info);
FPX_EXPORT int32_t FpxConnect(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3);
FPX_EXPORT int32_t FpxDisconnect(uint32_t unitId);
FPX_EXPORT int32_t FpxCancel(uint32_t unitId);
FPX_EXPORT int32_t FpxSensorCaptureSample(uint32_t unitId, int32_t v1, int32_t v2, unsigned char** sample,
                                          int32_t* sampleSize, int32_t* reserved);
FPX_EXPORT int32_t FpxExtractSample(uint32_t unitId, int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                    int32_t v5, int32_t v6, int32_t v7, int32_t v8);
FPX_EXPORT int32_t FpxFree(void* memory);
FPX_EXPORT int32_t FpxSetPromptSink(FpxPromptSink sink, void* data); /* optional */

#ifdef __cplusplus
} /* extern "C" */
#define FPX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define FPX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* The layout is exchanged with separately built libraries: a change here breaks every plug-in. */
#if UINTPTR_MAX == 0xFFFFFFFFu
FPX_STATIC_ASSERT(sizeof(UnitInfo) == 24, "UnitInfo is 24 bytes on 32-bit builds");
#define FPX_VALUE1_OFFSET 8
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
FPX_STATIC_ASSERT(sizeof(UnitInfo) == 32, "UnitInfo is 32 bytes on 64-bit builds");
#define FPX_VALUE1_OFFSET 16
#else
#error "UnitInfo layout is defined for 32-bit and 64-bit builds only"
#endif
#if defined(__GNUC__) || defined(__clang__)
FPX_STATIC_ASSERT(__builtin_offsetof(UnitInfo, value1) == FPX_VALUE1_OFFSET, "value1 follows the two texts");
FPX_STATIC_ASSERT(__builtin_offsetof(UnitInfo, value4) == FPX_VALUE1_OFFSET + 12, "value4 is the last field");
#endif

#endif /* VELMORA_INCLUDE_VELMORA_FPX_PLUGIN_H_ */
