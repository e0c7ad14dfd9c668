#include "setup/extraction/RARArc.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "common/ansi.h"
#include "common/timing.h"
#include "common/win32_handles.h"
#include "unrar/rar_codes.h"

namespace {

// The component whose Extract is running: the library's callbacks carry no
// context of their own, so this is how they find it. One extraction at a time.
TRAR* g_current = nullptr;

constexpr unsigned kCommentBufferSize = 65535;

template <class F>
F Bind(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return ansi::UpperCase(a) < ansi::UpperCase(b);
}

}  // namespace

struct TRAR::Library {
  explicit Library(const char* name) : module(LoadLibraryA(name)) {
    if (!module.get()) return;
    Open = Bind<decltype(Open)>(module.get(), "RAROpenArchive");
    Close = Bind<decltype(Close)>(module.get(), "RARCloseArchive");
    ReadHeader = Bind<decltype(ReadHeader)>(module.get(), "RARReadHeader");
    Process = Bind<decltype(Process)>(module.get(), "RARProcessFile");
    SetChangeVolProc = Bind<decltype(SetChangeVolProc)>(module.get(), "RARSetChangeVolProc");
    SetProcessDataProc = Bind<decltype(SetProcessDataProc)>(module.get(), "RARSetProcessDataProc");
    SetPassword = Bind<decltype(SetPassword)>(module.get(), "RARSetPassword");
    ReadHeaderEx = Bind<decltype(ReadHeaderEx)>(module.get(), "RARReadHeaderEx");
  }
  bool Complete() const {
    return module.get() && Open && Close && ReadHeader && Process && SetChangeVolProc &&
           SetProcessDataProc && SetPassword;
  }

  win32::UniqueModule module;
  HANDLE(__stdcall* Open)(RAROpenArchiveData*) = nullptr;
  int(__stdcall* Close)(HANDLE) = nullptr;
  int(__stdcall* ReadHeader)(HANDLE, RARHeaderData*) = nullptr;
  int(__stdcall* Process)(HANDLE, int, char*, char*) = nullptr;
  void(__stdcall* SetChangeVolProc)(HANDLE, CHANGEVOLPROC) = nullptr;
  void(__stdcall* SetProcessDataProc)(HANDLE, PROCESSDATAPROC) = nullptr;
  void(__stdcall* SetPassword)(HANDLE, char*) = nullptr;
  // Optional: libraries without it give names in the OEM code page only.
  int(__stdcall* ReadHeaderEx)(HANDLE, RARHeaderDataEx*) = nullptr;
};

namespace {

// An open archive of the library; closed on every way out, events that throw included.
class ArchiveHandle {
 public:
  ArchiveHandle(HANDLE h, int(__stdcall* close)(HANDLE)) : h_(h), close_(close) {}
  ~ArchiveHandle() {
    if (h_) close_(h_);
  }
  ArchiveHandle(const ArchiveHandle&) = delete;
  ArchiveHandle& operator=(const ArchiveHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
  int(__stdcall* close_)(HANDLE);
};

// Restores the previous slot, so that an extraction started from inside an
// event (through the message pump) does not orphan the one around it.
class CurrentComponent {
 public:
  explicit CurrentComponent(TRAR* rar) : previous_(g_current) { g_current = rar; }
  ~CurrentComponent() { g_current = previous_; }
  CurrentComponent(const CurrentComponent&) = delete;
  CurrentComponent& operator=(const CurrentComponent&) = delete;

