#include "uninstall/support/section_ini.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "common/file_io.h"
#include "tests/common/temp_dir.h"
#include "uninstall/support/folders.h"
#include "uninstall/support/ini_files.h"

namespace {

// Files held in memory, with a switch to refuse writes.
class MemoryStorage : public TIniStorage {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    ++reads;
    if (unreadable.count(path)) throw EInOutError("Cannot open file " + path);
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    ++writes;
    if (refuseWrites) return false;
    files[path] = bytes;
    return true;
  }
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;
  bool refuseWrites = false;
  int reads = 0;
  int writes = 0;
};

TStrings ReadValues(TSectionIniFile& ini, std::string_view section) {
  TStrings out;
  ini.ReadSectionValues(section, out);
  return out;
}

struct Fixture : ::testing::Test {
  MemoryStorage storage;
  std::unique_ptr<TSectionIniFile> Open(const std::string& text, bool readOnly = true) {
    storage.files["C:\\t.ini"] = text;
    return std::make_unique<TSectionIniFile>("C:\\t.ini", readOnly, true, true, true, true, &storage);
  }
};

using SectionIni = Fixture;

}  // namespace

TEST_F(SectionIni, BlanksAroundTheEqualsSignAndEnclosingQuotesAreRemoved) {
  auto ini = Open("[S]\r\n  Name = \"bare value\"  \r\nq='x'\r\nhalf=\"open\r\nempty=\"\"\r\nmix='a\"\r\none=\"\r\n");
  EXPECT_EQ(ReadValues(*ini, "S"),
            (TStrings{"Name=bare value", "q=x", "half=\"open", "empty=", "mix='a\"", "one=\""}));
  EXPECT_EQ(ini->ReadString("s", "NAME", "d"), "bare value");
  EXPECT_EQ(ini->ReadString("S", "missing", "d"), "d");
  EXPECT_EQ(ini->ReadString("Nope", "Name", "d"), "d");
}

TEST_F(SectionIni, CommentsNonPairsAndLinesBeforeTheFirstSectionAreDropped) {
  auto ini = Open("orphan=1\r\n[S]\r\n   ; comment\r\n;x=1\r\nC:\\bare\\path\r\n=C:\\kept\r\nv=;not a comment\r\n\r\n\x1a");
  EXPECT_EQ(ReadValues(*ini, "S"), (TStrings{"=C:\\kept", "v=;not a comment"}));
  TStrings sections;
  ini->ReadSections(sections);
  EXPECT_EQ(sections, TStrings{"S"});
}

TEST_F(SectionIni, OnlyCarriageReturnsEndLines) {
  auto lfOnly = Open("[CopyFiles]\nC:\\a.txt=\nC:\\b.txt=\n");
  TStrings sections;
  lfOnly->ReadSections(sections);
  EXPECT_TRUE(sections.empty()) << "an LF-only file is one line, which is no header";
  EXPECT_TRUE(ReadValues(*lfOnly, "CopyFiles").empty());

  auto crOnly = Open("[S]\ra=1\rb=\n2\r");
  EXPECT_EQ(ReadValues(*crOnly, "S"), (TStrings{"a=1", "b=2"}));
}

TEST_F(SectionIni, DuplicateSectionsKeepTheFirstAndLoseTheOther) {
  auto ini = Open("[CopyFiles]\r\nC:\\a=\r\n[copyfiles]\r\nC:\\Windows\\x=\r\n[ CopyFiles ]\r\nC:\\b=\r\n");
  EXPECT_EQ(ReadValues(*ini, "COPYFILES"), TStrings{"C:\\a="});
  EXPECT_EQ(ReadValues(*ini, " CopyFiles "), TStrings{"C:\\b="}) << "blanks inside brackets count";
  EXPECT_FALSE(ini->Modified());

  storage.files["C:\\d.ini"] = "[S]\r\na=1\r\n[s]\r\nb=2\r\n";
  TSectionIniFile chooser("", true, true, true, true, true, &storage);
  chooser.OnDuplicateSection = [](const std::string&, const TStrings&, const TStrings&) { return false; };
  chooser.SetFileName("C:\\d.ini");
  EXPECT_EQ(ReadValues(chooser, "S"), TStrings{"b=2"});
}

