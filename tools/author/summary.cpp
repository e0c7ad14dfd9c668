#include "tools/author/summary.h"

#include "tools/author/cp1251.h"
#include "tools/author/findings.h"

namespace author {
namespace {

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }

const char* PageName(char digit) {
  switch (digit) {
    case '0': return "welcome";
    case '1': return "install folder";
    case '2': return "install type";
    case '4': return "language";
    case '5': return "shortcuts";
    case '6': return "ready";
    case '7': return "progress";
  }
  return "?";
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
  return out;
}

std::string Yes(bool b) { return b ? "yes" : "no"; }

std::string Array(const std::vector<std::string>& items) {
  std::vector<std::string> quoted;
  for (const std::string& s : items) quoted.push_back(JsonString(s));
  return "[" + Join(quoted, ",") + "]";
}

}  // namespace

Summary Summarize(const Distribution& d) {
  Summary s;
  s.read = true;
  s.programName = U(d.inst.ProgramName);
  s.caption = s.programName + " Setup";
  s.installFolder = U(d.inst.InstallPath + d.inst.InstallFolder);
  s.picture = U(d.inst.InstallPicture);
  for (char page : d.inst.PageSequence) {
    s.pages.push_back(PageName(page));
    // The component page opens from the install type page on "Custom".
    if (page == '2') s.pages.back() += " (components on Custom)";
  }
  s.supportUninstall = d.inst.SupportUninstall;
  s.multiVolume = d.inst.MultiVolume;
  s.desktopIcon = d.inst.CreateDesktopIcon;
  s.disks = d.disks;
  for (const Language& lang : d.languages) {
    Summary::Language l;
    l.name = lang.russian ? "Russian" : "English";
    for (size_t i = 0; i < lang.sections.size(); ++i) {
      const PackageSection& sec = d.Section(lang.sections[i]);
      Summary::Package p;
      p.index = static_cast<int>(i);
      p.name = U(d.packages[i].Name);
      p.required = d.packages[i].Required;
      p.section = sec.name;
      p.volume = U(sec.volume);
      p.disk = sec.disk + 1;
      p.filesCount = sec.filesCount;
      for (const NamedFile& a : sec.archives) {
        const ArchiveFile* file = d.Archive(a.name);
        const bool known = file && file->Found() && file->scan.Complete();
        p.archives.push_back({U(a.name), known ? static_cast<int>(file->scan.members.size()) : -1});
      }
      for (int k = 0;; ++k) {
        const std::string n = std::to_string(k);
        const std::string link = d.ini->ReadString(sec.name, "Ico_Link" + n, "");
        if (link.empty()) break;
        p.shortcuts.push_back({U(d.ini->ReadString(sec.name, "Ico_Name" + n, "")), U(link),
                               U(d.ini->ReadString(sec.name, "Ico_Argu" + n, ""))});
      }
      for (const NamedFile& r : sec.regFiles) p.regFiles.push_back(U(r.name));
      l.packages.push_back(std::move(p));
    }
    s.languages.push_back(std::move(l));
  }
  for (int k = 0;; ++k) {
    const std::string n = std::to_string(k);
    const std::string app = d.ini->ReadString("RunApp", "App" + n, "");
    if (app.empty()) break;
    s.programs.push_back({U(app), U(d.ini->ReadString("RunApp", "Dir" + n, "")), d.ini->ReadBool("RunApp", "Wait" + n, true)});
  }
  for (const std::string& f : ReadNumberedKeys(*d.ini, "DelFiles", "File")) s.deletes.push_back(U(f));
  return s;
}

