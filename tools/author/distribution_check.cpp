#include "tools/author/distribution_check.h"

#include <algorithm>

#include "common/ansi.h"
#include "tools/author/author_fs.h"
#include "tools/author/cp1251.h"
#include "tools/author/description_check.h"
#include "tools/author/disk_check.h"
#include "tools/author/distribution_files.h"
#include "tools/author/package_check.h"
#include "tools/author/target_check.h"
#include "tools/author/text_check.h"

namespace author {

CheckReport CheckDistribution(const std::vector<std::string>& disks) {
  CheckReport report;
  Findings& f = report.findings;
  for (const std::string& disk : disks) {
    if (!authorfs::IsDir(disk)) f.Error(disk, 0, "no such folder");
  }
  if (disks.empty() || !f.Empty()) return report;

  Distribution d;
  d.disks = disks;
  std::optional<std::string> path = FindOnDisk(disks.front(), "setup.ini");
  if (!path) {
    f.Error(authorfs::Join(disks.front(), "setup.ini"), 0,
            "is missing: the setup program reads its description from beside itself");
    return report;
  }
  d.iniFile = *path;
  std::optional<std::string> bytes = authorfs::ReadBytes(*path);
  if (!bytes) {
    f.Error(*path, 0, "cannot be read");
    return report;
  }
  if (!CheckText(*bytes, d.iniFile, TextKind::SetupIni, f)) return report;
  try {
    d.ini = std::make_unique<TIniFile32>(authorfs::NarrowPath(*path));
  } catch (const std::exception&) {
    d.ini.reset();
  }
  // The engine takes narrow paths, which on Windows cannot spell every folder name.
  if (!d.ini || (d.ini->Lines().empty() && !bytes->empty())) {
    f.Error(*path, 0, "cannot be read through the setup program's INI engine: its path holds characters the ANSI "
                      "code page lacks");
    return report;
  }
  d.index = std::make_unique<IniIndex>(d.ini->Lines());
  CheckDescription(*d.ini, *d.index, d.iniFile, f);
  LoadInstallSettings(*d.ini, d.inst);
  d.packages = LoadPackageList(*d.ini);
  CheckPackages(d, f);
  CheckTargets(d, f);
  CheckDisks(d, f);
  report.summary = Summarize(d);
  return report;
}

std::vector<std::string> DisksOf(const std::vector<std::string>& folders) {
  if (folders.size() != 1 || FindOnDisk(folders.front(), "setup.ini")) return folders;
  std::vector<std::pair<int, std::string>> numbered;
  for (const authorfs::DirEntry& e : authorfs::List(folders.front())) {
    const std::string upper = ansi::UpperCase(e.name);
    if (!e.isDir || upper.size() < 5 || upper.rfind("DISK", 0) != 0) continue;
    const std::string digits = upper.substr(4);
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    numbered.emplace_back(std::stoi(digits), authorfs::Join(folders.front(), e.name));
  }
  if (numbered.empty()) return folders;
  std::sort(numbered.begin(), numbered.end());
  std::vector<std::string> disks;
  for (auto& [n, path] : numbered) disks.push_back(path);
  return disks;
}

std::string ReportText(const CheckReport& report) {
  std::string out;
  for (const Finding& finding : report.findings.Sorted()) out += FormatFinding(finding) + "\n";
  if (report.summary.read) {
    if (!out.empty()) out += "\n";
    out += SummaryText(report.summary);
  }
  const int errors = report.findings.Errors();
  const int warnings = report.findings.Warnings();
  out += std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
         (warnings == 1 ? " warning\n" : " warnings\n");
  return out;
}

std::string ReportJson(const CheckReport& report) {
  std::string out = "{\"findings\":[";
  bool first = true;
  for (const Finding& finding : report.findings.Sorted()) {
    out += std::string(first ? "" : ",") + "{\"file\":" + JsonString(finding.file) +
           ",\"line\":" + std::to_string(finding.line) + ",\"severity\":\"" +
           (finding.severity == Severity::Error ? "error" : "warning") + "\",\"text\":" + JsonString(finding.text) + "}";
    first = false;
  }
  out += "],\"errors\":" + std::to_string(report.findings.Errors()) +
         ",\"warnings\":" + std::to_string(report.findings.Warnings()) + ",\"summary\":" + SummaryJson(report.summary) +
         "}\n";
  return out;
}

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false;
  std::vector<std::string> folders;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a == "--help" || a == "-h") {
      out << "usage: sowell-check [--json] DIR | DISK1 DISK2 ...\n";
      return 0;
    } else if (a.rfind("--", 0) == 0) {
      err << "sowell-check: unknown option " << a << "\n";
      return 2;
    } else {
      folders.push_back(a);
    }
  }
  if (folders.empty()) {
    err << "usage: sowell-check [--json] DIR | DISK1 DISK2 ...\n";
    return 2;
  }
  const CheckReport report = CheckDistribution(DisksOf(folders));
  out << (json ? ReportJson(report) : ReportText(report));
  return report.findings.Errors() > 0 ? 1 : 0;
}

}  // namespace author
