#include "common/run_account.h"

#include <ctime>
#include <memory>

#include "common/file_io.h"

namespace runaccount {

namespace {

std::unique_ptr<fileio::AppendFile> g_file;

std::string Now() {
  std::time_t t = std::time(nullptr);
  char buf[32] = {};
  if (const std::tm* tm = std::localtime(&t)) std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", tm);
  return buf;
}

}  // namespace

void Open(const std::string& path) {
  auto file = std::make_unique<fileio::AppendFile>();
  file->Open(path);
  g_file = std::move(file);
}

bool IsOpen() { return g_file && g_file->IsOpen(); }

std::string FormatLine(std::string_view time, std::string_view text) {
  std::string line(time);
  line += ' ';
  for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
  line += "\r\n";
  return line;
}

void Note(std::string_view text) {
  if (!IsOpen()) return;
  try {
    g_file->Append(FormatLine(Now(), text));
  } catch (...) {
  }
}

void Close() { g_file.reset(); }

}  // namespace runaccount
