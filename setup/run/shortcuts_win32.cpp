#include "setup/run/shortcuts.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "common/wide_text.h"

#include "setup/run/shortcuts_plan.h"
#include "setup/run/system_utils.h"

namespace {

// Releases the interface it holds.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};


}  // namespace

int32_t CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& WorkDir,
                       const std::string& Arguments, const std::string& Description,
                       const std::string& IconFile) {
  ComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out());
  if (FAILED(hr)) return hr;
  link->SetPath(Target.c_str());
  link->SetWorkingDirectory(WorkDir.c_str());
  link->SetArguments(Arguments.c_str());
  link->SetDescription(Description.c_str());
  if (!IconFile.empty()) link->SetIconLocation(IconFile.c_str(), 0);
  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.out());
  if (FAILED(hr)) return hr;
  // The whole name is converted: a name cut to the buffer of a path would
  // save the link under another name than the log records.
  return file->Save(widetext::FromAnsi(LinkFile).c_str(), TRUE);
}

void CreatePackageShortcuts(const TIniFile32& setupIni, const std::string& section, const TInst& inst,
                            const std::string& installDir, bool desktop, bool programGroup,
                            TIniFile32* log) {
  if (!desktop && !programGroup) return;
  TShortcutActions actions;
  actions.CreateShortcut = [](const TShortcutItem& item, const std::string& linkFile) {
    CreateShortcut(item.Link, linkFile, item.WorkDir, item.Arguments, item.Description, item.IconFile);
  };
  actions.CreateFolders = ForceFolders;
  MakePackageShortcuts(ReadPackageShortcuts(setupIni, section, installDir, inst.SourcePath), inst, desktop,
                       programGroup, log, actions);
}