 private:
  TRAR* previous_;
};

// The member codes after which the library has moved past the member, so
// the next one can be extracted: bad data, a kind of member it refuses (a
// link, an unknown method), a file it cannot create, a missing password.
bool MemberOnlyFailure(int code) {
  return code == rar::kBadData || code == rar::kUnknownFormat || code == rar::kCreateError ||
         code == rar::kMissingPassword;
}

void CopyCut(const char* from, char* to, size_t size) {
  const size_t n = strnlen(from, size - 1);
  std::memcpy(to, from, n);
  to[n] = '\0';
}

}  // namespace

TRAR::TRAR(void* owner, const char* libraryName) : Owner(owner) {
  library_ = std::make_unique<Library>(libraryName);
  loaded_ = library_->Complete();
}

TRAR::~TRAR() {
  if (g_current == this) g_current = nullptr;
}

void TRAR::SetFilesToExtract(const std::vector<std::string>& names) {
  filesToExtract_ = names;
  std::stable_sort(filesToExtract_.begin(), filesToExtract_.end(), LessIgnoringCase);
}

bool TRAR::Listed(const std::string& name) const {
  return std::binary_search(filesToExtract_.begin(), filesToExtract_.end(), name, LessIgnoringCase);
}

void TRAR::RaiseError(int code) {
  if (OnError) OnError(this, code);
}

int __stdcall TRAR::VolumeCallback(char* arcName, int mode) {
  TRAR* rar = g_current;
  if (!rar || !rar->OnVolumeChange || rar->pending_) return -1;
  try {
    return rar->OnVolumeChange(rar, arcName, mode);
  } catch (...) {
    rar->pending_ = std::current_exception();
    return -1;
  }
}

int __stdcall TRAR::DataCallback(unsigned char* addr, int size) {
  TRAR* rar = g_current;
  if (!rar || !rar->OnProcessData || rar->pending_) return -1;
  // Saturates rather than turning negative on members beyond 2 GB.
  int64_t position = int64_t{rar->ExtractPosition} + (size > 0 ? size : 0);
  rar->ExtractPosition = static_cast<int32_t>(std::min<int64_t>(position, INT32_MAX));
  try {
    return rar->OnProcessData(rar, reinterpret_cast<char*>(addr), size, rar->ExtractPosition);
  } catch (...) {
    rar->pending_ = std::current_exception();
    return -1;
  }
}

int TRAR::ReadHeader(HANDLE archive, RARHeaderData& header) {
  currentNameW_.clear();
  if (!library_->ReadHeaderEx) return library_->ReadHeader(archive, &header);
  // Room to spare: a library of a later version may fill a longer record.
  struct {
    RARHeaderDataEx ex;
    unsigned spare[1024];
  } record{};
  record.ex.CmtBuf = header.CmtBuf;
  record.ex.CmtBufSize = header.CmtBufSize;
  const int read = library_->ReadHeaderEx(archive, &record.ex);
  if (read != rar::kSuccess) return read;
  const RARHeaderDataEx& ex = record.ex;
  CopyCut(ex.ArcName, header.ArcName, sizeof header.ArcName);
  CopyCut(ex.FileName, header.FileName, sizeof header.FileName);
  header.Flags = ex.Flags;
  header.PackSize = ex.PackSizeHigh ? 0xFFFFFFFFu : ex.PackSize;
  header.UnpSize = ex.UnpSizeHigh ? 0xFFFFFFFFu : ex.UnpSize;
  header.HostOS = ex.HostOS;
  header.FileCRC = ex.FileCRC;
  header.FileTime = ex.FileTime;
  header.UnpVer = ex.UnpVer;
  header.Method = ex.Method;
  header.FileAttr = ex.FileAttr;
  header.CmtSize = ex.CmtSize;
  header.CmtState = ex.CmtState;
  const size_t room = sizeof ex.FileNameW / sizeof *ex.FileNameW;
  currentNameW_.assign(ex.FileNameW, wcsnlen(ex.FileNameW, room));
  return 0;
}

int TRAR::Process(HANDLE archive, int operation, char* destPath) {
  pending_ = nullptr;
  const int code = library_->Process(archive, operation, destPath, nullptr);
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  return code;
}

bool TRAR::Extract() {
  endCode_ = 0;
  if (!loaded_) {
    endCode_ = kErrorNotLoaded;
    RaiseError(kErrorNotLoaded);
    return false;
  }
  if (ArchiveName.empty()) {
    endCode_ = rar::kBadArchive;
    RaiseError(rar::kBadArchive);
    return false;
  }
  bool result = true;
  CurrentComponent current(this);
  Library& lib = *library_;

  RAROpenArchiveData open{};
  open.ArcName = ArchiveName.data();
  open.OpenMode = rar::kModeExtract;
  open.CmtBuf = comment_->CmtBuf;
  open.CmtBufSize = kCommentBufferSize;
  ArchiveHandle archive(lib.Open(&open), lib.Close);
  comment_->CmtLength = open.CmtSize;
  std::string destination = TargetDir;
  char* destPath = destination.empty() ? nullptr : destination.data();

  if (open.OpenResult != rar::kSuccess) {
    endCode_ = static_cast<int>(open.OpenResult);
    RaiseError(endCode_);
    return false;
  }
  if (open.CmtState == 1 && OnComment) OnComment(this, *comment_);
  if (OnVolumeChange) lib.SetChangeVolProc(archive.get(), &TRAR::VolumeCallback);
  if (OnProcessData) lib.SetProcessDataProc(archive.get(), &TRAR::DataCallback);

  for (;;) {
    RARHeaderData header{};
    header.CmtBuf = comment_->CmtBuf;
    header.CmtBufSize = kCommentBufferSize;
    pending_ = nullptr;
    int read;
    {
      TIMED("setup: library ReadHeader");
      read = ReadHeader(archive.get(), header);  // may ask for a volume
    }
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    if (read != rar::kSuccess) {
      if (read == rar::kBadData) RaiseError(rar::kBadData);
      // The end of the archive is the normal way out; anything else cut it short.
      if (read != rar::kEndArchive) endCode_ = read;
      return result;
    }
    const std::string name(header.FileName, strnlen(header.FileName, sizeof header.FileName));
    if (Stop) {
      Stop = false;
      return result;
    }
    if (!filesToExtract_.empty() && !Listed(name)) {
      const int skipped = Process(archive.get(), rar::kSkip, nullptr);
      if (skipped != rar::kSuccess) {
        endCode_ = skipped;
        RaiseError(skipped);
        return false;
      }
      continue;
    }
    if (OnExtracting) OnExtracting(this, header);
    ExtractPosition = 0;
    if ((header.Flags & RHDF_ENCRYPTED) && OnReqPassword) {
      std::string password;
      OnReqPassword(this, header, password);
      if (!password.empty()) lib.SetPassword(archive.get(), password.data());
    }
    int code;
    {
      TIMED("setup: library ProcessFile");
      code = Process(archive.get(), rar::kExtract, destPath);
    }
    if (OnExtract) OnExtract(this, header, code == rar::kSuccess);
    if (code != rar::kSuccess) {
      result = false;
      RaiseError(code);
      if (!MemberOnlyFailure(code)) {
        endCode_ = code;
        return result;
      }
    }
  }
}
