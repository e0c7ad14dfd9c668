// The example distributions' hand-written files, read with the setup
// program's own readers: what the registry files write, and how setup.ini
// reads in either language.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"
#include "setup/regfile/regfile_parser.h"
#include "setup/run/run_plan.h"
#include "setup/run/setup_description.h"
#include "setup/run/shortcuts_plan.h"

namespace {

const std::string kExamples = SOWELL_EXAMPLES_DIR;
constexpr char kInstallDir[] = "C:\\Program Files\\Notebook\\";
constexpr char kSource[] = "D:\\";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every line break a pair CR LF, and the file ends with one.
bool AllCrLf(const std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
  }
  return true;
}

struct Written {
  std::string root;
  std::string key;
  uint32_t type;
  std::string bytes;  // as the registry stores them
};

// "ROOT\key\'name'" -> what the import writes, in file order; the last write wins.
struct Import {
  std::vector<std::string> keys;   // CreateKey operations, in order
  std::vector<std::string> order;  // value paths in the order first written
  std::map<std::string, Written> values;
  int messages = 0;
};

Import ImportFile(const std::string& name) {
  const std::string text = ReadBytes(kExamples + "/" + name);
  EXPECT_FALSE(text.empty()) << name;
  Import out;
  regfile::TRegFileParser parser(text);
  while (auto op = parser.Next()) {
    switch (op->kind) {
      case regfile::Operation::Kind::Message: ++out.messages; break;
      case regfile::Operation::Kind::CreateKey: out.keys.push_back(op->key.rootName + "\\" + op->key.subKey); break;
      case regfile::Operation::Kind::SetValue: {
        const std::string path = op->key.rootName + "\\" + op->key.subKey + "\\'" + op->valueName + "'";
        const regfile::ValueBytes v = regfile::PrepareValue(*op, kInstallDir, kSource);
        if (!out.values.count(path)) out.order.push_back(path);
        out.values[path] = {op->key.rootName, op->key.subKey, v.type, v.bytes};
        break;
      }
    }
  }
  return out;
}

std::string Sz(const std::string& text) { return text + '\0'; }
std::string Dword(uint32_t v) {
  std::string b;
  for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

void ExpectValue(const Import& im, const std::string& path, uint32_t type, const std::string& bytes) {
  auto it = im.values.find(path);
  ASSERT_NE(it, im.values.end()) << path;
  EXPECT_EQ(it->second.type, type) << path;
  EXPECT_EQ(it->second.bytes, bytes) << path;
}

TEST(ExampleRegistryFiles, ProductFileWritesSettingsWithTheInstallFolder) {
  const Import im = ImportFile("demo/notebook.reg");
  EXPECT_EQ(im.messages, 0) << "a line the reader complains about";
  EXPECT_EQ(im.keys, (std::vector<std::string>{"HKCU\\Software\\Notebook Demo",
                                                "HKCU\\Software\\Notebook Demo\\Settings",
                                                "HKCU\\Software\\Notebook Demo\\Recent",
                                                "HKLM\\Software\\Notebook Demo"}));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\''", regfile::kRegSz, Sz("Notebook"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\'InstallPath'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\'Language'", regfile::kRegSz, Sz("en"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\'Version'", regfile::kRegDword, Dword(0x10002));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\'WordWrap'", regfile::kRegDword, Dword(1));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Settings\\'FontName'", regfile::kRegSz, Sz("Courier New"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Settings\\'FontSize'", regfile::kRegDword, Dword(10));
  // The editor's doubled backslashes become single ones.
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Settings\\'DocumentsFolder'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\samples"));
  // Left, top, width and height, continued over two lines.
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Settings\\'WindowRect'", regfile::kRegBinary,
              Dword(100) + Dword(80) + Dword(640) + Dword(480));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Recent\\'File0'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\samples\\welcome.txt"));
  ExpectValue(im, "HKLM\\Software\\Notebook Demo\\'HelpFile'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\help\\index.txt"));
  // A refused machine-wide write ends the file, so it must come after every per-user value.
  ASSERT_FALSE(im.order.empty());
  size_t firstMachine = im.order.size();
  for (size_t i = 0; i < im.order.size(); ++i)
    if (im.order[i].rfind("HKLM\\", 0) == 0 && firstMachine == im.order.size()) firstMachine = i;
  for (size_t i = firstMachine; i < im.order.size(); ++i) EXPECT_EQ(im.order[i].rfind("HKLM\\", 0), 0u) << im.order[i];
  EXPECT_LT(firstMachine, im.order.size());
}

TEST(ExampleRegistryFiles, RussianFileSwitchesTheLanguageInCodePage1251) {
  const Import im = ImportFile("demo/notebook-rus.reg");
  EXPECT_EQ(im.messages, 0);
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\''", regfile::kRegSz, Sz("Записная книжка"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\'Language'", regfile::kRegSz, Sz("ru"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Recent\\'File0'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\samples\\Добро пожаловать.txt"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Recent\\'File1'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\samples\\Список покупок.txt"));
  EXPECT_EQ(im.values.size(), 4u);
}

