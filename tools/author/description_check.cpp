#include "tools/author/description_check.h"

#include <map>
#include <set>

#include "common/ansi.h"
#include "common/numbers.h"
#include "setup/run/setup_description.h"
#include "tools/author/cp1251.h"
#include "tools/author/spelling.h"
#include "tools/author/text_check.h"

namespace author {
namespace {

enum class ValueKind { Text, Bool, Integer, Macros, NoMacros };

struct KnownKey {
  std::string_view name;
  bool numbered;
  ValueKind kind;
  int byDefault;  // Bool and Integer
};

constexpr KnownKey kInstall[] = {
    {"ProgramName", false, ValueKind::Text, 0},       {"InstallPath", false, ValueKind::NoMacros, 0},
    {"InstallFolder", false, ValueKind::NoMacros, 0}, {"InstallPicture", false, ValueKind::NoMacros, 0},
    {"SupportUninstall", false, ValueKind::Bool, 1},  {"MultiVolume", false, ValueKind::Bool, 0},
    {"CreateDesktopIcon", false, ValueKind::Bool, 0},
};
constexpr KnownKey kDialogs[] = {
    {"Wellcome", false, ValueKind::Bool, 1}, {"Path", false, ValueKind::Bool, 1},
    {"Custom", false, ValueKind::Bool, 1},   {"Languge", false, ValueKind::Bool, 1},
    {"IconType", false, ValueKind::Bool, 1}, {"Start", false, ValueKind::Bool, 1},
};
constexpr KnownKey kPackages[] = {{"Package", true, ValueKind::Text, 0}};
constexpr KnownKey kPackage[] = {
    {"Main", false, ValueKind::Bool, 0},      {"FilesCount", false, ValueKind::Integer, 0},
    {"Volume", false, ValueKind::Text, 0},    {"Pak", true, ValueKind::NoMacros, 0},
    {"Ico_Link", true, ValueKind::Macros, 0}, {"Ico_Name", true, ValueKind::Text, 0},
    {"Ico_WDir", true, ValueKind::Macros, 0}, {"Ico_Argu", true, ValueKind::NoMacros, 0},
    {"Ico_Desc", true, ValueKind::Text, 0},   {"Ico_File", true, ValueKind::Macros, 0},
    {"RegFile", true, ValueKind::NoMacros, 0},
};
constexpr KnownKey kRunApp[] = {
    {"App", true, ValueKind::Macros, 0}, {"Dir", true, ValueKind::Macros, 0}, {"Wait", true, ValueKind::Bool, 1}};
constexpr KnownKey kDelFiles[] = {{"File", true, ValueKind::Macros, 0}};

struct KeyTable {
  const KnownKey* begin;
  const KnownKey* end;
};

KeyTable KeysOf(SectionKind kind) {
  switch (kind) {
    case SectionKind::Install: return {std::begin(kInstall), std::end(kInstall)};
    case SectionKind::Dialogs: return {std::begin(kDialogs), std::end(kDialogs)};
    case SectionKind::Packages: return {std::begin(kPackages), std::end(kPackages)};
    case SectionKind::Package:
    case SectionKind::PackageRus: return {std::begin(kPackage), std::end(kPackage)};
    case SectionKind::RunApp: return {std::begin(kRunApp), std::end(kRunApp)};
    case SectionKind::DelFiles: return {std::begin(kDelFiles), std::end(kDelFiles)};
    case SectionKind::Unknown: break;
  }
  return {nullptr, nullptr};
}

// Master lists end at their first missing or empty key; each dependent list
// is read only as far as its master's.
struct Family {
  std::string_view master;
  std::vector<std::string_view> dependents;
};

std::vector<Family> FamiliesOf(SectionKind kind) {
  switch (kind) {
    case SectionKind::Packages: return {{"Package", {}}};
    case SectionKind::Package:
    case SectionKind::PackageRus:
      return {{"Pak", {}},
              {"RegFile", {}},
              {"Ico_Link", {"Ico_Name", "Ico_WDir", "Ico_Argu", "Ico_Desc", "Ico_File"}}};
    case SectionKind::RunApp: return {{"App", {"Dir", "Wait"}}};
    case SectionKind::DelFiles: return {{"File", {}}};
    default: return {};
  }
}

bool CanonicalNumber(std::string_view digits, int& n) {
  if (digits.empty() || digits.size() > 9) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  if (digits.size() > 1 && digits[0] == '0') return false;
  n = std::stoi(std::string(digits));
  return true;
}

// Splits "Pak12" into "Pak" and "12".
void SplitNumber(std::string_view key, std::string_view& base, std::string_view& digits) {
  size_t end = key.size();
  while (end > 0 && key[end - 1] >= '0' && key[end - 1] <= '9') --end;
  base = key.substr(0, end);
  digits = key.substr(end);
}

const KnownKey* MatchKey(KeyTable keys, std::string_view key, int& index) {
  std::string_view base, digits;
  SplitNumber(key, base, digits);
  for (const KnownKey* s = keys.begin; s != keys.end; ++s) {
    if (!s->numbered && key == s->name) {
      index = -1;
      return s;
    }
    if (s->numbered && base == s->name && CanonicalNumber(digits, index)) return s;
  }
  return nullptr;
}

std::string U(std::string_view cp1251Text) { return cp1251::Utf8FromCp1251(cp1251Text); }
std::string Quote(std::string_view cp1251Text) { return "\"" + Excerpt(U(cp1251Text)) + "\""; }

class DescriptionCheck {
 public:
  DescriptionCheck(const TIniFile32& ini, const IniIndex& index, const std::string& file, Findings& findings)
      : ini_(ini), index_(index), file_(file), f_(findings) {}

