// rarwriter [--rar5] [--volume-size BYTES] [--old-names] [--oem-names]
//           [--comment TEXT] ARCHIVE.rar FOLDER
// rarwriter [options] --list LIST ARCHIVE.rar
// Packs the contents of FOLDER (folders first, names sorted) as stored members
// and prints the names of the volumes written. With --list the members are
// the lines of LIST, in order, tab-separated: "d NAME" a folder, "f NAME FILE"
// a file with the contents of FILE, "l NAME TARGET" a symbolic link; names in
// UTF-8 are taken as they stand, so they may hold what no folder on disk can.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/rarwriter/rar_writer.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& p) {
  std::u8string u = p.generic_u8string();
  return std::string(u.begin(), u.end());
}

int64_t UnixTime(const fs::path& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : 0;
}

void Collect(const fs::path& root, const fs::path& dir, std::vector<rarwriter::Entry>& out) {
  std::vector<fs::path> children;
  for (const auto& e : fs::directory_iterator(dir)) children.push_back(e.path());
  std::sort(children.begin(), children.end());
  for (const auto& child : children) {
    rarwriter::Entry e;
    e.name = Utf8(fs::relative(child, root));
    e.mtime = UnixTime(child);
    if (fs::is_directory(child)) {
      e.is_dir = true;
      out.push_back(e);
      Collect(root, child, out);
      continue;
    }
    std::ifstream in(child, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    e.data = ss.str();
    out.push_back(std::move(e));
  }
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<rarwriter::Entry> ReadList(const fs::path& list) {
  std::vector<rarwriter::Entry> out;
  std::istringstream lines(ReadFile(list));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      f.push_back(line.substr(start, tab - start));
    f.push_back(line.substr(start));
    rarwriter::Entry e;
    e.mtime = 1600000000;
    if (f.size() == 2 && f[0] == "d") {
      e.is_dir = true;
    } else if (f.size() == 3 && f[0] == "f") {
      e.data = ReadFile(fs::path(list).parent_path() / f[2]);
    } else if (f.size() == 3 && f[0] == "l") {
      e.is_link = true;
      e.data = f[2];
    } else {
      throw std::runtime_error("bad list line: " + line);
    }
    e.name = f[1];
    out.push_back(std::move(e));
  }
  return out;
}

int Usage() {
  std::cerr << "usage: rarwriter [--rar5] [--volume-size BYTES] [--old-names] [--oem-names]"
               " [--comment TEXT] (ARCHIVE.rar FOLDER | --list LIST ARCHIVE.rar)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  rarwriter::Options options;
  std::vector<std::string> args;
  std::string list;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--rar5") options.format = 5;
    else if (a == "--list" && i + 1 < argc) list = argv[++i];
    else if (a == "--old-names") options.old_volume_names = true;
    else if (a == "--oem-names") options.oem_names = true;
    else if (a == "--volume-size" && i + 1 < argc) options.volume_size = std::stoull(argv[++i]);
    else if (a == "--comment" && i + 1 < argc) options.comment = argv[++i];
    else if (a.rfind("--", 0) == 0) return Usage();
    else args.push_back(a);
  }
  if (list.empty() ? args.size() != 2 || !fs::is_directory(args[1]) : args.size() != 1) return Usage();
  try {
    std::vector<rarwriter::Entry> entries;
    if (list.empty()) Collect(args[1], args[1], entries);
    else entries = ReadList(list);
    for (const auto& v : rarwriter::Write(args[0], entries, options)) {
      std::ofstream out(v.name, std::ios::binary | std::ios::trunc);
      out << v.bytes;
      if (!out.flush()) {
        std::cerr << "rarwriter: cannot write " << v.name << "\n";
        return 1;
      }
      std::cout << v.name << "\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "rarwriter: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
