// Any bytes as install.log or an INI file: loading, reading and editing never
// fail, and the image written back reads in with the same sections.
#include <cstdint>
#include <map>
#include <string>

#include "uninstall/support/section_ini.h"

namespace {

class MemoryStorage : public TIniStorage {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
    return true;
  }
  std::map<std::string, std::string> files;
};

std::vector<std::pair<std::string, size_t>> Shape(TSectionIniFile& ini) {
  TStrings names;
  ini.ReadSections(names);
  std::vector<std::pair<std::string, size_t>> shape;
  for (const std::string& name : names) {
    TStrings lines;
    ini.ReadSectionValues(name, lines);
    if (!lines.empty()) shape.emplace_back(name, lines.size());
  }
  return shape;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryStorage storage;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  storage.files["C:\\f.ini"] = bytes;
  TSectionIniFile ini("C:\\f.ini", false, true, true, true, true, &storage);

  for (const char* section : {"CopyFiles", "AddReg", "Strings", "Display"}) {
    TStrings lines{"x=1"};
    ini.ReadSectionValues(section, lines);
    ini.ReadString(section, "1", "d");
    ini.ReadInteger(section, "Charset", 1);
    TStrings names;
    ini.ReadSection(section, names);
  }
  auto before = Shape(ini);

  // Take the first key of the first section out and write the image back.
  TStrings sections;
  ini.ReadSections(sections);
  if (!sections.empty()) {
    TStrings names;
    ini.ReadSection(sections.front(), names);
    if (!names.empty()) ini.DeleteKey(sections.front(), names.front());
  }
  ini.WriteString("Extra", "k", "v");
  ini.UpdateFile();

  TSectionIniFile again("C:\\f.ini", true, true, true, true, true, &storage);
  auto after = Shape(again);
  if (again.ReadString("Extra", "k", "") != "v") __builtin_trap();
  // Every section that had lines is still there, in the same order, except
  // one whose only line was deleted.
  size_t j = 0;
  for (const auto& [name, count] : before) {
    if (count == 1 && !sections.empty() && name == sections.front()) continue;
    while (j < after.size() && after[j].first != name) ++j;
    if (j == after.size()) __builtin_trap();
  }
  return 0;
}
