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

}  // namespace

void FillHeaderData(const Member& m, const std::string& volume_name, RARHeaderData& out) {
  CopyText(volume_name, out.ArcName, sizeof out.ArcName);
  std::string name = OemFromUtf8(m.name);
  std::replace(name.begin(), name.end(), '/', '\\');
  CopyText(name, out.FileName, sizeof out.FileName);
  unsigned flags = 0;
  if (m.split_before) flags |= RHDF_SPLITBEFORE;
  if (m.split_after) flags |= RHDF_SPLITAFTER;
  if (m.encrypted) flags |= RHDF_ENCRYPTED;
  if (m.solid) flags |= RHDF_SOLID;
  if (m.is_dir) flags |= RHDF_DIRECTORY;
  out.Flags = flags;
  out.PackSize = static_cast<unsigned>(std::min<uint64_t>(m.pack_size, 0xFFFFFFFFu));
  out.UnpSize = static_cast<unsigned>(std::min<uint64_t>(m.unp_size, 0xFFFFFFFFu));
  out.HostOS = m.host_os;
  out.FileCRC = m.crc;
  out.FileTime = m.dos_time;
  out.UnpVer = m.unp_ver;
  out.Method = m.method;
  out.FileAttr = m.attributes;
  out.CmtSize = 0;
  out.CmtState = 0;
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
