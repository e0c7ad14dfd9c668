#include "uninstall/reap_switches.h"

#include <gtest/gtest.h>

#include "common/command_line.h"

using namespace reapcli;

namespace {
TParsedReapSwitches Parse(const char* line) { return ParseReapSwitches(cmdline::SplitArguments(line)); }
}  // namespace

TEST(ReapSwitches, TheLogPathStaysTheFirstArgument) {
  TParsedReapSwitches p = Parse("\"C:\\My App\\install.log\" ignored too");
  EXPECT_EQ(p.error, "");
  EXPECT_FALSE(p.switches.any);
  EXPECT_EQ(p.switches.logPath, "C:\\My App\\install.log");
  EXPECT_EQ(p.switches.mode, Mode::Interactive);
  EXPECT_EQ(Parse("").switches.logPath, "");
}

TEST(ReapSwitches, ModesAndTheAccountInAnyOrderAndCase) {
  TParsedReapSwitches p = Parse("-silent D:\\x\\install.log /log=\"C:\\r e.txt\"");
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.switches.any);
  EXPECT_EQ(p.switches.mode, Mode::Silent);
  EXPECT_EQ(p.switches.logPath, "D:\\x\\install.log");
  EXPECT_EQ(p.switches.account, "C:\\r e.txt");
  EXPECT_EQ(Parse("/VERYSILENT").switches.mode, Mode::VerySilent);
  EXPECT_EQ(Parse("/VERYSILENT").switches.logPath, "");
}

TEST(ReapSwitches, RefusedLines) {
  for (const char* line : {"/QUIET", "/SILENT /VERYSILENT", "/SILENT /SILENT", "/LOG", "/LOG=", "/SILENT=yes",
                           "/LOG=a /LOG=b", "/?"}) {
    EXPECT_NE(Parse(line).error, "") << line;
  }
  // The mode read before the refusal still keeps the refusal silent.
  EXPECT_EQ(Parse("/VERYSILENT /BOGUS").switches.mode, Mode::VerySilent);
  EXPECT_NE(UsageText().find("/VERYSILENT"), std::string::npos);
}
