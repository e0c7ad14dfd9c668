#include "tools/author/target_check.h"

#include <algorithm>
#include <map>
#include <set>

#include "common/ansi.h"
#include "setup/run/macros.h"
#include "tools/author/cp1251.h"
#include "tools/author/distribution_files.h"
#include "tools/author/text_check.h"

namespace author {
namespace {

constexpr char kInstallDir[] = "C:\\<install>\\";
constexpr char kInstallUpper[] = "C:\\<INSTALL>";
constexpr char kSourceDir[] = "S:\\<source>\\";
constexpr char kSourceUpper[] = "S:\\<SOURCE>";

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }
std::string Q(std::string_view cp1251Text) { return "\"" + Excerpt(U(cp1251Text)) + "\""; }

// The packages of one language that install each path (upper case, "\"
// between parts), folders included.
struct Installed {
  std::map<std::string, std::set<int>> paths;
  // Every archive was read to its end; otherwise a path that is not there
  // may be in the part no one could read, and the archive's own finding says so.
  bool complete = true;
};

Installed InstalledBy(const Distribution& d, const Language& lang) {
  Installed installed;
  for (size_t i = 0; i < lang.sections.size(); ++i) {
    for (const NamedFile& ref : d.Section(lang.sections[i]).archives) {
      const ArchiveFile* a = d.Archive(ref.name);
      if (!a || !a->Found() || !a->scan.Complete()) installed.complete = false;
      if (!a) continue;
      for (const ScannedMember& m : a->scan.members) {
        if (m.unsafe || m.code != 0) continue;
        std::string path = ansi::UpperCase(cp1251::Cp1251FromUtf8(m.name));
        for (char& c : path)
          if (c == '/') c = '\\';
        // A member in a folder makes that folder too.
        for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
          installed.paths[path.substr(0, cut)].insert(static_cast<int>(i));
        installed.paths[path].insert(static_cast<int>(i));
      }
    }
  }
  return installed;
}

const char* LanguageName(const Language& lang) { return lang.russian ? "Russian" : "English"; }

class TargetCheck {
 public:
  TargetCheck(const Distribution& d, Findings& f) : d_(d), f_(f) {
    for (const Language& lang : d.languages) installed_.push_back(InstalledBy(d, lang));
    all_.resize(d.languages.size());
    for (size_t l = 0; l < all_.size(); ++l) all_[l] = l;
  }
  void Run();

 private:
  enum class Need { Error, Warning };
  struct Status {
    enum Kind { Ok, Missing, Optional } kind = Ok;
    int by = -1;  // Optional: the package that installs it
    bool operator==(const Status&) const = default;
  };
  Status StatusIn(size_t lang, int package, const std::string& rel, bool folder) const;
  // Checks a path the installation is to have made, in the languages given;
  // `what` names what uses it. One finding when the languages agree.
  void Installs(const std::vector<size_t>& langs, int package, const std::string& rel, int line,
                const std::string& what, Need need, bool folder = false);
  void Shortcuts();
  void Shortcut(const std::string& sec, int package, const std::vector<size_t>& langs, int k, const std::string& link);
  void RunApps();
  void DelFiles();
  bool OnMedium(const std::string& rel) const { return FindOnDisk(d_.disks.front(), rel).has_value(); }
  std::string PackageName(int i) const { return Q(d_.packages[static_cast<size_t>(i)].Name); }
  std::string In(size_t lang) const {
    return " in the " + std::string(LanguageName(d_.languages[lang])) + " installation";
  }

