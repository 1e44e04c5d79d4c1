/*
 * What a reader plug-in built on GLib hands to the entry points it shares with the others
 * (reader_entry_points.c): its unit table and the operations on one unit. Each plug-in defines
 * g_ReaderBackend once; the entry points find the unit by id and call through it, so that the
 * plug-in writes only what is its own.
 *
 * A plug-in's unit type is `struct ReaderUnit`, defined by that plug-in alone (each library has
 * one); here it is opaque.
 *
 * Thread rules: those of the operations, which each plug-in's unit header states; the table is
 * read under its lock.
 */
#ifndef VELMORA_PLUGINS_GLIB_READER_READER_BACKEND_H_
#define VELMORA_PLUGINS_GLIB_READER_READER_BACKEND_H_

#include <glib.h>
#include <pthread.h>
#include <stdint.h>

#include "velmora/fpx_plugin.h"

typedef struct ReaderUnit ReaderUnit;

/* The units, numbered from 1 in the order found; built by the first enumeration, kept until unload. */
typedef struct ReaderUnitTable {
  pthread_mutex_t m_Lock;
  GPtrArray* m_Units; /* ReaderUnit*, index = id - 1; NULL until the first enumeration; GUARDED_BY(m_Lock) */
} ReaderUnitTable;

#define READER_UNIT_TABLE_INIT \
  { PTHREAD_MUTEX_INITIALIZER, NULL }

typedef struct ReaderBackend {
  ReaderUnitTable* m_Table;
  int (*m_Enumerate)(void);                            /* the unit count, or -1 after a line on stderr */
  int (*m_Describe)(ReaderUnit* unit, UnitInfo* info); /* texts from GLib's allocator; 0 or non-zero */
  int (*m_Connect)(ReaderUnit* unit);                  /* 0 or non-zero */
  int (*m_Disconnect)(ReaderUnit* unit);               /* 0 or non-zero */
  int (*m_Cancel)(ReaderUnit* unit);                   /* 0 or non-zero */
  int (*m_Capture)(ReaderUnit* unit);                  /* the sample text's length, or -1 */
  const char* (*m_Sample)(ReaderUnit* unit);           /* the text of the last capture that succeeded */
} ReaderBackend;

/* Defined by the plug-in. */
extern const ReaderBackend g_ReaderBackend;

/* Fills `info` for FpxGetInfo: the texts are taken (GLib's allocator, freed by FpxFree); value4 is 0. */
void ReaderSetInfo(UnitInfo* info, char* name, char* label, int32_t swipe, int32_t stages, int32_t storage);

/* The unit with id `unitId`, or NULL for an id that was never handed out. Any thread. */
ReaderUnit* ReaderTableFind(ReaderUnitTable* table, uint32_t unitId);

#endif /* VELMORA_PLUGINS_GLIB_READER_READER_BACKEND_H_ */
