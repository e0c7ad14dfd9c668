#include "uninstall/support/launch_rules.h"

#include <gtest/gtest.h>

using namespace launch;

TEST(LaunchRules, ProgramTypesAreStartedDirectlyWhateverTheirCase) {
  for (const char* p : {"C:\\a\\b.exe", "C:\\a\\B.EXE", "x.Com", "\"C:\\My App\\run.bat\"", "s.pif", "s.LNK"}) {
    EXPECT_TRUE(IsDirectlyStarted(p)) << p;
  }
  for (const char* p : {"C:\\a\\readme.txt", "C:\\a.exe\\doc", "C:\\a\\exe", "", "C:\\a\\b.exe.txt"}) {
    EXPECT_FALSE(IsDirectlyStarted(p)) << p;
  }
  EXPECT_EQ(LowerExtension("C:\\Dir.d\\File.HLP"), ".hlp");
  EXPECT_EQ(LowerExtension("C:\\Dir.d\\File"), "");
}

TEST(LaunchRules, TheProgramIsQuotedByTheUninstallerItself) {
  EXPECT_EQ(DirectCommandLine("C:\\My App\\tool.exe", "/cleanup"), "\"C:\\My App\\tool.exe\" /cleanup");
  EXPECT_EQ(DirectCommandLine("\"C:\\My App\\tool.exe\"", ""), "\"C:\\My App\\tool.exe\"");
  EXPECT_EQ(DirectCommandLine("\"C:\\a\"\"b.exe\"", " x "), "\"C:\\a\"b.exe\"  x");
  EXPECT_EQ(WorkingFolder("  \"C:\\App Dir\"  "), "C:\\App Dir");
  EXPECT_EQ(WorkingFolder(" C:\\App "), "C:\\App");
  EXPECT_EQ(WorkingFolder(""), "");
  EXPECT_EQ(UnregisterServerCommandLine("C:\\Program Files\\App\\srv.EXE"),
            "\"C:\\Program Files\\App\\srv.EXE\" /UNREGSERVER");
}
