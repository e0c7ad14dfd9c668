// Prints what a shortcut file holds, one field a line, in the ANSI code page:
//   target=..., arguments=..., workdir=..., icon=<file>,<index>, description=...
// The tests read shortcuts through the system's own shell link object, so a
// shortcut that only looks right on disk does not pass.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/win32_handles.h"

namespace {

template <typename T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

std::wstring Widen(const char* s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
  return w;
}

void Print(const char* name, const char* value) {
  std::fwrite(name, 1, std::strlen(name), stdout);
  std::fputc('=', stdout);
  std::fwrite(value, 1, std::strlen(value), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lnk_reader FILE.lnk\n");
    return 2;
  }
  win32::ComScope com;
  if (!com.ok()) {
    std::fprintf(stderr, "lnk_reader: COM did not start\n");
    return 1;
  }
  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out()))) {
    std::fprintf(stderr, "lnk_reader: no shell link object\n");
    return 1;
  }
  ComRef<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, file.out())) ||
      FAILED(file.p->Load(Widen(argv[1]).c_str(), STGM_READ))) {
    std::fprintf(stderr, "lnk_reader: cannot load %s\n", argv[1]);
    return 1;
  }
  char text[INFOTIPSIZE + MAX_PATH] = {};
  WIN32_FIND_DATAA found{};
  if (FAILED(link.p->GetPath(text, MAX_PATH, &found, SLGP_RAWPATH))) text[0] = 0;
  Print("target", text);
  text[0] = 0;
  if (FAILED(link.p->GetArguments(text, sizeof text))) text[0] = 0;
  Print("arguments", text);
  text[0] = 0;
  if (FAILED(link.p->GetWorkingDirectory(text, MAX_PATH))) text[0] = 0;
  Print("workdir", text);
  text[0] = 0;
  int index = 0;
  if (FAILED(link.p->GetIconLocation(text, MAX_PATH, &index))) text[0] = 0;
  std::string icon = text;
  if (!icon.empty()) icon += "," + std::to_string(index);
  Print("icon", icon.c_str());
  text[0] = 0;
  if (FAILED(link.p->GetDescription(text, INFOTIPSIZE))) text[0] = 0;
  Print("description", text);
  return 0;
}
