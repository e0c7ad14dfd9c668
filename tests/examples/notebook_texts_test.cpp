#include "examples/demo/src/notebook_texts.h"

#include <gtest/gtest.h>

#include <cstring>

using notebook::CommandArgument;

TEST(NotebookText, EveryLineEndBecomesCrLf) {
  EXPECT_EQ(notebook::ToCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(notebook::ToCrLf("\n\n"), "\r\n\r\n");
  EXPECT_EQ(notebook::ToCrLf("\r\r\n"), "\r\n\r\n");
  EXPECT_EQ(notebook::ToCrLf("end\r"), "end\r\n");
  EXPECT_EQ(notebook::ToCrLf(""), "");
}

TEST(NotebookText, CommandArgumentFollowsTheProgramName) {
  EXPECT_EQ(CommandArgument("notebook.exe /register"), "/register");
  EXPECT_EQ(CommandArgument("\"C:\\Program Files\\Notebook\\notebook.exe\" /register"), "/register");
  EXPECT_EQ(CommandArgument("\"C:\\Program Files\\Notebook\\notebook.exe\""), "");
  // Shortcuts and the shell pass paths with blanks quoted or not.
  EXPECT_EQ(CommandArgument("notebook.exe \"C:\\My Documents\\a.txt\" "), "C:\\My Documents\\a.txt");
  EXPECT_EQ(CommandArgument("notebook.exe   C:\\My Documents\\a.txt"), "C:\\My Documents\\a.txt");
  EXPECT_EQ(CommandArgument(""), "");
}

TEST(NotebookText, RegisterSwitchAndLanguage) {
  EXPECT_TRUE(notebook::IsRegisterSwitch("/register"));
  EXPECT_TRUE(notebook::IsRegisterSwitch("/REGISTER"));
  EXPECT_FALSE(notebook::IsRegisterSwitch("register"));
  EXPECT_FALSE(notebook::IsRegisterSwitch("/registered"));
  EXPECT_STREQ(notebook::TextsFor("RU").programName, "Записная книжка");
  EXPECT_STREQ(notebook::TextsFor("en").programName, "Notebook");
  EXPECT_STREQ(notebook::TextsFor("").programName, "Notebook");
  // The file dialogs take pairs of zero-terminated texts ending with an empty one.
  for (const char* lang : {"en", "ru"}) {
    const char* filter = notebook::TextsFor(lang).fileFilter;
    int parts = 0;
    while (*filter) {
      filter += std::strlen(filter) + 1;
      ++parts;
    }
    EXPECT_EQ(parts, 4) << lang;
  }
}
