// TRAR: the RAR archive component. Binds the extraction library by name,
// runs the header/process loop over one archive and turns the library's
// results and callbacks into events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "setup/extraction/extraction_progress.h"
#include "unrar/unrar_api.h"

struct TComment {
  uint32_t CmtLength = 0;
  char CmtBuf[65536] = {};
};

class TRAR;

using TProcessDataProcN = std::function<int(TRAR* Sender, char* Addr, int BlockSize, int Position)>;
using TChangeVolProcN = std::function<int(TRAR* Sender, char* ArcName, int Mode)>;
using TErrorProc = std::function<void(TRAR* Sender, int Error)>;
using TCommentProc = std::function<void(TRAR* Sender, TComment& Comment)>;
using TFileBeingExtracted = std::function<void(TRAR* Sender, RARHeaderData& eFile)>;
using TFileExtracted = std::function<void(TRAR* Sender, RARHeaderData& eFile, bool Result)>;
using TReqPassword = std::function<void(TRAR* Sender, RARHeaderData& eFile, std::string& Password)>;

class TRAR {
 public:
  // The component's own code: the library is missing or incomplete.
  static constexpr int kErrorNotLoaded = extraction::kLibraryNotLoaded;

  // libraryName exists for tests; the program always uses the default.
  explicit TRAR(void* Owner = nullptr, const char* libraryName = "UnRAR.dll");
  ~TRAR();
  TRAR(const TRAR&) = delete;
  TRAR& operator=(const TRAR&) = delete;

  // Extracts ArchiveName into TargetDir; see the events below.
  bool Extract();

  bool LoadedDLL() const { return loaded_; }
  // The current member's name in UTF-16 when the library gives it (through
  // its extended header), else empty: the short header's name is in the OEM
  // code page, which cannot spell every name an archive holds.
  const std::wstring& CurrentNameW() const { return currentNameW_; }
  // What ended the last Extract before the end of its archive: the open,
  // header or member code, or 0 when it reached the end or was stopped.
  int EndCode() const { return endCode_; }
  // Member names to extract (empty: all); kept sorted, compared ignoring case.
  const std::vector<std::string>& FilesToExtract() const { return filesToExtract_; }
  void SetFilesToExtract(const std::vector<std::string>& names);

  void* Owner = nullptr;
  std::string ArchiveName;
  std::string TargetDir;  // in the OEM code page
  bool Stop = false;

  TProcessDataProcN OnProcessData;
  TChangeVolProcN OnVolumeChange;
  TErrorProc OnError;
  TCommentProc OnComment;
  TFileBeingExtracted OnExtracting;
  TFileExtracted OnExtract;
  TReqPassword OnReqPassword;

 private:
  struct Library;
  static int __stdcall VolumeCallback(char* arcName, int mode);
  static int __stdcall DataCallback(unsigned char* addr, int size);
  void RaiseError(int code);
  int Process(HANDLE archive, int operation, char* destPath);
  int ReadHeader(HANDLE archive, RARHeaderData& header);
  bool Listed(const std::string& name) const;

  std::unique_ptr<Library> library_;
  bool loaded_ = false;
  std::vector<std::string> filesToExtract_;
  std::wstring currentNameW_;
  int endCode_ = 0;
  int32_t ExtractPosition = 0;
  // An exception from an event inside a library callback waits here: it
  // cannot travel through the library's frames, so it is thrown after the call.
  std::exception_ptr pending_;
  std::unique_ptr<TComment> comment_ = std::make_unique<TComment>();
};
