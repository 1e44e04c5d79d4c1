// Runs the built velmora-capture-host as a user would, each time inside a private IPC namespace
// of its own (unshare --ipc), so the fixed key 43623 never meets a segment outside the test.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "tests/programs/command_run.h"

namespace {

// Runs script with sh inside a new IPC namespace, with HOST, FAKE and PARENT naming the programs
// under test. The script holds no single quote.
CommandRun InNamespace(const std::string& script) {
  std::string prelude = std::string("HOST=") + HOST_PROGRAM + "; FAKE=" + FAKE_CAPTURE +
                        "; PARENT=" + TEST_PARENT + "; SEGMENT_LEFT=\"ipcs -m | grep -c 0x0000aa67\"; ";
  EXPECT_EQ(script.find('\''), std::string::npos);
  return RunCommand("unshare --ipc sh -c '" + prelude + script + "'");
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CaptureHostRun, ProgramThatDoesNothingDidNotFinish) {
  CommandRun run = InNamespace("$HOST --program /bin/true; echo host $?; echo left $(eval $SEGMENT_LEFT)");
  EXPECT_TRUE(Contains(run.out, "program: exited with status 0\ndone: no\nsample: none\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "host 3\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "left 0\n")) << run.out;
}

TEST(CaptureHostRun, ExistingSegmentIsLeftAlone) {
  // The test parent holds a segment under the key, filled with 5a, while the host tries its luck.
  CommandRun run = InNamespace(
      "$PARENT --fill-byte 5a -- sh -c \"$HOST --program $FAKE 2>&1; echo host \\$?; "
      "echo left \\$($SEGMENT_LEFT)\"; echo left-after $(eval $SEGMENT_LEFT)");
  EXPECT_TRUE(Contains(run.out, "exists already")) << run.out;
  EXPECT_TRUE(Contains(run.out, "host 1\nleft 1\n")) << run.out;
  EXPECT_FALSE(Contains(run.out, "fake-capture: pid")) << "the program must not be started";
  std::string record(568, '5');
  for (size_t i = 1; i < record.size(); i += 2) record[i] = 'a';
  EXPECT_TRUE(Contains(run.out, "record " + record + "\n")) << "contents must be untouched:\n" << run.out;
  EXPECT_TRUE(Contains(run.out, "left-after 0\n")) << run.out;
}

TEST(CaptureHostRun, ReportsTheResultThatTheProgramWrote) {
  CommandRun run = InNamespace(
      "FAKE_CAPTURE_SAMPLE=hello FAKE_CAPTURE_FINGER=7 FAKE_CAPTURE_UNITS=2 "
      "$HOST --fingers 7,2,1 --program $FAKE; echo host $?; echo left $(eval $SEGMENT_LEFT)");
  EXPECT_TRUE(Contains(run.out, " enrollmentSize 3 enrolled 070201\nprogram: exited with status 0\n"))
      << "the program's output passes through before the summary:\n"
      << run.out;
  EXPECT_TRUE(Contains(run.out,
                       "done: yes\nsample_size: 5\nsample: 68656c6c6f\nfinger: 7 (Left index finger)\n"
                       "units: 2\nhost 0\nleft 0\n"))
      << run.out;
}

TEST(CaptureHostRun, JsonCarriesTheSameResult) {
  CommandRun run = InNamespace(
      "export FAKE_CAPTURE_SAMPLE=ab FAKE_CAPTURE_SAMPLE_SIZE=40 FAKE_CAPTURE_FINGER=2; "
      "{ $HOST --json --fingers 2 --program $FAKE; echo host $?; } | grep -v fake-capture");
  EXPECT_EQ(run.out,
            "{\"exit_status\":0,\"signal\":null,\"timed_out\":false,\"done\":true,\"sample_size\":40,"
            "\"sample\":\"6162\",\"finger\":2,\"finger_name\":\"Right index finger\",\"units\":1}\n"
            "host 0\n");
}

TEST(CaptureHostRun, StatusTellsHowTheProgramEnded) {
  CommandRun run = InNamespace(
      "$HOST --program $FAKE >/dev/null; echo none $?; "
      "FAKE_CAPTURE_MODE=no-done FAKE_CAPTURE_SAMPLE=x $HOST --program $FAKE >/dev/null; echo early $?; "
      "FAKE_CAPTURE_MODE=crash FAKE_CAPTURE_SAMPLE=x $HOST --json --program $FAKE; echo crash $?; "
      "$HOST --program /nonexistent/capture 2>/dev/null; echo missing $?; "
      "$HOST --fingers 11 --program $FAKE 2>/dev/null; echo badargs $?; "
      "echo left $(eval $SEGMENT_LEFT)");
  EXPECT_TRUE(Contains(run.out, "none 2\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "early 3\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"exit_status\":null,\"signal\":6,")) << run.out;
  EXPECT_TRUE(Contains(run.out, "crash 3\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "missing 1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "badargs 1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "left 0\n")) << run.out;
}

TEST(CaptureHostRun, TimeoutKillsAHangingProgram) {
  CommandRun run = InNamespace(
      "FAKE_CAPTURE_MODE=hang $HOST --timeout 1 --program $FAKE; echo host $?; "
      "echo left $(eval $SEGMENT_LEFT)");
  EXPECT_TRUE(Contains(run.out, "program: killed after the timeout\ndone: no\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "host 3\nleft 0\n")) << run.out;
}

TEST(CaptureHostRun, TerminatedHostEndsTheProgramAndRemovesTheSegment) {
  // Waits until the program has attached (its line shows), then terminates the host.
  CommandRun run = InNamespace(
      "out=$(mktemp); FAKE_CAPTURE_MODE=hang $HOST --program $FAKE >$out 2>/dev/null & host=$!; "
      "tries=0; until grep -q fake-capture $out || [ $tries -ge 600 ]; do sleep 0.1; tries=$((tries+1)); "
      "done; "
      "echo attached $(eval $SEGMENT_LEFT); child=$(sed -n \"s/fake-capture: pid \\([0-9]*\\).*/\\1/p\" "
      "$out); "
      "kill -TERM $host; wait $host; echo host $?; "
      "kill -0 $child 2>/dev/null && echo child alive || echo child gone; "
      "echo left $(eval $SEGMENT_LEFT); grep -c program: $out; rm -f $out");
  EXPECT_TRUE(Contains(run.out, "attached 1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "host 143\n")) << "ended by SIGTERM:\n" << run.out;
  EXPECT_TRUE(Contains(run.out, "child gone\nleft 0\n0\n")) << "no summary after an interruption:\n"
                                                            << run.out;
}

}  // namespace
