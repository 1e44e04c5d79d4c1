/*
 * The private folder that receives the captured images, held open so that every later step acts
 * on the folder that was judged, not on whatever its path names by then. The folder is
 * VELMORA_FPRINT_SAMPLE_DIR when set; else $XDG_RUNTIME_DIR/velmora when XDG_RUNTIME_DIR is a
 * private folder of the caller's; else velmora-<uid> in /dev/shm when that is a tmpfs, or in /tmp.
 * Every component of the path is opened without following a link, and every folder on the way
 * must belong to root or the caller and be writable by nobody else (unless sticky). A missing
 * folder is created with mode 0700; an existing one must belong to the caller and be open to
 * nobody else. When velmora-<uid> is taken by someone else, a fresh private folder beside it is
 * used and standard error says so. A path that holds ';', the sample's separator, is refused.
 *
 * Thread rules: any thread; touches only the file system and the environment.
 */
#ifndef VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_DIR_H_
#define VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_DIR_H_

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FprintSampleFolder {
  char* m_Path;             /* absolute, owned */
  int m_Fd;                 /* the folder, open; -1 when none */
  int m_SharedFd;           /* /dev/shm or /tmp, open, when the folder lies in it (where fresh folders
                               are made); -1 for a named or runtime folder */
  const char* m_SharedPath; /* its path, static; NULL when m_SharedFd is -1 */
} FprintSampleFolder;

/* Opens the sample folder into `folder`. 0, or -1 after one line on standard error. */
int FprintSampleFolderOpen(FprintSampleFolder* folder);

/* Closes the descriptor and frees the path. */
void FprintSampleFolderClose(FprintSampleFolder* folder);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLUGINS_FPRINT_FPRINT_SAMPLE_DIR_H_ */
