// The meaning of fprintd's statuses and errors, and the sample text: only a match may give a
// sample (the plug-in fails closed), and every failure is one line that names what to do.
#include "fd_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FprintdTexts, StatusesEndOrContinueTheVerification) {
  struct Case {
    const char* status;
    gboolean done;
    FprintdOutcome outcome;
    const char* words;
  } cases[] = {
      {"verify-match", TRUE, kFprintdMatch, "the finger matches an enrolled finger"},
      {"verify-no-match", TRUE, kFprintdNoMatch, "the finger does not match any enrolled finger"},
      {"verify-retry-scan", FALSE, kFprintdRetry, "the reader could not read the finger"},
      {"verify-swipe-too-short", FALSE, kFprintdRetry, "the swipe was too short"},
      {"verify-finger-not-centered", FALSE, kFprintdRetry, "the finger was not centred on the reader"},
      {"verify-remove-and-retry", FALSE, kFprintdRetry, "the reader wants the finger lifted first"},
      // A retry that fprintd marks final ends the verification: waiting on would hang.
      {"verify-retry-scan", TRUE, kFprintdFailed, "the reader could not read the finger"},
      {"verify-disconnected", TRUE, kFprintdFailed, "the reader was disconnected"},
      {"verify-unknown-error", TRUE, kFprintdFailed, "the reader reported an error"},
      // A status we do not know never counts as a match.
      {"verify-something-new", TRUE, kFprintdFailed, "the reader reported a status that is not known"},
      {"verify-something-new", FALSE, kFprintdPending, "the reader reported a status that is not known"},
      {"verify-matchx", TRUE, kFprintdFailed, "the reader reported a status that is not known"},
  };
  for (const Case& c : cases) {
    const char* words = nullptr;
    EXPECT_EQ(c.outcome, FprintdClassifyStatus(c.status, c.done, &words)) << c.status << " done=" << c.done;
    EXPECT_STREQ(c.words, words) << c.status;
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