std::string SummaryText(const Summary& s) {
  if (!s.read) return "setup.ini could not be read: nothing to sum up\n";
  std::string out;
  out += "Program:    " + s.programName + " (window \"" + s.caption + "\")\n";
  out += "Folder:     " + s.installFolder + "\n";
  out += "Pages:      " + Join(s.pages, ", ") + "\n";
  out += "Picture:    " + (s.picture.empty() ? std::string("the built-in one") : s.picture) + "\n";
  out += "Uninstall:  " + Yes(s.supportUninstall) + "; desktop shortcut box checked: " + Yes(s.desktopIcon) + "\n";
  if (s.multiVolume) out += "Disks:      " + std::to_string(s.disks.size()) + " (" + Join(s.disks, ", ") + ")\n";
  for (const Summary::Language& l : s.languages) {
    out += l.name + " packages:\n";
    int total = 0;
    for (const Summary::Package& p : l.packages) {
      out += "  " + std::to_string(p.index) + " " + p.name + (p.required ? " (required)" : "") + " [" + p.section + "]";
      if (s.multiVolume) out += " on disk " + (p.disk > 0 ? std::to_string(p.disk) : "?") + " (Volume \"" + p.volume + "\")";
      out += ", FilesCount " + std::to_string(p.filesCount) + "\n";
      total += p.filesCount;
      for (const Summary::Archive& a : p.archives) {
        out += "      archive " + a.name + ": " + (a.members >= 0 ? std::to_string(a.members) + " members" : "not read") + "\n";
      }
      for (const Summary::Shortcut& sc : p.shortcuts) {
        out += "      shortcut " + sc.name + " -> " + sc.target + (sc.arguments.empty() ? "" : " " + sc.arguments) + "\n";
      }
      for (const std::string& r : p.regFiles) out += "      registry file " + r + "\n";
    }
    out += "  with every package chosen the total progress counts " + std::to_string(total) + " files\n";
  }
  if (!s.programs.empty()) {
    out += "Programs run at the end:\n";
    for (const Summary::Program& p : s.programs) {
      out += "  " + p.command + (p.dir.empty() ? "" : " in " + p.dir) + (p.wait ? " (waited for)" : " (not waited for)") + "\n";
    }
  }
  if (!s.deletes.empty()) {
    out += "Files deleted at the end:\n";
    for (const std::string& f : s.deletes) out += "  " + f + "\n";
  }
  return out;
}

std::string SummaryJson(const Summary& s) {
  if (!s.read) return "null";
  std::string out = "{";
  out += "\"programName\":" + JsonString(s.programName) + ",\"caption\":" + JsonString(s.caption) +
         ",\"installFolder\":" + JsonString(s.installFolder) + ",\"picture\":" + JsonString(s.picture) +
         ",\"pages\":" + Array(s.pages) + ",\"supportUninstall\":" + (s.supportUninstall ? "true" : "false") +
         ",\"multiVolume\":" + (s.multiVolume ? "true" : "false") +
         ",\"desktopIcon\":" + (s.desktopIcon ? "true" : "false") + ",\"disks\":" + Array(s.disks) + ",\"languages\":[";
  for (size_t li = 0; li < s.languages.size(); ++li) {
    const Summary::Language& l = s.languages[li];
    out += std::string(li ? "," : "") + "{\"language\":" + JsonString(l.name) + ",\"packages\":[";
    for (size_t pi = 0; pi < l.packages.size(); ++pi) {
      const Summary::Package& p = l.packages[pi];
      out += std::string(pi ? "," : "") + "{\"index\":" + std::to_string(p.index) + ",\"name\":" + JsonString(p.name) +
             ",\"required\":" + (p.required ? "true" : "false") + ",\"section\":" + JsonString(p.section) +
             ",\"volume\":" + JsonString(p.volume) + ",\"disk\":" + std::to_string(p.disk) +
             ",\"filesCount\":" + std::to_string(p.filesCount) + ",\"archives\":[";
      for (size_t ai = 0; ai < p.archives.size(); ++ai) {
        out += std::string(ai ? "," : "") + "{\"name\":" + JsonString(p.archives[ai].name) + ",\"members\":" +
               (p.archives[ai].members >= 0 ? std::to_string(p.archives[ai].members) : "null") + "}";
      }
      out += "],\"shortcuts\":[";
      for (size_t si = 0; si < p.shortcuts.size(); ++si) {
        out += std::string(si ? "," : "") + "{\"name\":" + JsonString(p.shortcuts[si].name) +
               ",\"target\":" + JsonString(p.shortcuts[si].target) +
               ",\"arguments\":" + JsonString(p.shortcuts[si].arguments) + "}";
      }
      out += "],\"regFiles\":" + Array(p.regFiles) + "}";
    }
    out += "]}";
  }
  out += "],\"programs\":[";
  for (size_t i = 0; i < s.programs.size(); ++i) {
    out += std::string(i ? "," : "") + "{\"command\":" + JsonString(s.programs[i].command) +
           ",\"dir\":" + JsonString(s.programs[i].dir) + ",\"wait\":" + (s.programs[i].wait ? "true" : "false") + "}";
  }
  out += "],\"deletes\":" + Array(s.deletes) + "}";
  return out;
}

}  // namespace author