TEST_F(SectionIni, RepeatedSectionsAreSettledInTheOrderOfTheirFirstOccurrence) {
  storage.files["C:\\d.ini"] =
      "[A]\r\na=1\r\n[B]\r\nb=1\r\n[b]\r\nb=2\r\n[a]\r\na=2\r\n[C]\r\nc=1\r\n[A]\r\na=3\r\n";
  std::vector<std::string> calls;
  TSectionIniFile ini("", true, true, true, true, true, &storage);
  ini.OnDuplicateSection = [&](const std::string& name, const TStrings& kept, const TStrings& other) {
    calls.push_back(name + ":" + kept.front() + "/" + other.front());
    return calls.size() != 1;  // the first repeat of A wins over A's first section
  };
  ini.SetFileName("C:\\d.ini");
  EXPECT_EQ(calls, (std::vector<std::string>{"A:a=1/a=2", "A:a=2/a=3", "B:b=1/b=2"}));
  TStrings sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (TStrings{"A", "B", "C"})) << "survivors keep the first header's place and spelling";
  EXPECT_EQ(ReadValues(ini, "a"), TStrings{"a=2"});
  EXPECT_EQ(ReadValues(ini, "B"), TStrings{"b=1"});
  EXPECT_EQ(ReadValues(ini, "C"), TStrings{"c=1"});
  EXPECT_FALSE(ini.Modified());
}

TEST_F(SectionIni, LongRunsOfBlanksAroundTheEqualsSignGoWhole) {
  const std::string blanks = std::string(5000, ' ') + "\t" + std::string(5000, ' ');
  auto ini = Open("[S]\r\nk" + blanks + "=" + blanks + "v  x\r\n=" + blanks + "kept\r\nq" + blanks + "=\r\n");
  EXPECT_EQ(ReadValues(*ini, "S"), (TStrings{"k=v  x", "=" + blanks + "kept", "q="}));
}

TEST_F(SectionIni, TheCallersListIsMergedByNamesFoldedInTheAnsiCodePage) {
  auto ini = Open("[S]\r\nИмя=1\r\nb=2\r\nИмя=3\r\n");
  TStrings list{"иМЯ=old", "B=old", "Имя2=x", "c", "c=again", "=empty"};
  ini->ReadSectionValues("s", list);
  EXPECT_EQ(list, (TStrings{"Имя=1", "b=2", "Имя=3", "Имя2=x", "c", "c=again", "=empty"}));
}

TEST_F(SectionIni, SectionValuesKeepDuplicatesAndMergeTheCallersUnknownLines) {
  auto ini = Open("[S]\r\nk=1\r\nk=2\r\nj=3\r\n");
  TStrings list{"k=old", "other=x"};
  ini->ReadSectionValues("S", list);
  EXPECT_EQ(list, (TStrings{"k=1", "k=2", "j=3", "other=x"}));
  TStrings untouched{"keep=1"};
  ini->ReadSectionValues("Missing", untouched);
  EXPECT_EQ(untouched, TStrings{"keep=1"});
  TStrings names{"first"};
  ini->ReadSection("S", names);
  EXPECT_EQ(names, (TStrings{"first", "k", "k", "j"}));
}

TEST_F(SectionIni, NumbersAndBooleans) {
  auto ini = Open("[N]\r\nd=42\r\nh=0x1F\r\nH=0XfF\r\nbad=4x\r\nz=0\r\n");
  EXPECT_EQ(ini->ReadInteger("N", "d", -1), 42);
  EXPECT_EQ(ini->ReadInteger("N", "h", -1), 31);
  EXPECT_EQ(ini->ReadInteger("N", "bad", -1), -1);
  EXPECT_EQ(ini->ReadInteger("N", "none", 7), 7);
  EXPECT_FALSE(ini->ReadBool("N", "z", true));
  EXPECT_TRUE(ini->ReadBool("N", "d", false));
  EXPECT_TRUE(ini->ReadBool("N", "none", true));
}

