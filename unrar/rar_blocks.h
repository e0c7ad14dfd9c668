// The block structure of both archive formats (1.5-4.x and 5.0): finding the
// signature and reading one block header at a time. Pure parsing: nothing is
// allocated beyond one header, whatever sizes the input declares.
#pragma once

#include <cstdint>
#include <string>

#include "unrar/byte_source.h"

namespace rar {

enum class Format { kRar4, kRar5 };

// A point in time in 100 ns ticks since 1601-01-01. Local when it came from
// a DOS date (format 4), universal otherwise.
struct MemberTime {
  bool present = false;
  bool local = false;
  uint64_t ticks = 0;
};

struct Member {
  std::string name;  // UTF-8, components separated by '/'
  uint64_t pack_size = 0;  // data bytes in this volume
  uint64_t unp_size = 0;
  bool unp_size_known = true;
  uint32_t crc = 0;
  bool has_crc = false;
  uint32_t attributes = 0;  // as stored, in the host system's own meaning
  unsigned host_os = 0;     // format 4 numbering: 0 MS-DOS, 1 OS/2, 2 Win32, 3 Unix ...
  bool host_windows = true;
  uint32_t dos_time = 0;    // format 4 only; 0 when the header has none
  MemberTime mtime, ctime, atime;
  unsigned unp_ver = 0;
  unsigned method = 0;      // format 4 numbering: 0x30 store .. 0x35 best
  bool is_dir = false;
  bool is_link = false;     // symbolic link or junction: never written
  std::string copy_of;      // hard link or file copy: the earlier member it repeats
  bool encrypted = false;
  bool solid = false;
  bool split_before = false;
  bool split_after = false;
  bool stored = false;
  // The sliding dictionary the member's data was packed with, in bytes.
  uint64_t dictionary = 0;
  // The BLAKE2sp hash of the unpacked data, when the header has one.
  bool has_blake2 = false;
  unsigned char blake2[32] = {};
};

enum class BlockType { kMain, kFile, kService, kEnd, kEncryption, kOther };

struct Block {
  BlockType type = BlockType::kOther;
  uint64_t data_offset = 0;  // first byte after the header
  uint64_t next = 0;         // first byte after the data
  // Main header.
  bool volume = false;
  bool new_numbering = false;
  bool headers_encrypted = false;
  bool solid = false;
  bool has_old_comment = false;
  // End of archive.
  bool more_volumes = false;
  // File and service headers.
  Member member;
};

// Where the signature is and which format follows it.
struct Signature {
  int code = 0;  // 0 found, otherwise a result code
  Format format = Format::kRar4;
  uint64_t first_block = 0;
};

// Looks for the signature at the start (or within a self-extracting stub).
Signature FindSignature(ByteSource& src);

// Reads the block header at offset. Returns 0, kEndArchive when offset is
// exactly the end of the volume, kBadData when the header checksum fails,
// kBadArchive for anything malformed or truncated.
int ReadBlock(ByteSource& src, Format format, uint64_t offset, Block& out);

// Converts a DOS date and time (local) to ticks.
uint64_t TicksFromDos(uint32_t dos);
uint32_t DosFromTicks(uint64_t ticks);
// The stored attributes as Windows attributes of the extracted item.
uint32_t WindowsAttributes(const Member& m);

}  // namespace rar