  void Run();

 private:
  void Segment(const IniSegment& seg);
  void UnknownSection(const IniSegment& seg);
  void Entries(const IniSegment& seg, SectionKind kind);
  void UnknownKey(const IniSegment& seg, SectionKind kind, const IniEntry& e);
  void Value(const IniEntry& e, const KnownKey& known);
  void Lists(const IniSegment& seg, SectionKind kind);
  void Shortcuts(const IniSegment& seg, int count);
  void Russian(const IniSegment& seg, int package);
  void Install();

  const TIniFile32& ini_;
  const IniIndex& index_;
  const std::string& file_;
  Findings& f_;
  int packageCount_ = 0;
};

void DescriptionCheck::Run() {
  packageCount_ = static_cast<int>(ReadNumberedKeys(ini_, "Packages", "Package").size());
  std::map<std::string, int> seen;  // upper-case name -> header line of the one the lookups find
  for (const IniSegment& seg : index_.Segments()) {
    if (seg.headerLine == 0) {
      for (const IniEntry& e : seg.entries)
        f_.Warning(file_, e.line, "\"" + U(e.key) + "\" stands before any section: the setup program never reads it");
      continue;
    }
    if (!seg.findable) {
      f_.Error(file_, seg.headerLine,
               "the header " + Quote(seg.header) + " has blanks around its brackets: the setup program never finds "
               "this section, and its " + std::to_string(seg.entries.size()) + " keys are never read");
      continue;
    }
    const std::string upper = ansi::UpperCase(seg.name);
    auto it = seen.find(upper);
    if (it != seen.end()) {
      f_.Warning(file_, seg.headerLine,
                 "[" + U(seg.name) + "] appears again: the setup program reads only the one at line " +
                     std::to_string(it->second) + ", and never the " + std::to_string(seg.entries.size()) +
                     " keys here");
      continue;
    }
    seen.emplace(upper, seg.headerLine);
    Segment(seg);
  }
  Install();
  if (packageCount_ == 0) {
    f_.Warning(file_, index_.LineOf("Packages", "Package0"),
               "[Packages] lists no package (Package0 is missing or empty): nothing is installed");
  }
}

void DescriptionCheck::Segment(const IniSegment& seg) {
  for (int line : seg.keyless) {
    f_.Warning(file_, line, "this line has no key before \"=\": the setup program reads nothing from it");
  }
  int package = -1;
  const SectionKind kind = KindOfSection(seg.name, package);
  if (kind == SectionKind::Unknown) {
    UnknownSection(seg);
    return;
  }
  if (kind == SectionKind::Package || kind == SectionKind::PackageRus) {
    if (package < 0 || package >= packageCount_) {
      f_.Warning(file_, seg.headerLine,
                 "[" + U(seg.name) + "] is never read: [Packages] lists " + std::to_string(packageCount_) +
                     (packageCount_ == 1 ? " package" : " packages") +
                     (packageCount_ > 0 ? " (Package0 to Package" + std::to_string(packageCount_ - 1) + ")" : ""));
      return;
    }
  }
  Entries(seg, kind);
  Lists(seg, kind);
  if (kind == SectionKind::PackageRus) Russian(seg, package);
}

void DescriptionCheck::UnknownSection(const IniSegment& seg) {
  std::vector<std::string> names = {"Install", "Dialogs", "Packages", "RunApp", "DelFiles"};
  for (int i = 0; i < packageCount_; ++i) {
    names.push_back("Package" + std::to_string(i));
    names.push_back("Package" + std::to_string(i) + ".RUS");
  }
  std::string text = "unknown section [" + U(seg.name) + "]: the setup program never reads it";
  std::string near = NearestName(seg.name, names);
  if (!near.empty()) text += "; did you mean [" + near + "]?";
  f_.Warning(file_, seg.headerLine, text);
}

void DescriptionCheck::Entries(const IniSegment& seg, SectionKind kind) {
  const KeyTable keys = KeysOf(kind);
  std::map<std::string, const IniEntry*> first;
  for (const IniEntry& e : seg.entries) {
    auto [it, fresh] = first.emplace(e.key, &e);
    if (!fresh) {
      const IniEntry& used = *it->second;
      f_.Warning(file_, e.line,
                 U(e.key) + " appears again in [" + U(seg.name) + "]: the setup program reads the one at line " +
                     std::to_string(used.line) +
                     (used.value == e.value ? " (the same value)" : " (" + Quote(used.value) + "), never " + Quote(e.value)));
      continue;
    }
    if (e.key[0] == ';') {
      std::string text = "\"" + U(e.key) + "\" is no comment but a key that nothing reads";
      if (kind == SectionKind::PackageRus) text += "; it still counts as an entry for the language rule";
      f_.Warning(file_, e.line, text);
      continue;
    }
    int index = -1;
    const KnownKey* s = MatchKey(keys, e.key, index);
    if (!s) {
      UnknownKey(seg, kind, e);
      continue;
    }
    if (kind == SectionKind::PackageRus && s->name == "Main") {
      f_.Warning(file_, e.line, "Main is read from [Package" + U(seg.name.substr(7, seg.name.size() - 11)) +
                                    "] only, never from the .RUS section");
      continue;
    }
    Value(e, *s);
  }
}

void DescriptionCheck::UnknownKey(const IniSegment& seg, SectionKind kind, const IniEntry& e) {
  const KeyTable keys = KeysOf(kind);
  std::string_view base, digits;
  SplitNumber(e.key, base, digits);
  std::vector<std::string> candidates;
  for (const KnownKey* s = keys.begin; s != keys.end; ++s) {
    if (!s->numbered) {
      candidates.emplace_back(s->name);
      continue;
    }
    int n = 0;
    std::string number = digits.empty() ? "0" : CanonicalNumber(digits, n) ? std::string(digits) : std::to_string(std::stoll(std::string(digits.substr(0, 9))));
    candidates.push_back(std::string(s->name) + number);
  }
  std::string text = "unknown key " + U(e.key) + " in [" + U(seg.name) + "]: the setup program never reads it";
  for (const std::string& c : candidates) {
    if (ansi::SameText(c, e.key)) {
      f_.Warning(file_, e.line, text + "; keys are compared with their letter case: write " + c);
      return;
    }
  }
  for (const KnownKey* s = keys.begin; s != keys.end; ++s) {
    int n = 0;
    if (s->numbered && base == s->name && !digits.empty() && !CanonicalNumber(digits, n)) {
      f_.Warning(file_, e.line, text + "; numbers are written without leading zeros: " + candidates[s - keys.begin]);
      return;
    }
  }
  const std::string near = NearestName(e.key, candidates);
  if (!near.empty()) text += "; did you mean " + near + "?";
  f_.Warning(file_, e.line, text);
}

void DescriptionCheck::Value(const IniEntry& e, const KnownKey& known) {
  if (e.value.empty()) return;
  if (known.kind == ValueKind::Bool || known.kind == ValueKind::Integer) {
    std::string s = e.value;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    int32_t n = 0;
    if (!numbers::TryStrToInt(s, n)) {
      f_.Warning(file_, e.line, U(e.key) + "=" + U(e.value) + " is not a number: the setup program takes the default, " +
                                    std::to_string(known.byDefault) +
                                    (known.kind == ValueKind::Bool ? " (0 is false, any other number true)" : ""));
    } else if (known.kind == ValueKind::Integer && n < 0) {
      f_.Warning(file_, e.line, U(e.key) + " is negative");
    }
    return;
  }
  for (const MacroWord& w : MacroWords(e.value)) {
    if (known.kind == ValueKind::Macros && !w.known) {
      std::string text = w.word + " in " + U(e.key) + " is no macro of the setup program: it stays as it is";
      std::string near = NearestName(w.word, MacroNames());
      if (!near.empty()) text += "; did you mean " + near + "?";
      f_.Warning(file_, e.line, text);
    } else if (known.kind == ValueKind::NoMacros && w.known) {
      f_.Warning(file_, e.line, "macros are not replaced in " + U(e.key) + ": " + w.word + " stays as it is" +
                                    (known.name == "Ico_Argu" ? "; name the file relative to Ico_WDir" : ""));
    }
  }
}

void DescriptionCheck::Lists(const IniSegment& seg, SectionKind kind) {
  // The first line of each key, as the reads find them.
  std::map<std::string, const IniEntry*> first;
  for (const IniEntry& e : seg.entries) first.emplace(e.key, &e);
  auto entry = [&](std::string_view base, int k) -> const IniEntry* {
    auto it = first.find(std::string(base) + std::to_string(k));
    return it == first.end() ? nullptr : it->second;
  };
  // Numbers of a family present with a value, in order.
  auto numbersOf = [&](std::string_view base) {
    std::set<int> present;
    for (const auto& [key, e] : first) {
      std::string_view b, digits;
      SplitNumber(key, b, digits);
      int n = 0;
      if (b == base && CanonicalNumber(digits, n)) present.insert(n);
    }
    return present;
  };
  for (const Family& fam : FamiliesOf(kind)) {
    int end = 0;
    while (entry(fam.master, end) && !entry(fam.master, end)->value.empty()) ++end;
    std::vector<int> unread;
    for (int n : numbersOf(fam.master)) {
      if (n > end && !entry(fam.master, n)->value.empty()) unread.push_back(n);
    }
    if (!unread.empty()) {
      const IniEntry* stop = entry(fam.master, end);
      const std::string name = std::string(fam.master) + std::to_string(end);
      std::string text = std::string(fam.master) + std::to_string(unread[0]) + " is never read: the list ends at " + name +
                         (stop ? ", which is empty (line " + std::to_string(stop->line) + ")" : ", which is missing");
      if (unread.size() > 1) {
        text += "; nor are";
        for (size_t i = 1; i < unread.size(); ++i) text += " " + std::string(fam.master) + std::to_string(unread[i]);
      }
      f_.Error(file_, entry(fam.master, unread[0])->line, text);
    }
    for (std::string_view dep : fam.dependents) {
      for (int n : numbersOf(dep)) {
        if (n < end) continue;
        f_.Warning(file_, entry(dep, n)->line,
                   std::string(dep) + std::to_string(n) + " is never read: the list of " + std::string(fam.master) +
                       " ends before " + std::string(fam.master) + std::to_string(n));
      }
    }
    if (fam.master == "Ico_Link") Shortcuts(seg, end);
  }
}

void DescriptionCheck::Shortcuts(const IniSegment& seg, int count) {
  for (int k = 0; k < count; ++k) {
    const std::string key = "Ico_Name" + std::to_string(k);
    const IniEntry* e = nullptr;
    for (const IniEntry& x : seg.entries) {
      if (x.key == key) {
        e = &x;
        break;
      }
    }
    const int linkLine = [&] {
      for (const IniEntry& x : seg.entries)
        if (x.key == "Ico_Link" + std::to_string(k)) return x.line;
      return seg.headerLine;
    }();
    if (!e || e->value.empty()) {
      f_.Error(file_, e ? e->line : linkLine,
               "shortcut " + std::to_string(k) + " has no " + key + ": its link file has no name, and none is made");
      continue;
    }
    std::string upper = ansi::UpperCase(e->value);
    if (upper.size() < 4 || upper.substr(upper.size() - 4) != ".LNK") {
      f_.Warning(file_, e->line, key + " does not end with .lnk: the link file is saved under exactly this name, "
                                       "which Windows does not take for a shortcut");
    }
  }
}

void DescriptionCheck::Russian(const IniSegment& seg, int package) {
  const std::string base = "Package" + std::to_string(package);
  const size_t entries = seg.entries.size();
  if (entries <= 2) {
    f_.Warning(file_, seg.headerLine,
               "[" + U(seg.name) + "] has only " + std::to_string(entries) + (entries == 1 ? " entry" : " entries") +
                   ": with 2 or fewer the setup program never reads it and takes [" + base + "] in Russian too");
    return;
  }
  if (!ini_.ReadBool("Dialogs", "Languge", true)) {
    f_.Warning(file_, seg.headerLine,
               "the language page is off (Languge=0), so English is chosen and [" + U(seg.name) + "] is never read");
    return;
  }
  std::vector<std::string> missing;
  for (const char* key : {"FilesCount", "Volume", "Pak0", "Ico_Link0", "RegFile0"}) {
    if (!ini_.ReadString(base, key, "").empty() && !index_.EntryOf(seg.name, key)) missing.push_back(key);
  }
  if (!missing.empty()) {
    std::string list;
    for (size_t i = 0; i < missing.size(); ++i) list += (i ? ", " : "") + missing[i];
    f_.Warning(file_, seg.headerLine,
               "nothing is merged: [" + U(seg.name) + "] lacks " + list + " of [" + base +
                   "], so the Russian installation goes without them");
  }
}

void DescriptionCheck::Install() {
  const std::string path = ini_.ReadString("Install", "InstallPath", "");
  const std::string folder = ini_.ReadString("Install", "InstallFolder", "");
  if (!path.empty() && !folder.empty() && path.back() != '\\' && path.back() != '/') {
    f_.Error(file_, index_.LineOf("Install", "InstallPath"),
             "InstallPath does not end with a backslash: the suggested folder becomes " + Quote(path + folder) +
                 "; write " + Quote(path + "\\"));
  }
  if (path.empty() && folder.empty()) {
    const bool pathPage = ini_.ReadBool("Dialogs", "Path", true);
    const std::string text = "InstallPath and InstallFolder are empty: " +
                             std::string(pathPage ? "the folder page starts with an empty field"
                                                  : "with the folder page off the installation is refused");
    if (pathPage) f_.Warning(file_, index_.HeaderLineOf("Install"), text);
    else f_.Error(file_, index_.HeaderLineOf("Install"), text);
  }
  if (ini_.ReadString("Install", "ProgramName", "").empty()) {
    f_.Warning(file_, index_.HeaderLineOf("Install"),
               "ProgramName is empty: the window is captioned \" Setup\" and the product is listed without a name");
  }
}

}  // namespace

SectionKind KindOfSection(std::string_view name, int& package) {
  const std::string upper = ansi::UpperCase(name);
  package = -1;
  if (upper == "INSTALL") return SectionKind::Install;
  if (upper == "DIALOGS") return SectionKind::Dialogs;
  if (upper == "PACKAGES") return SectionKind::Packages;
  if (upper == "RUNAPP") return SectionKind::RunApp;
  if (upper == "DELFILES") return SectionKind::DelFiles;
  if (upper.rfind("PACKAGE", 0) != 0) return SectionKind::Unknown;
  std::string_view rest = std::string_view(upper).substr(7);
  SectionKind kind = SectionKind::Package;
  if (rest.size() > 4 && rest.substr(rest.size() - 4) == ".RUS") {
    kind = SectionKind::PackageRus;
    rest.remove_suffix(4);
  }
  if (rest.empty()) return SectionKind::Unknown;
  for (char c : rest)
    if (c < '0' || c > '9') return SectionKind::Unknown;
  if (!CanonicalNumber(rest, package)) package = -1;
  return kind;
}

void CheckDescription(const TIniFile32& ini, const IniIndex& index, const std::string& file, Findings& findings) {
  DescriptionCheck(ini, index, file, findings).Run();
}

}  // namespace author
