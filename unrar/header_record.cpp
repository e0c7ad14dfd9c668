#include "unrar/header_record.h"

#include <algorithm>
#include <cstring>

#include "unrar/codepage.h"
#include "unrar/rar_codes.h"

namespace rar {
namespace {

void CopyText(const std::string& text, char* out, size_t size) {
  std::memset(out, 0, size);
  std::memcpy(out, text.data(), std::min(text.size(), size - 1));
}

void CopyWide(const std::string& utf8, RarWideChar* out, size_t size) {
  std::memset(out, 0, size * sizeof *out);
  size_t n = 0;
  for (char32_t cp : DecodeUtf8(utf8)) {
    const size_t units = cp >= 0x10000 ? 2 : 1;
    if (n + units > size - 1) break;  // never half a pair
    if (units == 2) {
      out[n++] = static_cast<RarWideChar>(0xD800 + ((cp - 0x10000) >> 10));
      out[n++] = static_cast<RarWideChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out[n++] = static_cast<RarWideChar>(cp);
    }
  }
}

unsigned Flags(const Member& m) {
  unsigned flags = 0;
  if (m.split_before) flags |= RHDF_SPLITBEFORE;
  if (m.split_after) flags |= RHDF_SPLITAFTER;
  if (m.encrypted) flags |= RHDF_ENCRYPTED;
  if (m.solid) flags |= RHDF_SOLID;
  if (m.is_dir) flags |= RHDF_DIRECTORY;
  return flags;
}

std::string WindowsName(const std::string& utf8) {
  std::string name = utf8;
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

}  // namespace

// The fields both records share, apart from the sizes.
template <class Record>
void FillCommon(const Member& m, const std::string& volume_name, const std::string& oem_name, Record& out) {
  CopyText(volume_name, out.ArcName, sizeof out.ArcName);
  CopyText(oem_name, out.FileName, sizeof out.FileName);
  out.Flags = Flags(m);
  out.HostOS = m.host_os;
  out.FileCRC = m.crc;
  out.FileTime = m.dos_time;
  out.UnpVer = m.unp_ver;
  out.Method = m.method;
  out.FileAttr = m.attributes;
  out.CmtSize = 0;
  out.CmtState = 0;
}

void FillHeaderData(const Member& m, const std::string& volume_name, RARHeaderData& out) {
  FillCommon(m, volume_name, OemFromUtf8(WindowsName(m.name)), out);
  out.PackSize = static_cast<unsigned>(std::min<uint64_t>(m.pack_size, 0xFFFFFFFFu));
  out.UnpSize = static_cast<unsigned>(std::min<uint64_t>(m.unp_size, 0xFFFFFFFFu));
}

void FillHeaderDataEx(const Member& m, const std::string& volume_name, RARHeaderDataEx& out) {
  const std::string name = WindowsName(m.name);
  FillCommon(m, volume_name, OemFromUtf8(name), out);
  // The archive name is in the caller's code page, which only the platform knows.
  std::memset(out.ArcNameW, 0, sizeof out.ArcNameW);
  CopyWide(name, out.FileNameW, sizeof out.FileNameW / sizeof *out.FileNameW);
  out.PackSize = static_cast<unsigned>(m.pack_size);
  out.PackSizeHigh = static_cast<unsigned>(m.pack_size >> 32);
  out.UnpSize = static_cast<unsigned>(m.unp_size);
  out.UnpSizeHigh = static_cast<unsigned>(m.unp_size >> 32);
}

void CopyComment(const std::string& text, char* buffer, unsigned buffer_size, unsigned& size,
                 unsigned& state) {
  size = 0;
  state = 1;
  if (!buffer || buffer_size == 0) {
    state = text.empty() ? 1 : kSmallBuffer;
    return;
  }
  const size_t n = std::min<size_t>(text.size(), buffer_size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  size = static_cast<unsigned>(n + 1);
  if (n < text.size()) state = kSmallBuffer;
}

}  // namespace rar
