/*
 * The private folder that receives the captured images: VELMORA_FPRINT_SAMPLE_DIR when set, else
 * $XDG_RUNTIME_DIR/velmora when that names a folder of the caller's, else /tmp/velmora-<uid>.
 * A missing folder is created with mode 0700; an existing one that is a link, someone else's or
 * open to group or others is refused.
 *
 * Thread rules: any thread; touches only the file system and the environment.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FP_SAMPLE_DIR_H_
#define VELMORA_PLUGINS_FPRINT_FP_SAMPLE_DIR_H_

/* The folder's absolute path (free with g_free), or NULL after one line on standard error. */
char* FprintSampleDir(void);

#endif /* VELMORA_PLUGINS_FPRINT_FP_SAMPLE_DIR_H_ */
