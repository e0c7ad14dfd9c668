#include "setup/unattended/setup_switches.h"

#include <gtest/gtest.h>

#include "common/command_line.h"

using namespace setupcli;

namespace {

TParsedSwitches Parse(const char* line) { return ParseSetupSwitches(cmdline::SplitArguments(line)); }

}  // namespace

TEST(CommandLine, QuotesGroupAndBackslashesStayAsWritten) {
  using cmdline::SplitArguments;
  EXPECT_EQ(SplitArguments("  a  \t b "), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitArguments("/DIR=\"C:\\Program Files\\App\\\" /SILENT"),
            (std::vector<std::string>{"/DIR=C:\\Program Files\\App\\", "/SILENT"}));
  EXPECT_EQ(SplitArguments("\"C:\\a b\\Sowell.exe\" /LOG=\"x y.txt\""),
            (std::vector<std::string>{"C:\\a b\\Sowell.exe", "/LOG=x y.txt"}));
  EXPECT_EQ(SplitArguments("a\"b c\"d"), (std::vector<std::string>{"ab cd"}));
  EXPECT_EQ(SplitArguments("\"\""), (std::vector<std::string>{""}));
  // A final backslash typed by hand, and the same doubled by a program's quoting.
  EXPECT_EQ(SplitArguments("\"/DIR=C:\\A B\\\" x"), (std::vector<std::string>{"/DIR=C:\\A B\\", "x"}));
  EXPECT_EQ(SplitArguments("\"/DIR=C:\\A B\\\\\" x"), (std::vector<std::string>{"/DIR=C:\\A B\\", "x"}));
  EXPECT_EQ(SplitArguments("\\\\server\\share"), (std::vector<std::string>{"\\\\server\\share"}));
  EXPECT_EQ(SplitArguments("\"unclosed quote"), (std::vector<std::string>{"unclosed quote"}));
  EXPECT_TRUE(SplitArguments(" \r\n ").empty());
  EXPECT_EQ(cmdline::ArgumentsAfterProgram("\"C:\\x y\\Reapwell.exe\" /SILENT"),
            (std::vector<std::string>{"/SILENT"}));
  EXPECT_TRUE(cmdline::ArgumentsAfterProgram("Sowell.exe").empty());
}

TEST(CommandLine, SwitchesByEitherPrefixAnyCaseValueAfterFirstEquals) {
  auto s = cmdline::ParseSwitch("-dir=C:\\a=b");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->name, "DIR");
  EXPECT_TRUE(s->hasValue);
  EXPECT_EQ(s->value, "C:\\a=b");
  s = cmdline::ParseSwitch("/?");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->name, "?");
  EXPECT_FALSE(s->hasValue);
  EXPECT_FALSE(cmdline::ParseSwitch("C:\\log.txt"));
  EXPECT_FALSE(cmdline::ParseSwitch("/"));
  EXPECT_FALSE(cmdline::ParseSwitch("-5"));
  EXPECT_FALSE(cmdline::ParseSwitch(""));
}

TEST(SetupSwitches, NoArgumentsIsTheWizardAsEver) {
  TParsedSwitches p = ParseSetupSwitches({});
  EXPECT_TRUE(p.error.empty());
  EXPECT_FALSE(p.switches.any);
  EXPECT_EQ(p.switches.mode, Mode::Wizard);
  EXPECT_FALSE(p.switches.dir || p.switches.components || p.switches.russian);
}

TEST(SetupSwitches, AFullUnattendedLine) {
  TParsedSwitches p = Parse("/verysilent -DIR=\"C:\\Program Files\\Книжка\" /Components=0,2 /LANG=rus "
                            "/NODESKTOP /nogroup /LOG=\"C:\\logs\\setup log.txt\" /SAVEINF=a.inf /LOADINF=b.inf");
  ASSERT_EQ(p.error, "");
  const TSetupSwitches& s = p.switches;
  EXPECT_TRUE(s.any);
  EXPECT_EQ(s.mode, Mode::VerySilent);
  EXPECT_TRUE(Unattended(s.mode));
  EXPECT_EQ(*s.dir, "C:\\Program Files\\Книжка");
  EXPECT_EQ(*s.components, (std::vector<int>{0, 2}));
  EXPECT_TRUE(*s.russian);
  EXPECT_TRUE(s.noDesktop && s.noGroup);
  EXPECT_EQ(s.log, "C:\\logs\\setup log.txt");
  EXPECT_EQ(s.saveInf, "a.inf");
  EXPECT_EQ(s.loadInf, "b.inf");
  EXPECT_EQ(Parse("/SILENT").switches.mode, Mode::Silent);
  EXPECT_FALSE(*Parse("/LANG=Eng").switches.russian);
}

TEST(SetupSwitches, RefusedLinesSayWhyAndKeepWhatCouldBeRead) {
  const char* bad[] = {
      "/FOO",          "install",          "/DIR",           "/DIR=",         "/LOG",
      "/COMPONENTS",   "/COMPONENTS=1,,2", "/COMPONENTS=a",  "/COMPONENTS=-1", "/COMPONENTS=1,1",
      "/LANG=DEU",     "/LANG",            "/SILENT=1",      "/NODESKTOP=0",  "/SILENT /VERYSILENT",
      "/DIR=a /DIR=b", "/SAVEINF=",        "/COMPONENTS=99999",
  };
  for (const char* line : bad) EXPECT_NE(Parse(line).error, "") << line;
  // The mode and the account still apply to the report of the refusal.
  TParsedSwitches p = Parse("/VERYSILENT /BOGUS /LOG=C:\\x.txt");
  EXPECT_NE(p.error, "");
  EXPECT_EQ(p.switches.mode, Mode::VerySilent);
  EXPECT_EQ(p.switches.log, "C:\\x.txt");
  // Help is a refusal too, with the usage shown.
  EXPECT_TRUE(Parse("/?").switches.help);
  EXPECT_NE(Parse("-help").error, "");
  EXPECT_NE(UsageText().find("/COMPONENTS=0,2,3"), std::string::npos);
}

TEST(SetupSwitches, ComponentListsAndTheRequiredPackages) {
  EXPECT_EQ(*ParseComponentList(" 3, 0 ,1"), (std::vector<int>{3, 0, 1}));
  EXPECT_TRUE(ParseComponentList("")->empty());
  EXPECT_FALSE(ParseComponentList("1,"));
  EXPECT_FALSE(ParseComponentList("1;2"));
  const std::vector<bool> required = {true, false, false, true};
  std::string error;
  EXPECT_EQ(*ChoosePackages({2}, required, &error), (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(*ChoosePackages({}, required, &error), required);
  EXPECT_FALSE(ChoosePackages({4}, required, &error));
  EXPECT_NE(error.find('4'), std::string::npos);
}
