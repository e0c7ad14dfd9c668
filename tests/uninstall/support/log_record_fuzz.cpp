// Any bytes as records of install.log: splitting never fails, the parts lie
// inside the record, and what the setup program composes reads back as written.
#include <cstdint>
#include <string>

#include "common/install_log.h"
#include "uninstall/support/section_ini.h"

using namespace installlog;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// The line as the uninstaller's reader returns it.
std::optional<std::string> AsRead(const std::string& key, const std::string& value) {
  return sectionini::NormaliseLine(key + "=" + value, {true, true, true, true});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  std::string path = EntryPath(text);
  Check(text.compare(0, path.size(), path) == 0);
  Check(EntryName(text).size() <= text.size());
  RegValuePath v = SplitRegValuePath(EntryName(text));
  Check(EntryName(text).compare(0, v.keyPath.size(), v.keyPath) == 0);
  Check(v.valueName.size() <= text.size());
  RegistryPath r = SplitRegistryPath(v.keyPath);
  Check(r.subKey.size() <= v.keyPath.size());
  for (int n = 0; n <= 7; ++n) Check(GetField(text, n).size() <= text.size());
  ProgramRecord p = ParseProgramRecord(EntryValue(text));
  Check(p.showCommand == kShowHide || p.showCommand == kShowNormal || p.showCommand == kShowMaximized ||
        p.showCommand == kShowMinNoActive);
  FontSpec f = ParseFontSpec(text);
  Check(f.face.size() <= 31);
  ParseIniEntryRecord(text);
  Check(ExpandLineBreaks(text).size() <= text.size());
  StrToIntDef(text, 0);

  // Compose from pieces of the input and read back.
  size_t cut1 = size / 3, cut2 = 2 * size / 3;
  std::string keyPath = "HKCU\\" + text.substr(0, cut1);
  std::string name = text.substr(cut1, cut2 - cut1);
  std::string value = text.substr(cut2);
  if (auto rec = AddRegRecord(keyPath, name, value)) {
    std::optional<std::string> line = AsRead(rec->key, rec->value);
    Check(line.has_value());
    RegValuePath back = SplitRegValuePath(EntryName(*line));
    Check(back.keyPath == keyPath);
    Check(back.valueName == name);
  }
  Record s = StringRecord(4, value);
  std::optional<std::string> line = AsRead(s.key, s.value);
  Check(line.has_value() && EntryName(*line) == "4");
  std::string expected = value;
  for (char& c : expected) {
    if (c == '\0') c = ' ';
  }
  // Line breaks come back as "||", which the uninstaller turns into CR.
  std::string got = EntryValue(*line);
  Check(got.find_first_of("\r\n") == std::string::npos);
  if (expected.find_first_of("\r\n") == std::string::npos) Check(got == expected);
  return 0;
}
