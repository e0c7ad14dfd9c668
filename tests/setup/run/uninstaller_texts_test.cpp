#include "setup/run/uninstaller_texts.h"

#include <gtest/gtest.h>

TEST(UninstallerTexts, ProductNameIsSplicedIntoTextsOneFourAndFive) {
  auto texts = UninstallerTexts("My App");
  // "Удаление My App" in code page 1251.
  EXPECT_EQ(texts[0], "\xD3\xE4\xE0\xEB\xE5\xED\xE8\xE5 My App");
  EXPECT_NE(texts[3].find(" My App "), std::string::npos);
  EXPECT_EQ(texts[3].back(), ' ');
  EXPECT_EQ(texts[4], "\xD3\xE4\xE0\xEB\xE5\xED\xE8\xE5 My App \xE7\xE0\xEA\xEE\xED\xF7\xE5\xED\xEE.");
  // "Да", "Да для всех", "Нет", "Нет для всех", "Закрыть".
  EXPECT_EQ(texts[18], "\xC4\xE0");
  EXPECT_EQ(texts[19], "\xC4\xE0 \xE4\xEB\xFF \xE2\xF1\xE5\xF5");
  EXPECT_EQ(texts[20], "\xCD\xE5\xF2");
  EXPECT_EQ(texts[21], "\xCD\xE5\xF2 \xE4\xEB\xFF \xE2\xF1\xE5\xF5");
  EXPECT_EQ(texts[22], "\xC7\xE0\xEA\xF0\xFB\xF2\xFC");
}

TEST(UninstallerTexts, EveryTextStaysOnOneLogLine) {
  for (const std::string& text : UninstallerTexts("P")) {
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  }
  std::string shared = UninstallerTexts("P")[15];
  size_t bars = shared.find("||||");
  ASSERT_NE(bars, std::string::npos);
  EXPECT_EQ(shared.find("||", bars + 4), std::string::npos);
}

TEST(UninstallerTexts, PathsOfTheDeployment) {
  EXPECT_EQ(UninstallerPath("C:\\Prog\\App\\"), "C:\\Prog\\App\\\\Reapwell.exe");
  EXPECT_EQ(UninstallShortcutPath("C:\\Menu\\Programs", "My App"),
            "C:\\Menu\\Programs\\My App\\\xD3\xE4\xE0\xEB\xE8\xF2\xFC My App.lnk");
  EXPECT_EQ(UninstallKeyLogPath("My App"), "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My App");
  EXPECT_EQ(UninstallCommand("C:\\Program Files\\App\\\\Reapwell.exe"),
            "\"C:\\Program Files\\App\\\\Reapwell.exe\"");
}
