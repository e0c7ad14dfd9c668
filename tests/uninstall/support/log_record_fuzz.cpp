// Any bytes as records of install.log: splitting never fails, the parts lie
// inside the record, and what the setup program composes reads back as written.
#include <cstdint>
#include <string>

#include "common/ansi.h"
#include "common/install_log.h"
#include "common/numbers.h"
#include "uninstall/support/deferred_text.h"
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

  // A path record reads back as written exactly when the composer says so.
  if (!text.empty() && text.find_first_of("\r\n") == std::string::npos) {
    std::optional<std::string> read = AsRead(text, "");
    bool back = read && !sectionini::IsSectionHeader(*read) && EntryPath(*read) == text;
    Check(PathRecordReadsBack(text) == back);
  }

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
  numbers::StrToIntDef(text, 0);

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

  // The self-deleting batch file names exactly the paths it is given.
  std::string program = "C:\\" + keyPath.substr(5) + "\\R.exe";
  std::string folder = "C:\\" + keyPath.substr(5);
  if (auto batch = deferred::SelfDeletionBatch(program, folder, "C:\\B.bat", true)) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < batch->size()) {
      size_t end = batch->find("\r\n", pos);
      Check(end != std::string::npos);
      lines.push_back(batch->substr(pos, end - pos));
      pos = end + 2;
    }
    Check(lines.size() == 5);
    auto named = [](const std::string& line) {
      size_t open = line.find('"'), close = line.rfind('"');
      Check(open != std::string::npos && close > open);
      std::string inside = line.substr(open + 1, close - open - 1);
      std::string out;
      for (size_t i = 0; i < inside.size(); ++i) {
        Check(inside[i] != '"');
        if (inside[i] == '%') {
          Check(i + 1 < inside.size() && inside[i + 1] == '%');  // never a variable
          ++i;
        }
        out += inside[i];
      }
      return out;
    };
    Check(named(lines[1]) == program && named(lines[2]) == program && named(lines[3]) == folder);
  }

  // A wininit.ini edit keeps the entry whole, under a "[Rename]" header.
  std::string entryPath = "C:\\" + name.substr(0, name.find_first_of(std::string("\r\n", 2)));
  std::string edited = deferred::AddRenameEntry(text, deferred::DeleteEntry(entryPath));
  size_t at = edited.find("NUL=" + entryPath + "\r\n");
  Check(at != std::string::npos);
  if (text.find("NUL=" + entryPath) != std::string::npos) return 0;  // the old file had it already
  std::string before = edited.substr(0, at);
  size_t header = std::string::npos;
  for (size_t i = before.find('['); i != std::string::npos; i = before.find('[', i + 1)) {
    if ((i == 0 || before[i - 1] == '\n') && ansi::SameText(before.substr(i, 10), "[Rename]\r\n")) header = i;
  }
  Check(header != std::string::npos);
  return 0;
}