  const Distribution& d_;
  Findings& f_;
  std::vector<Installed> installed_;
  std::vector<size_t> all_;
};

void TargetCheck::Run() {
  Shortcuts();
  RunApps();
  DelFiles();
}

TargetCheck::Status TargetCheck::StatusIn(size_t lang, int package, const std::string& rel, bool folder) const {
  const Installed& inst = installed_[lang];
  auto it = inst.paths.find(ansi::UpperCase(rel));
  if (it == inst.paths.end()) return inst.complete ? Status{Status::Missing, -1} : Status{};
  if (folder) return {};
  // Its own package or a required one is always there with it.
  for (int p : it->second) {
    if (p == package || d_.packages[static_cast<size_t>(p)].Required) return {};
  }
  return {Status::Optional, *it->second.begin()};
}

void TargetCheck::Installs(const std::vector<size_t>& langs, int package, const std::string& rel, int line,
                           const std::string& what, Need need, bool folder) {
  if (rel.empty() || langs.empty()) return;  // the install folder itself
  std::vector<Status> status;
  for (size_t l : langs) status.push_back(StatusIn(l, package, rel, folder));
  const bool agree = std::all_of(status.begin(), status.end(), [&](const Status& s) { return s == status.front(); });
  for (size_t i = 0; i < langs.size(); ++i) {
    if (agree && i > 0) break;
    const std::string in = agree && langs.size() == d_.languages.size() ? "" : In(langs[i]);
    const std::string path = what + " %InstallPath%\\" + U(rel);
    if (status[i].kind == Status::Missing) {
      const std::string text = path + ", which no package installs" + in;
      if (need == Need::Error) f_.Error(d_.iniFile, line, text);
      else f_.Warning(d_.iniFile, line, text);
    } else if (status[i].kind == Status::Optional) {
      f_.Warning(d_.iniFile, line, path + ", which only the package " + PackageName(status[i].by) + " installs" + in +
                                       ": without it, which the user may leave out, it points at nothing");
    }
  }
}

void TargetCheck::Shortcuts() {
  // Each section once, with the languages that read it.
  std::map<std::string, std::vector<size_t>> users;
  std::map<std::string, int> packageOf;
  for (size_t l = 0; l < d_.languages.size(); ++l) {
    for (size_t i = 0; i < d_.languages[l].sections.size(); ++i) {
      users[d_.languages[l].sections[i]].push_back(l);
      packageOf[d_.languages[l].sections[i]] = static_cast<int>(i);
    }
  }
  for (const auto& [sec, langs] : users) {
    for (int k = 0;; ++k) {
      const std::string link = d_.ini->ReadString(sec, "Ico_Link" + std::to_string(k), "");
      if (link.empty()) break;
      Shortcut(sec, packageOf[sec], langs, k, link);
    }
  }
}

void TargetCheck::Shortcut(const std::string& sec, int package, const std::vector<size_t>& langs, int k,
                           const std::string& link) {
  const std::string n = std::to_string(k);
  const int line = d_.index->LineOf(sec, "Ico_Link" + n);
  const std::string what = "the shortcut " + Q(d_.ini->ReadString(sec, "Ico_Name" + n, "")) + " points at";
  const Place target = PlaceOf(link);
  switch (target.kind) {
    case Place::Install: Installs(langs, package, target.rel, line, what, Need::Error); break;
    case Place::Medium:
      f_.Warning(d_.iniFile, line, what + " the distribution medium (" + Q(link) + "), which is gone after the installation");
      break;
    case Place::Absolute:
      if (!IsStandardProgram(target.rel)) {
        f_.Warning(d_.iniFile, line, what + " " + Q(link) + ", which no package installs: it must already be on the user's machine");
      }
      break;
    case Place::Bare:
      f_.Warning(d_.iniFile, line, what + " " + Q(link) + ", which is no full path: begin it with %InstallPath%");
      break;
    case Place::Url: break;
  }
  const std::string icon = d_.ini->ReadString(sec, "Ico_File" + n, "");
  const Place iconPlace = PlaceOf(icon);
  if (!icon.empty() && iconPlace.kind == Place::Install) {
    Installs(langs, package, iconPlace.rel, d_.index->LineOf(sec, "Ico_File" + n), "the shortcut's icon is taken from",
             Need::Warning);
  }
  const std::string wdir = d_.ini->ReadString(sec, "Ico_WDir" + n, "");
  const Place folder = PlaceOf(wdir);
  if (!wdir.empty() && folder.kind == Place::Install) {
    Installs(langs, package, folder.rel, d_.index->LineOf(sec, "Ico_WDir" + n), "the shortcut starts in the folder",
             Need::Warning, true);
  }
}

void TargetCheck::RunApps() {
  for (int k = 0;; ++k) {
    const std::string n = std::to_string(k);
    const std::string app = d_.ini->ReadString("RunApp", "App" + n, "");
    if (app.empty()) break;
    const int line = d_.index->LineOf("RunApp", "App" + n);
    const std::string what = "[RunApp] App" + n + " starts";
    const Place p = PlaceOfExpanded(ProgramOf(ExpandWithStandIns(app)));
    switch (p.kind) {
      case Place::Install: Installs(all_, -1, p.rel, line, what, Need::Error); break;
      case Place::Medium:
        // Programs start once disk 1 is back in the drive.
        if (!OnMedium(p.rel)) {
          f_.Error(d_.iniFile, line, what + " " + Q(p.rel) + ", which is not on " +
                                         (d_.disks.size() > 1 ? "disk 1" : "the distribution medium"));
        }
        break;
      case Place::Absolute:
      case Place::Bare:
        // A bare name is looked for beside the setup program, then in the system's folders.
        if (!IsStandardProgram(p.rel) && !(p.kind == Place::Bare && OnMedium(p.rel))) {
          f_.Warning(d_.iniFile, line, what + " " + Q(p.rel) +
                                           ", which no package installs and a standard Windows does not have");
        }
        break;
      case Place::Url: break;
    }
    const std::string dir = d_.ini->ReadString("RunApp", "Dir" + n, "");
    const Place folder = PlaceOf(dir);
    if (!dir.empty() && folder.kind == Place::Install) {
      Installs(all_, -1, folder.rel, d_.index->LineOf("RunApp", "Dir" + n), "[RunApp] Dir" + n + " is the folder",
               Need::Warning, true);
    }
  }
}

void TargetCheck::DelFiles() {
  for (int k = 0;; ++k) {
    const std::string n = std::to_string(k);
    const std::string file = d_.ini->ReadString("DelFiles", "File" + n, "");
    if (file.empty()) break;
    const int line = d_.index->LineOf("DelFiles", "File" + n);
    const Place p = PlaceOf(file);
    if (p.kind != Place::Install) {
      f_.Warning(d_.iniFile, line, "[DelFiles] File" + n + " deletes " + Q(file) +
                                       ", which is outside the install folder: a file of the user or of another program");
    } else if (p.rel.empty()) {
      f_.Warning(d_.iniFile, line, "[DelFiles] File" + n + " names the install folder itself, which is no file");
    } else {
      Installs(all_, 0, p.rel, line, "[DelFiles] File" + n + " deletes", Need::Warning, true);
    }
  }
}

}  // namespace

