#include "unrar/rar_archive.h"

#include <algorithm>
#include <vector>

#include "common/timing.h"
#include "unrar/codepage.h"
#include "unrar/crc32.h"
#include "unrar/member_path.h"
#include "unrar/rar_codes.h"

namespace rar {
namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr unsigned kMaxVolumes = 100000;
constexpr unsigned kMaxVolumeAsks = 1000;
constexpr uint64_t kMaxComment = 1 << 20;
// Blocks looked at after the main header when searching for the comment.
constexpr int kCommentSearch = 16;

}  // namespace

int Archive::Open(const std::string& name, int mode) {
  mode_ = mode;
  return OpenVolume(name, true);
}

int Archive::OpenVolume(const std::string& name, bool first) {
  std::unique_ptr<ByteSource> src = opener_.Open(name);
  if (!src) return kOpenError;
  Signature sig = FindSignature(*src);
  if (sig.code) return sig.code;
  if (!first && sig.format != format_) return kBadArchive;
  Block main;
  if (ReadBlock(*src, sig.format, sig.first_block, main) != kSuccess) return kBadArchive;
  if (main.type == BlockType::kEncryption || main.headers_encrypted) return kMissingPassword;
  if (main.type != BlockType::kMain) return kBadArchive;

  format_ = sig.format;
  is_volume_ = main.volume;
  new_numbering_ = main.new_numbering;
  volume_ = std::move(src);
  volume_name_ = name;
  if (first) sequence_name_ = name;
  opened_.insert(name);
  next_ = main.next;
  finished_ = false;
  ++volumes_opened_;
  if (!first) return kSuccess;

  if (main.has_old_comment) {
    comment_state_ = kUnknownFormat;  // the old packed form inside the main header
    return kSuccess;
  }
  uint64_t pos = next_;
  for (int i = 0; i < kCommentSearch; ++i) {
    Block b;
    if (ReadBlock(*volume_, format_, pos, b) != kSuccess) break;
    if (b.type == BlockType::kFile || b.type == BlockType::kEnd) break;
    if (b.type == BlockType::kService && b.member.name == "CMT") {
      comment_state_ = ReadComment(b);
      break;
    }
    pos = b.next;
  }
  return kSuccess;
}

int Archive::ReadComment(const Block& block) {
  const Member& m = block.member;
  if (m.encrypted) return kMissingPassword;
  if (!m.stored) return kUnknownFormat;
  if (m.pack_size > kMaxComment) return kBadData;
  std::string text(static_cast<size_t>(m.pack_size), '\0');
  if (!volume_->ReadAt(block.data_offset, text.data(), text.size())) return kBadData;
  if (m.has_crc && Crc32(0, text.data(), text.size()) != m.crc) return kBadData;
  comment_ = format_ == Format::kRar5 ? OemFromUtf8(text) : text;
  return 1;
}

int Archive::NextVolume(bool ask) {
  if (volumes_opened_ >= kMaxVolumes) return kBadArchive;
  // Names follow the set's own sequence even when the caller pointed at a
  // volume elsewhere, so one moved volume does not derail the rest.
  const std::string expected = NextVolumeName(sequence_name_, new_numbering_);
  std::string name = expected;
  for (unsigned asks = 0;; ++asks) {
    // A volume already read cannot come again: that would be an endless chain.
    int r = opened_.count(name) ? kOpenError : OpenVolume(name, false);
    if (r == kSuccess) {
      sequence_name_ = expected;
      std::string shown = name;
      if (on_volume_ && on_volume_(shown, kVolumeNotify) <= 0) return kOpenError;
      return kSuccess;
    }
    if (r != kOpenError) return r;
    if (!ask || !on_volume_ || asks >= kMaxVolumeAsks) return kOpenError;
    if (on_volume_(name, kVolumeAsk) <= 0) return kOpenError;
  }
}

int Archive::ReadHeader(Member& member) {
  TIMED("dll: ReadHeader");
  if (pending_) {
    pending_ = false;
    if (int r = SkipPending(pending_member_)) return r;
  }
  if (finished_) return kEndArchive;
  for (;;) {
    Block b;
    int r = ReadBlock(*volume_, format_, next_, b);
    if (r == kEndArchive) {
      // Some volumes end without an end-of-archive block: a following volume
      // that exists is read on, a missing one ends the set.
      if (is_volume_ && NextVolume(false) == kSuccess) continue;
      finished_ = true;
      return kEndArchive;
    }
    if (r) return r;
    next_ = b.next;
    switch (b.type) {
      case BlockType::kFile:
        pending_ = true;
        pending_member_ = b.member;
        pending_data_ = b.data_offset;
        member = b.member;
        return kSuccess;
      case BlockType::kEnd:
        if (b.more_volumes) {
          if (int v = NextVolume(true)) return v;
          continue;
        }
        finished_ = true;
        return kEndArchive;
      case BlockType::kEncryption:
        return kBadArchive;
      default:
        continue;
    }
  }
}

int Archive::NextPart(Member& part, uint64_t& data_offset) {
  if (int r = NextVolume(true)) return r;
  for (;;) {
    Block b;
    int r = ReadBlock(*volume_, format_, next_, b);
    if (r == kEndArchive) return kBadArchive;
    if (r) return r;
    next_ = b.next;
    if (b.type == BlockType::kEnd) return kBadArchive;
    if (b.type != BlockType::kFile) continue;
    if (!b.member.split_before || b.member.name != part.name) return kBadArchive;
    part = b.member;
    data_offset = b.data_offset;
    return kSuccess;
  }
}

