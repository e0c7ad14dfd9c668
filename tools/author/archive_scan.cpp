#include "tools/author/archive_scan.h"

#include "setup/extraction/member_names.h"
#include "unrar/codepage.h"
#include "unrar/member_path.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace author {
namespace {

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (char32_t cp : rar::DecodeUtf8(utf8)) {
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

}  // namespace

ArchiveScan ScanArchive(rar::VolumeOpener& opener, const std::string& path) {
  ArchiveScan scan;
  rar::Archive archive(opener, nullptr);
  archive.SetVolumeCallback([&](std::string& name, int mode) {
    if (mode == rar::kVolumeNotify) {
      scan.volumes.push_back(name);
      return 1;
    }
    // The setup program never points the library at a volume somewhere else.
    scan.missingVolume = name;
    return 0;
  });
  scan.openCode = archive.Open(path, rar::kModeExtract);
  if (scan.openCode != rar::kSuccess) return scan;
  scan.volumes.push_back(path);
  for (;;) {
    rar::Member m;
    int r = archive.ReadHeader(m);
    if (r == rar::kEndArchive) break;
    if (r != rar::kSuccess) {
      scan.endCode = r;
      break;
    }
    ScannedMember s;
    s.name = m.name;
    s.isDir = m.is_dir;
    s.isLink = m.is_link;
    s.firstPartMissing = m.split_before;
    std::vector<std::string> components;
    s.unsafe = !rar::SafeComponents(m.name, components);
    if (!s.unsafe) {
      if (auto parts = membernames::Components(Utf16(m.name))) {
        for (const std::u16string& part : *parts) s.renamed = s.renamed || membernames::StoredUnderAnotherName(part);
      }
    }
    s.code = archive.ProcessFile(rar::kTest, nullptr, nullptr);
    scan.members.push_back(s);
    // As for the setup program, only a failure of the member's own data lets
    // the reading go on with the next member.
    const bool memberOnly = s.code == rar::kBadData || s.code == rar::kUnknownFormat ||
                            s.code == rar::kCreateError || s.code == rar::kMissingPassword;
    if (s.code != rar::kSuccess && !memberOnly) {
      scan.endCode = s.code;
      break;
    }
  }
  return scan;
}

std::string ResultText(int code) {
  switch (code) {
    case rar::kSuccess: return "no error";
    case rar::kNoMemory: return "not enough memory";
    case rar::kBadData: return "damaged data (a checksum does not match, or the data is cut short)";
    case rar::kBadArchive: return "the archive is damaged";
    case rar::kUnknownFormat: return "a method or form the library does not extract";
    case rar::kOpenError: return "the archive or its next volume cannot be opened";
    case rar::kCreateError: return "the file cannot be created";
    case rar::kCloseError: return "the file cannot be closed";
    case rar::kReadError: return "a read error";
    case rar::kWriteError: return "a write error";
    case rar::kMissingPassword: return "it is encrypted, and the setup program has no password";
    default: return "result code " + std::to_string(code);
  }
}

}  // namespace author