TEST_F(SectionIni, DeletingAKeyTakesOutItsLineAndKeepsTheRest) {
  auto ini = Open("; header comment\r\n[Ext]\r\nabc = C:\\x.exe ^.abc\r\ndef=1\r\n[Gone]\r\nonly=1\r\n[Empty]\r\n", false);
  ini->DeleteKey("Ext", "ABC");
  ini->DeleteKey("Gone", "only");
  ini->DeleteKey("Missing", "x");
  EXPECT_TRUE(ini->Modified());
  ini->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "; header comment\r\n[Ext]\r\ndef=1\r\n[Gone]\r\n[Empty]\r\n");
  EXPECT_FALSE(ini->Modified());
}

// ---- Taking entries out of a user's INI file -----------------------------

namespace {

// Deletes entries (section, name) from `text` opened for editing and returns
// what is written back; "(unwritten)" when nothing is.
struct EntryRemoval : Fixture {
  std::string Remove(const std::string& text, std::vector<std::pair<std::string, std::string>> entries) {
    auto ini = Open(text, false);
    for (const auto& [section, name] : entries) ini->DeleteKey(section, name);
    int before = storage.writes;
    ini.reset();
    if (storage.writes == before) return "(unwritten)";
    return storage.files["C:\\t.ini"];
  }
};

}  // namespace

TEST_F(EntryRemoval, EverythingTheReaderLeavesOutStaysInTheFile) {
  const std::string head = "orphan=1\r\nno pair before sections\r\n\r\n";
  const std::string text = head +
                           "[Ext]\r\n"
                           "   ; comment = with equals\r\n"
                           "a bare line\r\n"
                           "\tName \t=  \"quoted value\"  \r\n"
                           "\r\n"
                           "q = 'x'\r\n"
                           "last=1\r\n";
  EXPECT_EQ(Remove(text, {{"ext", "NAME"}}),
            head + "[Ext]\r\n   ; comment = with equals\r\na bare line\r\n\r\nq = 'x'\r\nlast=1\r\n");
  EXPECT_EQ(Remove(text, {{"Ext", "q"}}),
            head + "[Ext]\r\n   ; comment = with equals\r\na bare line\r\n\tName \t=  \"quoted value\"  \r\n\r\nlast=1\r\n");
  // Lines the reader drops are no entries, even when they hold "=".
  EXPECT_EQ(Remove(text, {{"Ext", "; comment"}, {"Ext", "orphan"}, {"Ext", "a bare line"}}), "(unwritten)");
}

TEST_F(EntryRemoval, OnlyTheEntryOfTheFirstSectionOfItsNameGoes) {
  const std::string text = "[S]\r\na=1\r\n[X]\r\nx=1\r\n[s]\r\na=2\r\nb=1\r\n";
  EXPECT_EQ(Remove(text, {{"s", "A"}}), "[S]\r\n[X]\r\nx=1\r\n[s]\r\na=2\r\nb=1\r\n");
  EXPECT_EQ(Remove(text, {{"S", "b"}}), "(unwritten)") << "b stands in the repeated section only";
  // Two lines of one name: one deletion takes the first, a second the other.
  EXPECT_EQ(Remove("[S]\r\nk=1\r\nj=0\r\nK=2\r\n", {{"S", "k"}}), "[S]\r\nj=0\r\nK=2\r\n");
  EXPECT_EQ(Remove("[S]\r\nk=1\r\nj=0\r\nK=2\r\n", {{"S", "k"}, {"S", "k"}}), "[S]\r\nj=0\r\n");

  // When the handler keeps the later section, its line is the one the reader finds.
  storage.files["C:\\d.ini"] = text;
  {
    TSectionIniFile ini("", false, true, true, true, true, &storage);
    ini.OnDuplicateSection = [](const std::string&, const TStrings&, const TStrings&) { return false; };
    ini.SetFileName("C:\\d.ini");
    ini.DeleteKey("S", "a");
  }
  EXPECT_EQ(storage.files["C:\\d.ini"], "[S]\r\na=1\r\n[X]\r\nx=1\r\n[s]\r\nb=1\r\n");
}