int Archive::SkipPending(const Member& m) {
  Member part = m;
  uint64_t data = 0;
  while (part.split_after)
    if (int r = NextPart(part, data)) return r;
  return kSuccess;
}

int Archive::ProcessFile(int operation, const char* dest_path, const char* dest_name) {
  if (!pending_) return kUnknown;
  pending_ = false;
  const Member m = pending_member_;
  if (operation == kSkip || mode_ != kModeExtract) return SkipPending(m);
  if (operation != kTest && operation != kExtract) {
    SkipPending(m);
    return kUnknown;
  }
  return Extract(m, pending_data_, operation, dest_path, dest_name);
}

int Archive::Extract(const Member& m, uint64_t data_offset, int operation, const char* dest_path,
                     const char* dest_name) {
  // Every refusal still moves past the member, so that the next one works.
  auto refuse = [&](int code) {
    int r = SkipPending(m);
    return r ? r : code;
  };
  std::string path;
  std::string parent;
  std::string base;
  if (operation == kExtract) {
    if (!output_) return refuse(kCreateError);
    const char sep = output_->Separator();
    if (dest_path && *dest_path) {
      base = Utf8FromOem(dest_path);
      if (base.back() != '/' && base.back() != '\\') base += sep;
    }
    auto under_base = [&](const std::string& name, std::string& out) {
      std::vector<std::string> parts;
      if (!SafeComponents(name, parts)) return false;
      out = base;
      for (size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, sep) : "") + parts[i];
      return true;
    };
    if (dest_name && *dest_name) {
      path = Utf8FromOem(dest_name);
    } else if (!under_base(m.name, path)) {
      return refuse(kCreateError);
    }
    if (!m.copy_of.empty()) {
      std::string source;
      if (!under_base(m.copy_of, source)) return refuse(kCreateError);
      size_t cut = path.find_last_of("/\\");
      if (int r = SkipPending(m)) return r;
      if (cut != std::string::npos && cut > 0 && !output_->MakeDirs(path.substr(0, cut))) return kCreateError;
      if (!output_->CopyExtracted(source, path)) return kCreateError;
      output_->Finish(path, m);
      return kSuccess;
    }
    size_t cut = path.find_last_of("/\\");
    if (cut != std::string::npos && cut > 0) parent = path.substr(0, cut);
  }
  if (m.split_before) return refuse(kBadArchive);  // its beginning is in an earlier volume
  if (m.is_dir) {
    if (int r = SkipPending(m)) return r;
    if (operation != kExtract) return kSuccess;
    if (!output_->MakeDirs(path)) return kCreateError;
    output_->Finish(path, m);
    return kSuccess;
  }
  if (m.is_link) return refuse(kUnknownFormat);
  if (!m.copy_of.empty()) return refuse(kSuccess);  // tested with the member it repeats
  if (m.encrypted) return refuse(kMissingPassword);
  if (!m.stored) return refuse(kUnknownFormat);

  std::unique_ptr<OutputFile> out;
  if (operation == kExtract) {
    {
      TIMED("dll: MakeDirs");
      if (!parent.empty() && !output_->MakeDirs(parent)) return refuse(kCreateError);
    }
    TIMED("dll: Create");
    out = output_->Create(path);
    if (!out) return refuse(kCreateError);
  }
  int r = CopyData(m, data_offset, out.get());
  if (out) {
    TIMED("dll: Close and Finish");
    const bool timesSet = r == kSuccess && out->SetTimes(m);
    bool closed = out->Close();
    out.reset();
    if (r == kSuccess && !closed) r = kWriteError;
    if (r != kSuccess) {
      output_->Remove(path);
      return r;
    }
    output_->Finish(path, m, timesSet);
  }
  return r;
}

int Archive::CopyData(const Member& m, uint64_t data_offset, OutputFile* out) {
  std::vector<unsigned char> buffer(kChunk);
  Member part = m;
  uint64_t offset = data_offset;
  uint64_t written = 0;
  uint32_t total_crc = 0;
  bool bad = false;
  for (;;) {
    uint64_t remaining = part.pack_size;
    uint32_t part_crc = 0;
    while (remaining > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kChunk));
      {
        TIMED("dll: read");
        if (!volume_->ReadAt(offset, buffer.data(), n)) return kBadData;  // cut short
      }
      {
        TIMED("dll: crc");
        part_crc = Crc32(part_crc, buffer.data(), n);
        total_crc = Crc32(total_crc, buffer.data(), n);
      }
      {
        TIMED("dll: write");
        if (out && !out->Write(buffer.data(), n)) return kWriteError;
      }
      TIMED("dll: data callback");
      if (on_data_ && on_data_(buffer.data(), n) < 0) return kUnknown;
      offset += n;
      remaining -= n;
      written += n;
    }
    if (!part.split_after) break;
    // A part that goes on in the next volume carries the checksum of its own piece.
    if (part.has_crc && part_crc != part.crc) bad = true;
    if (int r = NextPart(part, offset)) return r;
  }
  if (part.has_crc && total_crc != part.crc) bad = true;
  if (part.unp_size_known && written != part.unp_size) bad = true;
  return bad ? kBadData : kSuccess;
}

}  // namespace rar
