// Any bytes as a distribution's setup.ini and as a registry file: the check
// never fails, every finding names a line its file has, and the report is
// valid UTF-8.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "setup/regfile/regfile_parser.h"
#include "tools/author/cp1251.h"
#include "tools/author/distribution_check.h"
#include "tools/author/regfile_check.h"
#include "tools/author/text_check.h"
#include "unrar/codepage.h"

namespace {

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

size_t Lines(const std::string& text) {
  const size_t n = author::SplitTextLines(text).size();
  return n == 0 ? 1 : n;
}

void CheckLines(const author::Findings& findings, const std::string& suffix, size_t lines) {
  for (const author::Finding& f : findings.Sorted()) {
    if (f.file.size() < suffix.size() || f.file.compare(f.file.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    if (f.line < 0 || static_cast<size_t>(f.line) > lines) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/sowell-author-fuzz-" + std::to_string(getpid());
    std::filesystem::create_directories(d);
    Put(d + "/Sowell.exe", "MZ");
    Put(d + "/UnRAR.dll", "MZ");
    return d;
  }();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Put(dir + "/setup.ini", bytes);
  const author::CheckReport report = author::CheckDistribution({dir});
  CheckLines(report.findings, "/setup.ini", Lines(bytes));
  if (!rar::IsValidUtf8(author::ReportJson(report)) || !rar::IsValidUtf8(author::ReportText(report))) std::abort();

  author::Findings reg;
  author::CheckRegFile(bytes, "app.reg", "app.reg", reg);
  std::optional<std::u16string> unicode = regfile::UnicodeText(bytes);
  CheckLines(reg, "app.reg", Lines(unicode ? cp1251::Cp1251FromUtf16(*unicode) : bytes));
  return 0;
}