TEST(ExampleRegistryFiles, TemplatesFileOfTheSecondDisk) {
  const Import im = ImportFile("multidisk/templates.reg");
  EXPECT_EQ(im.messages, 0);
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Templates\\''", regfile::kRegSz, Sz("Коллекция шаблонов"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Templates\\'Folder'", regfile::kRegSz,
              Sz("C:\\Program Files\\Notebook\\templates"));
  ExpectValue(im, "HKCU\\Software\\Notebook Demo\\Templates\\'Count'", regfile::kRegDword, Dword(6));
}

TEST(ExampleFiles, AreCrLfText) {
  for (const char* name : {"demo/setup.ini", "demo/notebook.reg", "demo/notebook-rus.reg", "multidisk/setup.ini",
                           "multidisk/templates.reg", "multidisk/autorun.inf"}) {
    const std::string text = ReadBytes(kExamples + "/" + name);
    EXPECT_TRUE(AllCrLf(text)) << name;
    // Code page 1251 text never holds the lead bytes of two-byte UTF-8 Cyrillic letters followed by a continuation.
    EXPECT_EQ(text.find("\xD0\x97"), std::string::npos) << name << " looks like UTF-8";
  }
  for (const char* name : {"demo/notebook.reg", "demo/notebook-rus.reg", "multidisk/templates.reg"})
    EXPECT_EQ(ReadBytes(kExamples + "/" + name).rfind("REGEDIT4\r\n", 0), 0u) << name;
}

// What the run reads for one package in one language.
struct PackageView {
  std::string section;
  int32_t filesCount;
  std::vector<std::string> archives;
  std::vector<std::string> regFiles;
  std::vector<std::string> links;
  std::string volume;
};

PackageView View(const TIniFile32& ini, int i, bool russian) {
  PackageView v;
  v.section = ChoosePackageSection(ini, i, russian);
  v.filesCount = ini.ReadInteger(v.section, "FilesCount", 0);
  v.archives = ReadNumberedKeys(ini, v.section, "Pak");
  v.regFiles = ReadNumberedKeys(ini, v.section, "RegFile");
  v.links = ReadNumberedKeys(ini, v.section, "Ico_Link");
  v.volume = ini.ReadString(v.section, "Volume", "");
  return v;
}

TEST(ExampleSetupIni, SingleFolderDistributionReadsInBothLanguages) {
  const TIniFile32 ini(kExamples + "/demo/setup.ini");
  TInst inst;
  LoadInstallSettings(ini, inst);
  EXPECT_EQ(inst.ProgramName, "Записная книжка");
  EXPECT_EQ(inst.InstallPath + inst.InstallFolder, "C:\\Program Files\\Notebook");
  EXPECT_EQ(inst.PageSequence, "0124567");
  EXPECT_TRUE(inst.SupportUninstall);
  EXPECT_FALSE(inst.MultiVolume);
  EXPECT_TRUE(inst.CreateDesktopIcon);
  EXPECT_EQ(inst.InstallPicture, "setup.bmp");

  const std::vector<TPackageItem> packages = LoadPackageList(ini);
  ASSERT_EQ(packages.size(), 3u);
  EXPECT_TRUE(packages[0].Required);
  EXPECT_FALSE(packages[1].Required);
  EXPECT_FALSE(packages[2].Required);

  const PackageView core = View(ini, 0, false), coreRu = View(ini, 0, true);
  EXPECT_EQ(core.section, "Package0");
  EXPECT_EQ(coreRu.section, "Package0.RUS");
  EXPECT_EQ(core.archives, std::vector<std::string>{"core.rar"});
  EXPECT_EQ(core.regFiles, std::vector<std::string>{"notebook.reg"});
  EXPECT_EQ(coreRu.regFiles, (std::vector<std::string>{"notebook.reg", "notebook-rus.reg"}));
  EXPECT_EQ(core.links.size(), 2u);
  EXPECT_EQ(coreRu.links.size(), 2u);
  EXPECT_EQ(ini.ReadString("Package0.RUS", "Ico_Name0", ""), "Записная книжка.lnk");

  EXPECT_EQ(View(ini, 1, false).archives, std::vector<std::string>{"help.rar"});
  EXPECT_EQ(View(ini, 1, true).archives, std::vector<std::string>{"help-rus.rar"});
  // Without a Russian section the samples read the same in both languages.
  EXPECT_EQ(View(ini, 2, true).section, "Package2");

  EXPECT_EQ(ini.ReadString("RunApp", "App0", ""), "\"%InstallPath%\\notebook.exe\" /register");
  EXPECT_TRUE(ini.ReadBool("RunApp", "Wait0", false));
  EXPECT_EQ(ReadNumberedKeys(ini, "DelFiles", "File"), std::vector<std::string>{"%InstallPath%\\setup.tmp"});
  for (const char* sw : {"Wellcome", "Path", "Custom", "Languge", "IconType", "Start"})
    EXPECT_NE(ini.ReadString("Dialogs", sw, ""), "") << sw << " is left to its default";
}

