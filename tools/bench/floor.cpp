// The least work an installation of a package can do under Wine: its folders
// and files made, or removed, by the bare file calls and nothing else, so
// that tools/bench-install can set the installer's and the uninstaller's
// times against it.
//
//   bench_floor create ROOT FOLDERS FILES_PER_FOLDER BYTES
//   bench_floor delete ROOT FOLDERS FILES_PER_FOLDER
//
// The names are those of the benchmark's packages: ROOT\data\dNNN\fNNNN.bin,
// or ROOT\data\fNNNN.bin when there is one folder. ROOT's parent must exist.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/win32_handles.h"

namespace {

struct Tree {
  std::string root;
  long folders = 0;
  long perFolder = 0;

  std::string Data() const { return root + "\\data"; }
  std::string Folder(long d) const {
    if (folders == 1) return Data();
    char name[16];
    std::snprintf(name, sizeof name, "\\d%03ld", d);
    return Data() + name;
  }
  static std::string File(const std::string& folder, long i) {
    char name[16];
    std::snprintf(name, sizeof name, "\\f%04ld.bin", i);
    return folder + name;
  }
};

int Failed(const char* call, const std::string& path) {
  std::fprintf(stderr, "bench_floor: %s %s failed (error %lu)\n", call, path.c_str(), GetLastError());
  return 1;
}

bool MakeFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

int Create(const Tree& t, DWORD bytes) {
  // Filled once with bytes that no file system could compress or share.
  std::vector<char> buffer(bytes ? bytes : 1);
  unsigned seed = 2463534242u;
  for (char& c : buffer) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    c = static_cast<char>(seed);
  }
  for (const std::string& folder : {t.root, t.Data()}) {
    if (!MakeFolder(folder)) return Failed("CreateDirectoryA", folder);
  }
  for (long d = 0; d < t.folders; ++d) {
    const std::string folder = t.Folder(d);
    if (t.folders > 1 && !MakeFolder(folder)) return Failed("CreateDirectoryA", folder);
    for (long i = 0; i < t.perFolder; ++i) {
      const std::string path = Tree::File(folder, i);
      win32::UniqueFile file(
          CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return Failed("CreateFileA", path);
      DWORD written = 0;
      if (!WriteFile(file.get(), buffer.data(), bytes, &written, nullptr) || written != bytes) {
        return Failed("WriteFile", path);
      }
    }
  }
  return 0;
}

int Delete(const Tree& t) {
  for (long d = 0; d < t.folders; ++d) {
    const std::string folder = t.Folder(d);
    for (long i = 0; i < t.perFolder; ++i) {
      const std::string path = Tree::File(folder, i);
      if (!DeleteFileA(path.c_str())) return Failed("DeleteFileA", path);
    }
    if (t.folders > 1 && !RemoveDirectoryA(folder.c_str())) return Failed("RemoveDirectoryA", folder);
  }
  for (const std::string& folder : {t.Data(), t.root}) {
    if (!RemoveDirectoryA(folder.c_str())) return Failed("RemoveDirectoryA", folder);
  }
  return 0;
}

long Count(const char* text) {
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  return *text && *end == 0 && n >= 0 ? n : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool create = argc == 6 && std::strcmp(argv[1], "create") == 0;
  const bool remove = argc == 5 && std::strcmp(argv[1], "delete") == 0;
  Tree t;
  if (create || remove) {
    t.root = argv[2];
    t.folders = Count(argv[3]);
    t.perFolder = Count(argv[4]);
  }
  const long bytes = create ? Count(argv[5]) : 0;
  // Folder names have three digits and file names four.
  if ((!create && !remove) || t.root.empty() || t.folders < 1 || t.folders > 1000 || t.perFolder < 0 ||
      t.perFolder > 10000 || bytes < 0) {
    std::fprintf(stderr,
                 "usage: bench_floor create ROOT FOLDERS FILES_PER_FOLDER BYTES\n"
                 "       bench_floor delete ROOT FOLDERS FILES_PER_FOLDER\n");
    return 2;
  }
  return create ? Create(t, static_cast<DWORD>(bytes)) : Delete(t);
}
