// Distributions made on the fly for the author's tools: a small correct one
// that each test breaks in one way, and the assertions on what the checker
// finds (file, line, severity, text).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"
#include "tools/author/distribution_check.h"
#include "tools/rarwriter/rar_writer.h"

namespace authortest {

// Text with LF line ends as CR LF. The test sources are compiled to code page
// 1251, so their Russian literals already are setup.ini's bytes.
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The number of the first line of `text` that begins with `start`; 0 when none.
inline int LineOf(std::string_view text, std::string_view start) {
  int number = 1;
  size_t pos = 0;
  while (pos <= text.size()) {
    if (text.substr(pos, start.size()) == start) return number;
    size_t next = text.find('\n', pos);
    if (next == std::string_view::npos) break;
    pos = next + 1;
    ++number;
  }
  return 0;
}

inline rarwriter::Entry File(std::string name, std::string data = "data") {
  rarwriter::Entry e;
  e.name = std::move(name);
  e.data = std::move(data);
  e.mtime = 1600000000;
  return e;
}

inline rarwriter::Entry Dir(std::string name) {
  rarwriter::Entry e = File(std::move(name), "");
  e.is_dir = true;
  return e;
}

inline std::string ArchiveBytes(const std::vector<rarwriter::Entry>& entries, int format = 4) {
  rarwriter::Options o;
  o.format = format;
  return rarwriter::Write("x.rar", entries, o).front().bytes;
}

// The setup.ini of the small correct distribution, LF line ends.
inline const char kSetupIni[] =
    "[Install]\n"
    "ProgramName=Demo\n"
    "InstallPath=C:\\Program Files\\\n"
    "InstallFolder=Demo\n"
    "SupportUninstall=1\n"
    "\n"
    "[Dialogs]\n"
    "Wellcome=1\n"
    "Languge=1\n"
    "\n"
    "[Packages]\n"
    "Package0=Main files\n"
    "Package1=Extras\n"
    "\n"
    "[Package0]\n"
    "Main=1\n"
    "FilesCount=3\n"
    "Pak0=core.rar\n"
    "Ico_Link0=%InstallPath%\\app.exe\n"
    "Ico_Name0=App.lnk\n"
    "RegFile0=app.reg\n"
    "\n"
    "[Package1]\n"
    "FilesCount=2\n"
    "Pak0=extras.rar\n"
    "\n"
    "[RunApp]\n"
    "App0=\"%InstallPath%\\app.exe\" /register\n"
    "Wait0=1\n"
    "\n"
    "[DelFiles]\n"
    "File0=%InstallPath%\\setup.tmp\n";

inline const char kRegFile[] =
    "REGEDIT4\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Demo]\n"
    "\"Path\"=\"%InstallPath%\"\n";

class Distribution {
 public:
  // The correct distribution in a folder (or on disk 1 of `disks` folders).
  explicit Distribution(int disks = 1) {
    for (int i = 0; i < disks; ++i) {
      folders_.push_back(disks == 1 ? dir_.Path() : dir_.File("disk" + std::to_string(i + 1)));
      std::filesystem::create_directories(folders_.back());
    }
    ini = kSetupIni;
    Put("Sowell.exe", "MZ setup program");
    Put("UnRAR.dll", "MZ library");
    Put("core.rar", ArchiveBytes({File("app.exe"), File("readme.txt"), File("setup.tmp")}));
    Put("extras.rar", ArchiveBytes({Dir("extras"), File("extras/a.txt")}));
    Put("app.reg", Crlf(kRegFile));
  }

  // A file on a disk (from 0), made with its folders.
  void Put(const std::string& name, const std::string& bytes, int disk = 0) {
    std::filesystem::path p = std::filesystem::path(folders_[static_cast<size_t>(disk)]) / name;
    std::filesystem::create_directories(p.parent_path());
    WriteBytes(p.string(), bytes);
  }
  void Remove(const std::string& name, int disk = 0) {
    std::filesystem::remove(std::filesystem::path(folders_[static_cast<size_t>(disk)]) / name);
  }
  // Replaces the first occurrence of `from` in the setup.ini text.
  void Edit(const std::string& from, const std::string& to) {
    size_t at = ini.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    ini.replace(at, from.size(), to);
  }
  int Line(std::string_view start) const { return LineOf(ini, start); }

  // Writes setup.ini (CR LF) on every disk, unless `raw` bytes are given for disk 1.
  author::CheckReport Check(const std::string* raw = nullptr) {
    for (size_t d = 0; d < folders_.size(); ++d) Put("setup.ini", d == 0 && raw ? *raw : Crlf(ini), static_cast<int>(d));
    return author::CheckDistribution(folders_);
  }

  std::string ini;  // setup.ini with LF line ends
  const std::vector<std::string>& Folders() const { return folders_; }
  std::string Path(const std::string& name, int disk = 0) const {
    return (std::filesystem::path(folders_[static_cast<size_t>(disk)]) / name).string();
  }

 private:
  TempDir dir_;
  std::vector<std::string> folders_;
};

inline std::string Listing(const author::CheckReport& report) {
  std::string out;
  for (const author::Finding& f : report.findings.Sorted()) out += "  " + author::FormatFinding(f) + "\n";
  return out.empty() ? "  (no finding)\n" : out;
}

// A finding in the file whose name ends with `file`, at `line`, of the
// severity, whose text holds `text`.
inline ::testing::AssertionResult Finds(const author::CheckReport& report, const std::string& file, int line,
                                        author::Severity severity, const std::string& text) {
  for (const author::Finding& f : report.findings.Sorted()) {
    std::string name = f.file;  // Windows joins with backslashes
    for (char& c : name)
      if (c == '\\') c = '/';
    const bool fileMatches = name.size() >= file.size() && name.compare(name.size() - file.size(), file.size(), file) == 0;
    if (fileMatches && f.line == line && f.severity == severity && f.text.find(text) != std::string::npos) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "no " << (severity == author::Severity::Error ? "error" : "warning") << " at "
                                       << file << ":" << line << " holding \"" << text << "\"; found:\n"
                                       << Listing(report);
}

inline ::testing::AssertionResult Error(const author::CheckReport& r, const std::string& file, int line, const std::string& text) {
  return Finds(r, file, line, author::Severity::Error, text);
}
inline ::testing::AssertionResult Warning(const author::CheckReport& r, const std::string& file, int line, const std::string& text) {
  return Finds(r, file, line, author::Severity::Warning, text);
}

// Exactly `n` findings, so that one fault does not bring a flood of others.
inline ::testing::AssertionResult Count(const author::CheckReport& report, size_t n) {
  if (report.findings.Sorted().size() == n) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected " << n << " findings, found:\n" << Listing(report);
}

}  // namespace authortest
