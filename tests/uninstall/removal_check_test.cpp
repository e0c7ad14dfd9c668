#include "uninstall/removal_check.h"

#include <gtest/gtest.h>

#include <set>

using namespace removalcheck;

namespace {

// A machine made of sets: what exists and what is empty.
struct Machine {
  std::set<std::string> files, folders, emptyFolders, values, keys, emptyKeys;
  TProbes Probes() const {
    TProbes p;
    p.fileExists = [this](const std::string& f) { return files.count(f) > 0; };
    p.folderExists = [this](const std::string& f) { return folders.count(f) > 0; };
    p.folderEmpty = [this](const std::string& f) { return emptyFolders.count(f) > 0; };
    p.valueExists = [this](const std::string& k, const std::string& n) { return values.count(k + "|" + n) > 0; };
    p.keyExists = [this](const std::string& k) { return keys.count(k) > 0; };
    p.keyEmpty = [this](const std::string& k) { return emptyKeys.count(k) > 0; };
    return p;
  }
};

// The texts of the failures, or of the rest, leaving out what is gone.
std::vector<std::string> Texts(const std::vector<TFinding>& found, bool failures) {
  std::vector<std::string> texts;
  for (const TFinding& f : found) {
    if (f.failure == failures && f.text.rfind("removed: ", 0) != 0) texts.push_back(f.text);
  }
  return texts;
}
std::vector<std::string> Removed(const std::vector<TFinding>& found) {
  std::vector<std::string> texts;
  for (const TFinding& f : found) {
    if (f.text.rfind("removed: ", 0) == 0) {
      EXPECT_FALSE(f.failure) << f.text;
      texts.push_back(f.text);
    }
  }
  return texts;
}

}  // namespace

TEST(RemovalCheck, ReadsWhatTheStepsActOnAndNothingElse) {
  TRecorded r = FromSections({"C:\\App\\a.exe=", "C:\\App\\*.tmp=", "relative.txt=", "C:\\App\\x=y.txt="},
                             {"C:\\Menu\\App\\Run.lnk=", "C:\\Menu\\App\\Old.pif="},
                             {"C:\\App\\=", "C:\\App\\sub=", "C:\\="},
                             {"HKCU\\Software\\App\\'Size'=10", "HKCU\\'Root'=1"},
                             {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App=",
                              "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall=", "HKCU\\Software\\App="});
  EXPECT_EQ(r.files, (std::vector<std::string>{"C:\\App\\a.exe", "C:\\App\\x=y.txt"}));
  EXPECT_EQ(r.shortcuts, (std::vector<std::string>{"C:\\Menu\\App\\Run.lnk", "C:\\Menu\\App\\Old.lnk"}));
  // Deepest first, as the folder step takes them; a drive root is never one.
  EXPECT_EQ(r.folders, (std::vector<std::string>{"C:\\App\\sub", "C:\\App"}));
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].key, "HKCU\\Software\\App");
  EXPECT_EQ(r.values[0].name, "Size");
  // The Uninstall key itself is the system's; the product's entry below it is not.
  EXPECT_EQ(r.keys, (std::vector<std::string>{"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App",
                                              "HKCU\\Software\\App"}));
}

TEST(RemovalCheck, WhatStaysIsAFailureUnlessItIsKeptByDesign) {
  TRecorded r;
  r.files = {"C:\\App\\a.exe", "C:\\App\\shared.dll", "C:\\App\\gone.txt"};
  r.shortcuts = {"C:\\Menu\\Run.lnk"};
  r.folders = {"C:\\App\\empty", "C:\\App\\data", "C:\\App", "C:\\Other"};
  r.values = {{"HKCU\\Software\\App", "Size"}, {"HKCU\\Software\\App", "Gone"}};
  r.keys = {"HKCU\\Software\\App\\Empty", "HKCU\\Software\\App"};
  Machine m;
  m.files = {"C:\\App\\a.exe", "C:\\App\\shared.dll", "C:\\Menu\\Run.lnk"};
  m.folders = {"C:\\App\\empty", "C:\\App\\data", "C:\\App", "C:\\Other"};
  m.emptyFolders = {"C:\\App\\empty", "C:\\Other"};
  m.values = {"HKCU\\Software\\App|Size"};
  m.keys = {"HKCU\\Software\\App\\Empty", "HKCU\\Software\\App"};
  m.emptyKeys = {"HKCU\\Software\\App\\Empty"};
  std::vector<TFinding> found = Outcome(r, m.Probes(), {"C:\\App\\shared.dll=1"}, "C:\\App");
  EXPECT_EQ(Texts(found, true), (std::vector<std::string>{
                                    "not removed: file C:\\App\\a.exe",
                                    "not removed: shortcut C:\\Menu\\Run.lnk",
                                    "not removed: folder C:\\App\\empty",
                                    "not removed: folder C:\\Other",
                                    "not removed: registry value HKCU\\Software\\App [Size]",
                                    "not removed: registry key HKCU\\Software\\App\\Empty",
                                }));
  // The program's own folder waits for its self-deletion and is not looked at.
  EXPECT_EQ(Texts(found, false),
            (std::vector<std::string>{
                "kept shared file: C:\\App\\shared.dll",
                "kept folder (it holds what the installation did not make): C:\\App\\data",
                "kept registry key (it holds what the installation did not make): HKCU\\Software\\App",
            }));

  EXPECT_EQ(Removed(found), (std::vector<std::string>{"removed: file C:\\App\\gone.txt",
                                                     "removed: registry value HKCU\\Software\\App [Gone]"}));

  // A clean removal names every item as gone, and no failure.
  std::vector<TFinding> clean = Outcome(r, Machine{}.Probes(), {}, "C:\\App");
  EXPECT_TRUE(Texts(clean, true).empty());
  EXPECT_TRUE(Texts(clean, false).empty());
  EXPECT_EQ(Removed(clean).size(), 3u + 1 + 3 + 2 + 2);  // C:\App itself waits for the self-deletion
}

TEST(RemovalCheck, FoldersAboveTheProgramAreLeftToTheSelfDeletion) {
  TRecorded r;
  r.folders = {"C:\\Apps\\Tool\\bin", "C:\\Apps\\Tool", "C:\\Apps", "C:\\Apps\\ToolBox"};
  Machine m;
  m.folders = {r.folders.begin(), r.folders.end()};
  m.emptyFolders = m.folders;
  std::vector<TFinding> found = Outcome(r, m.Probes(), {}, "C:\\apps\\tool\\");
  EXPECT_EQ(Texts(found, true),
            (std::vector<std::string>{"not removed: folder C:\\Apps\\Tool\\bin", "not removed: folder C:\\Apps\\ToolBox"}));
}