TEST_F(EntryRemoval, LineEndsStayAsTheyStand) {
  EXPECT_EQ(Remove("[S]\ra=1\rb=2\r", {{"S", "a"}}), "[S]\rb=2\r");
  const std::string mixed = "[S]\r\na=1\rb=2\r\n\nc=3\r\nd=4";
  EXPECT_EQ(Remove(mixed, {{"S", "c"}}), "[S]\r\na=1\rb=2\r\n\nd=4") << "the LF of the blank line stays";
  EXPECT_EQ(Remove(mixed, {{"S", "b"}}), "[S]\r\na=1\r\nc=3\r\nd=4");
  EXPECT_EQ(Remove(mixed, {{"S", "a"}, {"S", "d"}}), "[S]\r\nb=2\r\n\nc=3\r\n");
  // An LF alone ends no line: the reader's line, LF and all, goes whole.
  EXPECT_EQ(Remove("[S]\r\nx=1\ny=2\r\nz=3\r\n", {{"S", "x"}}), "[S]\r\nz=3\r\n");
  EXPECT_EQ(Remove("[S]\r\na=1\r\nb=2\n\n", {{"S", "b"}}), "[S]\r\na=1\r\n\n");
}

TEST_F(EntryRemoval, TheLastLineWithoutALineEnd) {
  EXPECT_EQ(Remove("[S]\r\na=1\r\nb=2", {{"S", "b"}}), "[S]\r\na=1\r\n");
  EXPECT_EQ(Remove("[S]\r\na=1\r\nb=2", {{"S", "a"}}), "[S]\r\nb=2");
  EXPECT_EQ(Remove("[S]\r\na=1\r\nb=2\x1a", {{"S", "b"}}), "[S]\r\na=1\r\n") << "the end-of-file mark reads as part of the line";
}

TEST_F(EntryRemoval, SeveralDeletionsAndSeveralWritesBuildOnTheFileAsRead) {
  const std::string text = "; top\r\n[A]\r\na1=1\r\na2=2\r\n; mid\r\n[B]\r\nb1=1\r\n";
  EXPECT_EQ(Remove(text, {{"B", "b1"}, {"A", "a1"}}), "; top\r\n[A]\r\na2=2\r\n; mid\r\n[B]\r\n");

  auto ini = Open(text, false);
  const int writes = storage.writes;
  ini->DeleteKey("A", "a2");
  ini->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "; top\r\n[A]\r\na1=1\r\n; mid\r\n[B]\r\nb1=1\r\n");
  ini->DeleteKey("A", "a1");
  ini->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "; top\r\n[A]\r\n; mid\r\n[B]\r\nb1=1\r\n");
  EXPECT_EQ(storage.writes, writes + 2);
}

TEST_F(EntryRemoval, ReadsBetweenDeletionsSeeEveryDeletionSoFar) {
  auto ini = Open("[A]\r\nk=1\r\nj=2\r\nK=3\r\n[B]\r\nx=1\r\n[C]\r\nc=1\r\n", false);
  ini->DeleteKey("A", "k");
  ini->DeleteKey("B", "x");
  EXPECT_EQ(ini->ReadString("a", "K", "none"), "3") << "the second line of the name is the first now";
  EXPECT_EQ(ReadValues(*ini, "B"), TStrings{});
  ini->DeleteKey("A", "K");
  ini->DeleteKey("A", "k");  // none left
  TStrings names;
  ini->ReadSection("A", names);
  EXPECT_EQ(names, TStrings{"j"});
  ini->DeleteKey("A", "j");
  ini->DeleteKey("C", "c");
  TStrings image;
  ini->GetStrings(image);
  EXPECT_TRUE(image.empty());
  ini->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "[A]\r\n[B]\r\n[C]\r\n");

  // Deleting thousands of entries of one section, last first.
  std::string text = "[Big]\r\n";
  for (int i = 0; i < 5000; ++i) text += "e" + std::to_string(i) + "=1\r\n";
  std::vector<std::pair<std::string, std::string>> all;
  for (int i = 4999; i >= 1; --i) all.emplace_back("big", "E" + std::to_string(i));
  EXPECT_EQ(Remove(text, all), "[Big]\r\ne0=1\r\n");
}

