// One open archive (or volume set): the state behind a handle of the
// published interface, with no platform code of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "unrar/byte_source.h"
#include "unrar/output_fs.h"
#include "unrar/rar_blocks.h"
#include "unrar/unpack/decoder.h"

namespace rar {

class Archive {
 public:
  // (name, mode): may rewrite name when asked for a missing volume;
  // a result of 0 or below stops.
  using VolumeCallback = std::function<int(std::string& name, int mode)>;
  // (data, size): a negative result cancels.
  using DataCallback = std::function<int(const unsigned char* data, size_t size)>;

  Archive(VolumeOpener& opener, OutputFs* output) : opener_(opener), output_(output) {}

  // Opens the first volume, reads the main header and the archive comment.
  int Open(const std::string& name, int mode);

  // State of the comment: 0 none, 1 read, or a result code when it exists but cannot be read.
  int CommentState() const { return comment_state_; }
  const std::string& Comment() const { return comment_; }
  const std::string& VolumeName() const { return volume_name_; }
  Format format() const { return format_; }
  bool IsVolume() const { return is_volume_; }
  bool IsSolid() const { return solid_; }
  bool NewNumbering() const { return new_numbering_; }

  // Reads the next member header; kEndArchive after the last one.
  int ReadHeader(Member& member);
  // Skips, tests or extracts the member of the last header. dest_path and
  // dest_name are in the OEM code page, either may be null.
  int ProcessFile(int operation, const char* dest_path, const char* dest_name);

  void SetVolumeCallback(VolumeCallback cb) { on_volume_ = std::move(cb); }
  void SetDataCallback(DataCallback cb) { on_data_ = std::move(cb); }
  void SetPassword(std::string password) { password_ = std::move(password); }

 private:
  int OpenVolume(const std::string& name, bool first);
  int NextVolume(bool ask);
  int ReadComment(const Block& block);
  // Moves past a member that is not extracted; in a solid archive its data
  // is still decoded, since the members after it go on from it.
  int SkipPending(const Member& m, uint64_t data_offset);
  // Moves past the member's parts in later volumes without reading them.
  int SkipParts(const Member& m);
  int NextPart(Member& part, uint64_t& data_offset);
  // Why the member's data cannot be decoded now (0 when it can).
  int CannotDecode(const Member& m);
  // Copies or decodes the member's data into out (null: only checked);
  // report_data passes it to the data callback too; moved tells whether the
  // archive could be read on past the member.
  int Unpack(const Member& m, uint64_t data_offset, OutputFile* out, bool report_data, int* moved = nullptr);
  int Extract(const Member& m, uint64_t data_offset, int operation, const char* dest_path,
              const char* dest_name);

  VolumeOpener& opener_;
  OutputFs* output_;
  VolumeCallback on_volume_;
  DataCallback on_data_;
  std::string password_;

  std::unique_ptr<ByteSource> volume_;
  std::string volume_name_;
  std::string sequence_name_;
  std::set<std::string> opened_;
  Format format_ = Format::kRar4;
  int mode_ = 0;
  bool is_volume_ = false;
  bool new_numbering_ = false;
  uint64_t next_ = 0;
  bool finished_ = false;
  unsigned volumes_opened_ = 0;

  bool solid_ = false;
  // The decoder of the last compressed member, kept for the solid members
  // after it; ready when it decoded that member completely.
  std::unique_ptr<unpack::Decoder> decoder_;
  unsigned decoder_version_ = 0;
  bool decoder_ready_ = false;

  bool pending_ = false;
  Member pending_member_;
  uint64_t pending_data_ = 0;

  std::string comment_;
  int comment_state_ = 0;
};

}  // namespace rar
