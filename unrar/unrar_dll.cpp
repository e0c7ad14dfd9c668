// The entry points of the published interface over the portable core.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <memory>
#include <new>

#include "unrar/header_record.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"
#include "unrar/unrar_api.h"

namespace {

// Room the volume callback may write a new volume name into.
constexpr size_t kVolumeNameRoom = 2048;

struct ArchiveHandle {
  rar::FileVolumeOpener opener;
  std::unique_ptr<rar::OutputFs> output = rar::MakeLocalOutput();
  rar::Archive archive{opener, output.get()};
  CHANGEVOLPROC change_vol = nullptr;
  PROCESSDATAPROC process_data = nullptr;
};

ArchiveHandle* FromHandle(HANDLE h) { return static_cast<ArchiveHandle*>(h); }

uint32_t DosTime(const rar::Member& m) {
  if (m.dos_time || !m.mtime.present) return m.dos_time;
  FILETIME utc, local;
  utc.dwLowDateTime = static_cast<DWORD>(m.mtime.ticks);
  utc.dwHighDateTime = static_cast<DWORD>(m.mtime.ticks >> 32);
  if (m.mtime.local) local = utc;
  else if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  WORD date = 0, time = 0;
  if (!FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return (static_cast<uint32_t>(date) << 16) | time;
}

// Reads the next header and fills the caller's record of either kind; no
// exception may cross into the caller.
template <class Record, class Fill>
int ReadHeaderInto(HANDLE h, Record* header, Fill fill) {
  if (!h || !header) return rar::kUnknown;
  try {
    rar::Member m;
    int r = FromHandle(h)->archive.ReadHeader(m);
    if (r != rar::kSuccess) return r;
    fill(m);
    header->FileTime = DosTime(m);
    return rar::kSuccess;
  } catch (const std::bad_alloc&) {
    return rar::kNoMemory;
  } catch (...) {
    return rar::kUnknown;
  }
}

// Opens the archive for either kind of open record (both have the same
// result and comment fields).
template <class Record>
HANDLE OpenInto(const std::string& name, Record* data) {
  data->CmtSize = 0;
  data->CmtState = 0;
  try {
    auto handle = std::make_unique<ArchiveHandle>();
    int r = handle->archive.Open(name, static_cast<int>(data->OpenMode));
    data->OpenResult = static_cast<unsigned>(r);
    if (r != rar::kSuccess) return nullptr;
    const int state = handle->archive.CommentState();
    if (state == 1 && data->CmtBuf)
      rar::CopyComment(handle->archive.Comment(), data->CmtBuf, data->CmtBufSize, data->CmtSize,
                       data->CmtState);
    else if (state != 1)
      data->CmtState = static_cast<unsigned>(state);
    return handle.release();
  } catch (const std::bad_alloc&) {
    data->OpenResult = rar::kNoMemory;
  } catch (...) {
    data->OpenResult = rar::kUnknown;
  }
  return nullptr;
}

}  // namespace

extern "C" {

HANDLE __stdcall RAROpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  return OpenInto(data->ArcName ? data->ArcName : "", data);
}

HANDLE __stdcall RAROpenArchiveEx(RAROpenArchiveDataEx* data) {
  if (!data) return nullptr;
  data->Flags = 0;
  std::string name = data->ArcName ? data->ArcName : "";
  if (name.empty() && data->ArcNameW) {
    // Volumes are opened by their names in the ANSI code page.
    char narrow[kVolumeNameRoom] = {};
    WideCharToMultiByte(CP_ACP, 0, data->ArcNameW, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    name = narrow;
  }
  HANDLE h = OpenInto(name, data);
  if (!h) return nullptr;
  const rar::Archive& a = FromHandle(h)->archive;
  data->Flags = (a.IsVolume() ? ROADF_VOLUME : 0) | (a.CommentState() != 0 ? ROADF_COMMENT : 0) |
                (a.IsSolid() ? ROADF_SOLID : 0) | (a.NewNumbering() ? ROADF_NEWNUMBERING : 0);
  if (UNRARCALLBACK cb = data->Callback) {
    const long user = data->UserData;
    ArchiveHandle* handle = FromHandle(h);
    handle->archive.SetVolumeCallback([cb, user](std::string& volume, int mode) {
      char buffer[kVolumeNameRoom] = {};
      std::memcpy(buffer, volume.data(), std::min(volume.size(), kVolumeNameRoom - 1));
      int r = cb(UCM_CHANGEVOLUME, user, reinterpret_cast<long>(buffer), mode);
      if (mode == rar::kVolumeAsk) volume.assign(buffer, strnlen(buffer, kVolumeNameRoom));
      return r;
    });
    handle->archive.SetDataCallback([cb, user](const unsigned char* bytes, size_t size) {
      return cb(UCM_PROCESSDATA, user, reinterpret_cast<long>(bytes), static_cast<long>(size));
    });
  }
  return h;
}

int __stdcall RARCloseArchive(HANDLE h) {
  if (!h) return rar::kCloseError;
  delete FromHandle(h);
  return rar::kSuccess;
}

int __stdcall RARReadHeader(HANDLE h, RARHeaderData* header) {
  return ReadHeaderInto(h, header, [&](const rar::Member& m) {
    rar::FillHeaderData(m, FromHandle(h)->archive.VolumeName(), *header);
  });
}

int __stdcall RARReadHeaderEx(HANDLE h, RARHeaderDataEx* header) {
  return ReadHeaderInto(h, header, [&](const rar::Member& m) {
    rar::FillHeaderDataEx(m, FromHandle(h)->archive.VolumeName(), *header);
    MultiByteToWideChar(CP_ACP, 0, header->ArcName, -1, header->ArcNameW,
                        static_cast<int>(sizeof header->ArcNameW / sizeof *header->ArcNameW) - 1);
  });
}

int __stdcall RARProcessFile(HANDLE h, int operation, char* dest_path, char* dest_name) {
  if (!h) return rar::kUnknown;
  try {
    return FromHandle(h)->archive.ProcessFile(operation, dest_path, dest_name);
  } catch (const std::bad_alloc&) {
    return rar::kNoMemory;
  } catch (...) {
    return rar::kUnknown;
  }
}

void __stdcall RARSetChangeVolProc(HANDLE h, CHANGEVOLPROC proc) {
  if (!h) return;
  ArchiveHandle* a = FromHandle(h);
  a->change_vol = proc;
  if (!proc) {
    a->archive.SetVolumeCallback(nullptr);
    return;
  }
  a->archive.SetVolumeCallback([proc](std::string& name, int mode) {
    char buffer[kVolumeNameRoom] = {};
    std::memcpy(buffer, name.data(), name.size() < kVolumeNameRoom ? name.size() : kVolumeNameRoom - 1);
    int r = proc(buffer, mode);
    if (mode == rar::kVolumeAsk) name.assign(buffer, strnlen(buffer, kVolumeNameRoom));
    return r;
  });
}

void __stdcall RARSetProcessDataProc(HANDLE h, PROCESSDATAPROC proc) {
  if (!h) return;
  ArchiveHandle* a = FromHandle(h);
  a->process_data = proc;
  if (!proc) {
    a->archive.SetDataCallback(nullptr);
    return;
  }
  a->archive.SetDataCallback([proc](const unsigned char* data, size_t size) {
    return proc(const_cast<unsigned char*>(data), static_cast<int>(size));
  });
}

void __stdcall RARSetPassword(HANDLE h, char* password) {
  if (!h) return;
  FromHandle(h)->archive.SetPassword(password ? password : "");
}

}  // extern "C"
