// The meaning of fprintd's statuses and errors, and the sample text: only a match may give a
// sample (the plug-in fails closed), and every failure is one line that names what to do.
#include "fd_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FprintdTexts, OnlyAMatchGivesASampleAndOnlyRetriesKeepWaiting) {
  struct Case {
    const char* status;
    gboolean done;
    FprintdOutcome outcome;
  } cases[] = {
      {"verify-match", TRUE, kFprintdMatch},
      {"verify-no-match", TRUE, kFprintdNoMatch},
      {"verify-retry-scan", FALSE, kFprintdRetry},
      {"verify-swipe-too-short", FALSE, kFprintdRetry},
      {"verify-finger-not-centered", FALSE, kFprintdRetry},
      {"verify-remove-and-retry", FALSE, kFprintdRetry},
      // A retry that fprintd marks final ends the verification: waiting on would hang.
      {"verify-retry-scan", TRUE, kFprintdFailed},
      {"verify-disconnected", TRUE, kFprintdFailed},
      {"verify-unknown-error", TRUE, kFprintdFailed},
      // A status we do not know never counts as a match, and never ends a verification by itself.
      {"verify-something-new", TRUE, kFprintdFailed},
      {"verify-something-new", FALSE, kFprintdPending},
      {"verify-matchx", TRUE, kFprintdFailed},
      {"", TRUE, kFprintdFailed},
  };
  for (const Case& c : cases) {
    const char* words = nullptr;
    EXPECT_EQ(c.outcome, FprintdClassifyStatus(c.status, c.done, &words)) << c.status << " done=" << c.done;
    EXPECT_NE(words, nullptr) << c.status;  // every outcome can be said
  }
}

TEST(FprintdTexts, ErrorsBecomeOneLineThatSaysWhatToDo) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"net.reactivated.Fprint.Error.AlreadyInUse",
       "claiming the reader: Reader is in use by another program (the lock screen, sudo or a settings panel "
       "may "
       "be waiting for a finger); finish or close that and try again"},
      {"net.reactivated.Fprint.Error.NoEnrolledPrints",
       "claiming the reader: no enrolled finger of this user on Reader; enrol one in the desktop's settings "
       "or "
       "with `fprintd-enroll`"},
      {"net.reactivated.Fprint.Error.PermissionDenied",
       "claiming the reader: not authorized by polkit (net.reactivated.fprint.device.verify) to use Reader"},
      {"org.freedesktop.DBus.Error.ServiceUnknown",
       "claiming the reader: the fingerprint service fprintd is not installed or not running"},
      {"org.freedesktop.DBus.Error.NameHasNoOwner",
       "claiming the reader: the fingerprint service fprintd is not running"},
      {"net.reactivated.Fprint.Error.Internal", "claiming the reader: the raw message"},
      {nullptr, "claiming the reader: the raw message"},
  };
  for (const Case& c : cases) {
    char* line = FprintdErrorLine(c.name, "claiming the reader", "Reader", "the raw message");
    EXPECT_STREQ(c.expected, line) << (c.name ? c.name : "(no name)");
    g_free(line);
  }
}

TEST(FprintdTexts, TheSampleNamesUserAndDeviceAndIsNeverCut) {
  char out[256];
  EXPECT_EQ(56, FprintdMakeSample("alice", "/net/reactivated/Fprint/Device/0", out));
  EXPECT_STREQ("fpx1;verify=match;finger=any;user=alice;device=fprintd/0", out);
  EXPECT_STREQ("12", FprintdPathLeaf("/net/reactivated/Fprint/Device/12"));
  std::string fits(255 - 51, 'u'), overlong(256 - 51, 'u');
  EXPECT_EQ(255, FprintdMakeSample(fits.c_str(), "/d/0", out));
  EXPECT_EQ(-1, FprintdMakeSample(overlong.c_str(), "/d/0", out));
  EXPECT_STREQ("", out);
}

}  // namespace
