// An archive read the way the setup program's library reads it: through the
// library's own portable core, member by member, each one tested as it would
// be extracted, and its name judged as the library judges it before writing.
#pragma once

#include <string>
#include <vector>

#include "unrar/byte_source.h"

namespace author {

struct ScannedMember {
  std::string name;  // UTF-8, "/" between components
  bool isDir = false;
  bool isLink = false;  // a symbolic link or junction, which is never written
  int code = 0;          // the library's result for it; 0 when it extracts
  bool unsafe = false;   // a name the library never writes (absolute, "..", a device...)
  bool renamed = false;  // Windows stores it under another name (trailing dots or blanks)
  bool firstPartMissing = false;  // it begins in an earlier volume
};

struct ArchiveScan {
  int openCode = 0;  // 0 when the archive opened
  // 0 when every header was read to the end of the archive; otherwise what
  // stopped the reading there.
  int endCode = 0;
  std::string missingVolume;  // the volume the library asked for and did not find
  std::vector<std::string> volumes;  // the volumes read, the first one first
  std::vector<ScannedMember> members;
  bool Complete() const { return openCode == 0 && endCode == 0; }
};

// `path` is the first volume.
ArchiveScan ScanArchive(rar::VolumeOpener& opener, const std::string& path);

// Why the library gives a result code, in words.
std::string ResultText(int code);

}  // namespace author
