// The report's two forms, its exit status, the command line and how plug-in texts are shown.
#include "tools/plugin_check/check_output.h"

#include <gtest/gtest.h>

#include "tests/support/json_reader.h"
#include "tools/plugin_check/check_options.h"
#include "tools/plugin_check/plugin_text.h"

using velmora::test::ParseJson;

namespace {

CheckReport Report(const std::string& id, CheckResult result, const std::string& detail) {
  CheckReport report{id, CheckVerdict()};
  report.verdict.Add(result, detail);
  return report;
}

TEST(JsonString, EscapesWhatJsonForbidsAndReplacesBytesThatAreNotUtf8) {
  EXPECT_EQ(JsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
  EXPECT_EQ(JsonString("gr\xc3\xbc\xc3\x9f \xe2\x82\xac"), "\"gr\xc3\xbc\xc3\x9f \xe2\x82\xac\"")
      << "UTF-8 stays";
  EXPECT_EQ(JsonString("\xff \xc3 \xed\xa0\x80"), "\"\\ufffd \\ufffd \\ufffd\\ufffd\\ufffd\"")
      << "a stray byte, a cut sequence, a surrogate";
}

TEST(FormatJson, IsOneObjectWithTheChecksInOrder) {
  std::string odd = std::string("\"\\\n\x7f\xfe", 5);
  std::vector<CheckReport> reports = {Report("entry-points", CheckResult::kPass, ""),
                                      Report("get-info", CheckResult::kFail, odd)};
  velmora::test::JsonValue json = ParseJson(FormatJson("/lib/\"x\".so", reports));
  EXPECT_EQ(json["library"].text, "/lib/\"x\".so");
  ASSERT_EQ(json["checks"].items.size(), 2u);
  EXPECT_EQ(json["checks"].items[0]["id"].text, "entry-points");
  EXPECT_EQ(json["checks"].items[0]["result"].text, "pass");
  EXPECT_EQ(json["checks"].items[1]["result"].text, "fail");
  EXPECT_EQ(json["checks"].items[1]["detail"].text, "\"\\\n\x7f\xef\xbf\xbd");
  EXPECT_EQ(ExitStatusOf(reports), 1);
  reports.pop_back();
  reports.push_back(Report("cycles", CheckResult::kWarn, "w"));
  reports.push_back(Report("reload", CheckResult::kSkip, "s"));
  EXPECT_EQ(ExitStatusOf(reports), 0) << "warnings and skips do not fail";
}

TEST(FormatTable, OneLinePerCheckAndACount) {
  std::vector<CheckReport> reports = {Report("entry-points", CheckResult::kPass, ""),
                                      Report("cycles", CheckResult::kWarn, "two\nlines")};
  EXPECT_EQ(FormatTable("x.so", reports),
            "library: x.so\n"
            "check         result  detail\n"
            "entry-points  pass\n"
            "cycles        warn    two\\x0alines\n"
            "2 checks: 1 pass, 1 warn, 0 fail, 0 skip\n");
}

TEST(QuoteBytes, ShowsAnyByteOnOneLineAndCuts) {
  const unsigned char text[] =
      "a\"\\\n\xff"
      "bcdef";
  EXPECT_EQ(QuoteBytes(text, 5), "\"a\\\"\\\\\\x0a\\xff\"");
  EXPECT_EQ(QuoteBytes(text, 10, 6), "\"a\\\"\\\\\\x0a\\xffb\"...");
}

TEST(ParseCheckOptions, TakesEveryOptionAndRefusesWhatItCannotUse) {
  auto parse = [](std::vector<const char*> args, CheckOptions* options, std::string* error) {
    args.insert(args.begin(), "velmora-plugin-check");
    return ParseCheckOptions(static_cast<int>(args.size()), args.data(), options, error);
  };
  CheckOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--json", "--unit", "4294967295", "--timeout", "3", "--no-capture", "lib.so"}, &options,
                    &error));
  EXPECT_TRUE(options.json && options.hasUnit && options.noCapture);
  EXPECT_EQ(options.unit, 4294967295u);
  EXPECT_EQ(options.timeoutSeconds, 3);
  EXPECT_EQ(options.library, "lib.so");

  CheckOptions defaults;
  ASSERT_TRUE(parse({"lib.so"}, &defaults, &error));
  EXPECT_FALSE(defaults.json || defaults.hasUnit || defaults.noCapture);
  EXPECT_EQ(defaults.timeoutSeconds, 10);

  const std::vector<std::vector<const char*>> refused = {{},
                                                         {"a.so", "b.so"},
                                                         {"--unit", "4294967296", "a.so"},
                                                         {"--unit", "-1", "a.so"},
                                                         {"--timeout", "3601", "a.so"},
                                                         {"--timeout"},
                                                         {"--verbose", "a.so"}};
  for (const std::vector<const char*>& args : refused) {
    CheckOptions ignored;
    EXPECT_FALSE(parse(args, &ignored, &error)) << (args.empty() ? "(none)" : args[0]);
  }
  CheckOptions help;
  EXPECT_TRUE(parse({"--help"}, &help, &error) && help.help);
}

}  // namespace
