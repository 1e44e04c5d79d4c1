/* What the plug-in says (fd_texts.h). */
#include "fd_texts.h"

#include <stdio.h>
#include <string.h>

typedef struct StatusMeaning {
  const char* m_Status;
  FprintdOutcome m_Outcome;
  const char* m_Words;
  const char* m_Prompt; /* what a retry asks of the person, in the catalogue's words; NULL for none */
} StatusMeaning;

/* fprintd's documented verification statuses. */
static const StatusMeaning kStatuses[] = {
    {"verify-match", kFprintdMatch, "the finger matches an enrolled finger", NULL},
    {"verify-no-match", kFprintdNoMatch, "the finger does not match any enrolled finger", NULL},
    {"verify-retry-scan", kFprintdRetry, "the reader could not read the finger",
     "Place your finger on the reader again"},
    {"verify-swipe-too-short", kFprintdRetry, "the swipe was too short",
     "Swipe your finger again, more slowly"},
    {"verify-finger-not-centered", kFprintdRetry, "the finger was not centred on the reader",
     "Centre your finger on the reader and try again"},
    {"verify-remove-and-retry", kFprintdRetry, "the reader wants the finger lifted first",
     "Lift your finger, then place it on the reader again"},
    {"verify-disconnected", kFprintdFailed, "the reader was disconnected", NULL},
    {"verify-unknown-error", kFprintdFailed, "the reader reported an error", NULL},
};

FprintdOutcome FprintdClassifyStatus(const char* status, gboolean done, const char** words) {
  for (size_t i = 0; i < G_N_ELEMENTS(kStatuses); ++i) {
    if (strcmp(status, kStatuses[i].m_Status) != 0) continue;
    *words = kStatuses[i].m_Words;
    /* A retry that fprintd marks as final ends the verification like an error. */
    if (kStatuses[i].m_Outcome == kFprintdRetry && done) return kFprintdFailed;
    return kStatuses[i].m_Outcome;
  }
  *words = "the reader reported a status that is not known";
  return done ? kFprintdFailed : kFprintdPending;
}

const char* FprintdRetryPrompt(const char* status) {
  for (size_t i = 0; i < G_N_ELEMENTS(kStatuses); ++i)
    if (strcmp(status, kStatuses[i].m_Status) == 0) return kStatuses[i].m_Prompt;
  return NULL;
}

typedef struct ErrorMeaning {
  const char* m_Name;
  const char* m_Format; /* %1$s what, %2$s the device */
} ErrorMeaning;

static const ErrorMeaning kErrors[] = {
    {"net.reactivated.Fprint.Error.AlreadyInUse",
     "%1$s: %2$s is in use by another program (the lock screen, sudo or a settings panel may be waiting "
     "for a finger); finish or close that and try again"},
    {"net.reactivated.Fprint.Error.NoEnrolledPrints",
     "%1$s: no enrolled finger of this user on %2$s; enrol one in the desktop's settings or with "
     "`fprintd-enroll`"},
    {"net.reactivated.Fprint.Error.PermissionDenied",
     "%1$s: not authorized by polkit (net.reactivated.fprint.device.verify) to use %2$s"},
    {"org.freedesktop.DBus.Error.ServiceUnknown",
     "%1$s: the fingerprint service fprintd is not installed or not running"},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", "%1$s: the fingerprint service fprintd is not running"},
    {"org.freedesktop.DBus.Error.NoReply", "%1$s: the fingerprint service fprintd did not answer"},
};

char* FprintdErrorLine(const char* name, const char* what, const char* device, const char* message) {
  for (size_t i = 0; name != NULL && i < G_N_ELEMENTS(kErrors); ++i) {
    if (strcmp(name, kErrors[i].m_Name) != 0) continue;
    return g_strdup_printf(kErrors[i].m_Format, what, device);
  }
  return g_strdup_printf("%s: %s", what, message != NULL ? message : "failed");
}

const char* FprintdPathLeaf(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash != NULL ? slash + 1 : path;
}

int FprintdMakeSample(const char* user, const char* path, char* out) {
  int length = snprintf(out, 256, "fpx1;verify=match;finger=any;user=%s;device=fprintd/%s", user,
                        FprintdPathLeaf(path));
  if (length < 0 || length > 255) {
    out[0] = '\0';
    return -1;
  }
  return length;
}