TEST_F(EntryRemoval, AMissingEntryLeavesTheFileUnwritten) {
  const std::string text = "; comment\r\n[S]\r\na = \"1\"\r\n";
  EXPECT_EQ(Remove(text, {{"S", "b"}, {"T", "a"}, {"S", "a = \"1\""}}), "(unwritten)");
  EXPECT_EQ(storage.files["C:\\t.ini"], text);
}

TEST_F(EntryRemoval, AnyOtherChangeWritesTheNormalisedImage) {
  auto ini = Open("; comment\r\n[S]\r\na = 1\r\nb=2\r\n", false);
  ini->DeleteKey("S", "a");
  ini->WriteString("S", "c", "3");
  ini->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "[S]\r\nb=2\r\nc=3\r\n\r\n");

  auto erased = Open("; comment\r\n[S]\r\na=1\r\n[T]\r\nt=1\r\n", false);
  erased->EraseSection("T");
  erased->DeleteKey("S", "missing");
  erased->UpdateFile();
  EXPECT_EQ(storage.files["C:\\t.ini"], "[S]\r\na=1\r\n\r\n");
}

TEST_F(SectionIni, NothingIsWrittenWithoutAChangeOrWhenReadOnly) {
  auto ini = Open("[S]\r\na=1\r\n", false);
  ini->DeleteKey("S", "missing");
  ini.reset();
  EXPECT_EQ(storage.writes, 0);

  auto ro = Open("[S]\r\na=1\r\n", true);
  ro->DeleteKey("S", "a");
  ro.reset();
  EXPECT_EQ(storage.writes, 0);
  EXPECT_EQ(storage.files["C:\\t.ini"], "[S]\r\na=1\r\n");

  // A missing file stays missing after an edit that changes nothing.
  TSectionIniFile absent("C:\\absent.ini", false, true, true, true, true, &storage);
  absent.DeleteKey("S", "a");
  absent.UpdateFile();
  EXPECT_EQ(storage.files.count("C:\\absent.ini"), 0u);
}

TEST_F(SectionIni, AWriteThatFailsIsDroppedAndTheFileKept) {
  auto ini = Open("[S]\r\na=1\r\n", false);
  storage.refuseWrites = true;
  ini->DeleteKey("S", "a");
  ini->UpdateFile();
  EXPECT_FALSE(ini->Modified());
  EXPECT_EQ(storage.files["C:\\t.ini"], "[S]\r\na=1\r\n");
}

TEST_F(SectionIni, WriteStringReplacesAddsAndErases) {
  auto ini = Open("[A]\r\nk=1\r\n[B]\r\nx=1\r\n", false);
  ini->WriteString("a", "K", "2");
  ini->WriteString("C", "n", "v");
  ini->WriteString("B", "", "anything");  // an empty key erases the section
  TStrings image;
  ini->GetStrings(image);
  EXPECT_EQ(image, (TStrings{"[A]", "K=2", "", "[C]", "n=v", ""}));
  ini->WriteString("", "", "");  // all empty: write back
  EXPECT_EQ(storage.files["C:\\t.ini"], "[A]\r\nK=2\r\n\r\n[C]\r\nn=v\r\n\r\n");
  ini->WriteInteger("A", "i", -5);
  ini->WriteBool("A", "b", true);
  EXPECT_EQ(ini->ReadInteger("A", "i", 0), -5);
  EXPECT_TRUE(ini->ReadBool("A", "b", false));
  TStrings more{"p=1", "novalue"};
  ini->WriteSectionValues("D", more);
  EXPECT_EQ(ReadValues(*ini, "D"), (TStrings{"p=1", "novalue="}));
}

TEST_F(SectionIni, AnUnreadableFileThrowsWithItsPath) {
  storage.unreadable.insert("C:\\locked.ini");
  try {
    TSectionIniFile ini("C:\\locked.ini", true, true, true, true, true, &storage);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Cannot open file C:\\locked.ini");
  }
}