TEST(ExampleSetupIni, TwoDiskDistributionNamesADiskForEveryPackage) {
  const TIniFile32 ini(kExamples + "/multidisk/setup.ini");
  TInst inst;
  LoadInstallSettings(ini, inst);
  EXPECT_TRUE(inst.MultiVolume);
  EXPECT_EQ(inst.ProgramName, "Записная книжка Плюс");
  const std::vector<TPackageItem> packages = LoadPackageList(ini);
  ASSERT_EQ(packages.size(), 4u);
  // Disk numbers never go back, so a full installation asks for each disk once.
  int lastDisk = 1;
  for (bool russian : {false, true}) {
    lastDisk = 1;
    for (int i = 0; i < static_cast<int>(packages.size()); ++i) {
      const PackageView v = View(ini, i, russian);
      ASSERT_EQ(v.volume.rfind("диск ", 0), 0u) << v.section;
      const int disk = std::stoi(v.volume.substr(5));
      EXPECT_GE(disk, lastDisk) << v.section;
      lastDisk = disk;
      EXPECT_FALSE(v.archives.empty()) << v.section;
      EXPECT_GT(v.filesCount, 0) << v.section;
    }
  }
  EXPECT_EQ(lastDisk, 2);
  EXPECT_EQ(View(ini, 3, false).archives, (std::vector<std::string>{"letters.rar", "forms.rar"}));
}

// What the run makes of the single-folder example's shortcuts, programs and
// files, with the install folder it suggests.
TEST(ExampleSetupIni, ShortcutsProgramsAndFilesExpandToTheInstallFolder) {
  const TIniFile32 ini(kExamples + "/demo/setup.ini");
  EXPECT_EQ(CountTotalFiles(ini, {true, true, true}, false), 7 + 5 + 7);
  EXPECT_EQ(CountTotalFiles(ini, {true, false, true}, true), 7 + 7);

  const std::vector<TShortcutItem> core = ReadPackageShortcuts(ini, "Package0", kInstallDir, kSource);
  ASSERT_EQ(core.size(), 2u);
  EXPECT_EQ(core[0], (TShortcutItem{"C:\\Program Files\\Notebook\\notebook.exe", "Notebook.lnk",
                                     "C:\\Program Files\\Notebook", "", "Notebook, a small text editor",
                                     "C:\\Program Files\\Notebook\\notebook.exe"}));
  // The argument is not expanded: the document is named from the working folder.
  EXPECT_EQ(core[1].Arguments, "readme.txt");
  EXPECT_EQ(core[1].WorkDir, "C:\\Program Files\\Notebook");
  const std::vector<TShortcutItem> helpRu = ReadPackageShortcuts(ini, "Package1.RUS", kInstallDir, kSource);
  ASSERT_EQ(helpRu.size(), 1u);
  EXPECT_EQ(helpRu[0].Name, "Справка.lnk");
  EXPECT_EQ(helpRu[0].WorkDir, "C:\\Program Files\\Notebook\\help");
  EXPECT_TRUE(ReadPackageShortcuts(ini, "Package2", kInstallDir, kSource).empty());

  const std::vector<TRunAppEntry> apps = ReadRunApps(ini, kInstallDir, kSource);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].App, "\"C:\\Program Files\\Notebook\\notebook.exe\" /register");
  EXPECT_EQ(apps[0].Dir, "C:\\Program Files\\Notebook");
  EXPECT_TRUE(apps[0].Wait);
  EXPECT_EQ(ReadDelFiles(ini, kInstallDir, kSource),
            std::vector<std::string>{"C:\\Program Files\\Notebook\\setup.tmp"});
}

TEST(ExampleSetupIni, DiskPromptsOfTheTwoDiskSetReadAsSentences) {
  const TIniFile32 ini(kExamples + "/multidisk/setup.ini");
  EXPECT_EQ(InsertDiskPrompt(ini.ReadString("Package2", "Volume", ""), true), "Вставьте диск 2 и нажмите кнопку ОК");
  EXPECT_EQ(InsertDiskPrompt(ini.ReadString("Package0.RUS", "Volume", ""), true),
            "Вставьте диск 1 и нажмите кнопку ОК");
  // The set starts from the root of disk 1, where autorun.inf marks it.
  EXPECT_EQ(FirstDiskMarker("D:\\"), "D:\\autorun.inf");
  EXPECT_EQ(CountTotalFiles(ini, {true, true, true, true}, true), 7 + 5 + 7 + 10);
}

}  // namespace