std::string ExpandWithStandIns(std::string_view text) { return ExpandMacros(text, kInstallDir, kSourceDir); }

Place PlaceOf(std::string_view text) { return PlaceOfExpanded(ExpandWithStandIns(text)); }

Place PlaceOfExpanded(const std::string& expanded) {
  const std::string upper = ansi::UpperCase(expanded);
  Place p;
  auto below = [&](std::string_view prefix) -> bool {
    if (!StartsWith(upper, prefix)) return false;
    if (upper.size() == prefix.size()) return true;
    return upper[prefix.size()] == '\\';
  };
  auto rest = [&](size_t from) {
    std::string r = from < expanded.size() ? expanded.substr(from) : std::string();
    while (!r.empty() && r.front() == '\\') r.erase(0, 1);
    while (!r.empty() && r.back() == '\\') r.pop_back();
    return r;
  };
  if (below(kInstallUpper)) {
    p.kind = Place::Install;
    p.rel = rest(std::string_view(kInstallUpper).size());
  } else if (below(kSourceUpper)) {
    p.kind = Place::Medium;
    p.rel = rest(std::string_view(kSourceUpper).size());
  } else if (StartsWith(upper, "S:\\")) {
    p.kind = Place::Medium;  // %SourceDrive%: the root of the disk
    p.rel = rest(2);
  } else if (StartsWith(upper, "HTTP:") || StartsWith(upper, "HTTPS:") || StartsWith(upper, "FTP:") ||
             StartsWith(upper, "MAILTO:")) {
    p.kind = Place::Url;
  } else if ((upper.size() >= 2 && upper[1] == ':') || StartsWith(upper, "\\")) {
    p.kind = Place::Absolute;
    p.rel = expanded;
  } else {
    p.kind = Place::Bare;
    p.rel = expanded;
  }
  return p;
}

void CheckTargets(const Distribution& d, Findings& findings) { TargetCheck(d, findings).Run(); }

bool IsStandardProgram(std::string_view path) {
  static const std::set<std::string> kPrograms = {
      "NOTEPAD.EXE", "WRITE.EXE",    "WORDPAD.EXE", "REGEDIT.EXE", "REGEDT32.EXE", "EXPLORER.EXE",
      "WINHLP32.EXE", "WINHELP.EXE", "HH.EXE",      "RUNDLL32.EXE", "RUNDLL.EXE",  "REGSVR32.EXE",
      "CMD.EXE",     "COMMAND.COM",  "CALC.EXE",    "MSPAINT.EXE", "PBRUSH.EXE",   "MSIEXEC.EXE",
      "CONTROL.EXE", "CSCRIPT.EXE",  "WSCRIPT.EXE", "IEXPLORE.EXE", "START.EXE",   "ATTRIB.EXE",
  };
  std::string name = ansi::UpperCase(path.substr(path.find_last_of("\\/") == std::string_view::npos ? 0 : path.find_last_of("\\/") + 1));
  if (name.find('.') == std::string::npos) name += ".EXE";
  return kPrograms.count(name) > 0;
}

std::string ProgramOf(std::string_view commandLine) {
  std::string_view t = ansi::Trim(commandLine);
  if (!t.empty() && t.front() == '"') {
    size_t close = t.find('"', 1);
    return std::string(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  }
  return std::string(t.substr(0, t.find(' ')));
}

}  // namespace author
