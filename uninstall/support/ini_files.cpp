#include "uninstall/support/ini_files.h"

#include <map>
#include <memory>

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/log_journal.h"

namespace {

using Table = std::map<std::string, std::unique_ptr<TSectionIniFile>>;

Table& OpenFiles() {
  // Never destroyed before the last caller: program end empties it through
  // IniCloseAll, and a forgotten table is written back by its destructors.
  static Table table;
  return table;
}

// The key is the path in upper case, after the Windows-folder rule, so that
// "win.ini" and its full path share one image.
std::string KeyOf(const std::string& file) {
  if (!file.empty() && file.find_first_of("\\/:") == std::string::npos) {
#ifdef _WIN32
    return ansi::UpperCase(sectionini::g_windowsFolder() + "\\" + file);
#else
    return ansi::UpperCase(sectionini::g_windowsFolder() + "/" + file);
#endif
  }
  return ansi::UpperCase(file);
}

TSectionIniFile& Open(const std::string& file, bool readOnly) {
  Table& table = OpenFiles();
  std::string key = KeyOf(file);
  auto it = table.find(key);
  if (it != table.end() && it->second->ReadOnly() && !readOnly) {
    table.erase(it);
    it = table.end();
  }
  if (it == table.end()) {
    // The file keeps the spelling it was given: on file systems that respect
    // case the upper-cased path would name another file.
    auto ini = std::make_unique<TSectionIniFile>(file, readOnly, true, true, true, true);
    it = table.emplace(key, std::move(ini)).first;
  }
  return *it->second;
}

}  // namespace

std::string IniReadString(const std::string& file, std::string_view section, std::string_view ident,
                          std::string_view defaultValue) {
  return Open(file, true).ReadString(section, ident, defaultValue);
}

void IniReadSectionValues(const std::string& file, std::string_view section, TStrings& strings) {
  Open(file, true).ReadSectionValues(section, strings);
}

void IniApplyJournal(const std::string& file) {
  std::optional<std::string> bytes = fileio::ReadWholeFile(journal::PathFor(file));
  if (!bytes) return;
  TSectionIniFile& ini = Open(file, true);
  const sectionini::LineOptions options{true, true, true, true};
  for (const journal::Entry& e : journal::Decode(*bytes)) {
    if (e.op == journal::Entry::Op::Remove) {
      ini.DeleteKey(e.section, e.key);
      continue;
    }
    // The line as the reader would have read it from the saved log.
    std::optional<std::string> line = sectionini::NormaliseLine(e.key + "=" + e.value, options);
    if (!line) continue;
    size_t eq = line->find('=');
    if (eq == std::string::npos || eq == 0) continue;  // no name: nothing the setup program writes
    ini.WriteString(e.section, line->substr(0, eq), line->substr(eq + 1));
  }
}

void IniDeleteKey(const std::string& file, std::string_view section, std::string_view ident) {
  Open(file, false).DeleteKey(section, ident);
}

void IniCloseFile(const std::string& file) { OpenFiles().erase(KeyOf(file)); }

void IniCloseAll() { OpenFiles().clear(); }

size_t IniOpenFileCount() { return OpenFiles().size(); }