TEST_F(SectionIni, ANameWithoutAFolderLiesInTheWindowsFolder) {
  auto saved = sectionini::g_windowsFolder;
  sectionini::g_windowsFolder = [] { return std::string("C:\\WINDOWS"); };
  TSectionIniFile ini("win.ini", true, true, true, true, true, &storage);
  sectionini::g_windowsFolder = saved;
#ifdef _WIN32
  EXPECT_EQ(ini.FileName(), "C:\\WINDOWS\\win.ini");
#else
  EXPECT_EQ(ini.FileName(), "C:\\WINDOWS/win.ini");
#endif
  TSectionIniFile full("D:\\x\\win.ini", true, true, true, true, true, &storage);
  EXPECT_EQ(full.FileName(), "D:\\x\\win.ini");
}

// ---- The file-level functions on real files ------------------------------

namespace {

struct IniFilesOnDisk : ::testing::Test {
  TempDir dir;
  ~IniFilesOnDisk() override { IniCloseAll(); }
};

}  // namespace

TEST_F(IniFilesOnDisk, TheImageIsReadOnceAndOutlivesTheFile) {
  std::string log = dir.File("install.log");
  fileio::ReplaceFileContents(log, "\r\n[Strings]\r\n6=Deleting||files\r\n\r\n[RunApp]\r\na=C:\\x.exe\r\n");
  EXPECT_EQ(IniReadString(log, "Strings", "6", ""), "Deleting||files");
  std::remove(log.c_str());
  TStrings lines;
  IniReadSectionValues(log, "runapp", lines);
  EXPECT_EQ(lines, TStrings{"a=C:\\x.exe"});
  EXPECT_EQ(IniOpenFileCount(), 1u);
  IniCloseAll();
  EXPECT_EQ(IniOpenFileCount(), 0u);
  EXPECT_EQ(IniReadString(log, "Strings", "6", "gone"), "gone");
  EXPECT_FALSE(fileio::FileExists(log)) << "reading a missing file creates nothing";
}

TEST_F(IniFilesOnDisk, DeletionsReachTheDiskWhenTheFileIsClosed) {
  std::string ini = dir.File("app.ini");
  fileio::ReplaceFileContents(ini, "; comment\r\n[Ext]\r\nabc=1\r\ndef=2\r\n");
  EXPECT_EQ(IniReadString(ini, "Ext", "abc", ""), "1");  // opened read-only first
  IniDeleteKey(ini, "Ext", "abc");                        // reopened for editing
  EXPECT_EQ(*fileio::ReadWholeFile(ini), "; comment\r\n[Ext]\r\nabc=1\r\ndef=2\r\n");
  EXPECT_EQ(IniReadString(ini, "Ext", "abc", "none"), "none") << "the editing image serves reads";
  IniCloseFile(ini);
  EXPECT_EQ(*fileio::ReadWholeFile(ini), "; comment\r\n[Ext]\r\ndef=2\r\n");
  EXPECT_FALSE(fileio::FileExists(fileio::TemporaryNameFor(ini)));

  std::string missing = dir.File("missing.ini");
  IniDeleteKey(missing, "S", "k");
  IniCloseAll();
  EXPECT_FALSE(fileio::FileExists(missing));
}

TEST_F(IniFilesOnDisk, AFileNameAloneIsTheFileInTheWindowsFolder) {
  folders::g_windowsFolderOverride = dir.Path();
  fileio::ReplaceFileContents(dir.File("sowtest.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniReadString("sowtest.ini", "S", "k", ""), "v");
  IniDeleteKey("sowtest.ini", "S", "k");
  IniCloseAll();
  folders::g_windowsFolderOverride.clear();
  EXPECT_EQ(*fileio::ReadWholeFile(dir.File("sowtest.ini")), "[S]\r\n");
}

TEST_F(IniFilesOnDisk, PendingDeletionsReachTheDiskAtProgramEndWithoutClosing) {
  // One name for both processes: on Windows the dying child runs the test
  // body again, with a temporary folder of its own.
  std::string ini = (std::filesystem::temp_directory_path() / "sowell-late-write.ini").string();
  fileio::ReplaceFileContents(ini, "[S]\r\na=1\r\nb=2\r\n");
  EXPECT_EXIT(
      {
        IniDeleteKey(ini, "S", "a");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(*fileio::ReadWholeFile(ini), "[S]\r\nb=2\r\n");
  std::remove(ini.c_str());
}
