#include "tools/rarwriter/rar_writer.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "unrar/codepage.h"
#include "unrar/blake2sp.h"
#include "unrar/crc32.h"

namespace rarwriter {
namespace {

constexpr char kMarker4[] = "Rar!\x1a\x07\x00";
constexpr char kMarker5[] = "Rar!\x1a\x07\x01\x00";

void Le(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void VInt(std::string& out, uint64_t v) {
  do {
    unsigned char b = v & 0x7F;
    v >>= 7;
    if (v) b |= 0x80;
    out += static_cast<char>(b);
  } while (v);
}

uint32_t Crc(std::string_view s) { return rar::Crc32(0, s.data(), s.size()); }

uint32_t DosTime(int64_t unix_time) {
  std::time_t t = static_cast<std::time_t>(unix_time);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  if (tm.tm_year < 80) return (1u << 21) | (1u << 16);
  return (static_cast<uint32_t>(tm.tm_year - 80) << 25) | (static_cast<uint32_t>(tm.tm_mon + 1) << 21) |
         (static_cast<uint32_t>(tm.tm_mday) << 16) | (static_cast<uint32_t>(tm.tm_hour) << 11) |
         (static_cast<uint32_t>(tm.tm_min) << 5) | (static_cast<uint32_t>(tm.tm_sec) / 2);
}

// Format 4 name field: the 866 form, and when that loses anything or the
// caller wants it, a zero and the Unicode form (every character as 16 bits).
std::string Rar4Name(const std::string& utf8, bool oem_only, bool& unicode) {
  std::string name = utf8;
  std::replace(name.begin(), name.end(), '/', '\\');
  std::string oem = rar::OemFromUtf8(name);
  unicode = !oem_only && rar::Utf8FromOem(oem) != name;
  if (!unicode) {
    bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
    unicode = !oem_only && !ascii;
  }
  if (!unicode) return oem;
  std::u16string units;
  for (char32_t cp : rar::DecodeUtf8(name)) {
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  std::string field = oem;
  field += '\0';
  field += '\0';  // high byte, unused by the 16-bit form
  for (size_t i = 0; i < units.size(); i += 4) {
    field += static_cast<char>(0xAA);  // four characters, each in full
    for (size_t j = i; j < std::min(units.size(), i + 4); ++j) Le(field, units[j], 2);
  }
  return field;
}

struct Part {
  const Entry* entry;
  uint64_t size;
  uint32_t crc;
  bool before, after;
  bool service = false;  // the comment
  // BLAKE2sp of the whole data for the last part, of the part's own bytes before it.
  std::string hash = {};
};

std::string Blake2(std::string_view s) {
  rar::Blake2sp h;
  h.Update(s.data(), s.size());
  unsigned char out[rar::Blake2sp::kDigestSize];
  h.Final(out);
  return std::string(reinterpret_cast<const char*>(out), sizeof out);
}

uint64_t UnpackedSize(const Entry& e) { return e.packed ? e.packed->unp_size : e.data.size(); }

class Writer {
 public:
  Writer(const Options& o) : o_(o) {}

  std::string Header(const Part& p) const { return o_.format == 4 ? Header4(p) : Header5(p); }

  std::string Start(size_t index) const {
    std::string v = o_.format == 4 ? std::string(kMarker4, 7) : std::string(kMarker5, 8);
    const bool volumes = o_.volume_size != 0;
    if (o_.format == 4) {
      uint16_t flags = 0;
      if (volumes) flags |= 0x0001 | (o_.old_volume_names ? 0 : 0x0010) | (index == 0 ? 0x0100 : 0);
      std::string h;
      h += '\x73';
      Le(h, flags, 2);
      Le(h, 13, 2);
      Le(h, 0, 2);
      Le(h, 0, 4);
      v += Seal4(h);
    } else {
      std::string body;
      VInt(body, 1);
      VInt(body, 0);
      VInt(body, volumes ? (index ? 0x0003 : 0x0001) : 0);
      if (volumes && index) VInt(body, index);
      v += Seal5(body);
    }
    return v;
  }

  std::string End(bool more) const {
    if (o_.format == 4) {
      std::string h;
      h += '\x7b';
      Le(h, more ? 0x0001 : 0, 2);
      Le(h, 7, 2);
      return Seal4(h);
    }
    std::string body;
    VInt(body, 5);
    VInt(body, 0);
    VInt(body, more ? 1 : 0);
    return Seal5(body);
  }

 private:
  static std::string Seal4(std::string typed) {  // typed: type byte onwards
    std::string h;
    Le(h, Crc(typed) & 0xFFFF, 2);
    return h + typed;
  }

  static std::string Seal5(const std::string& body) {
    std::string sized;
    VInt(sized, body.size());
    sized += body;
    std::string h;
    Le(h, Crc(sized), 4);
    return h + sized;
  }

  std::string Header4(const Part& p) const {
    const Entry& e = *p.entry;
    bool unicode = false;
    std::string name = p.service ? std::string("CMT") : Rar4Name(e.name, o_.oem_names, unicode);
    uint16_t flags = 0x8000;
    if (p.before) flags |= 0x01;
    if (p.after) flags |= 0x02;
    if (e.is_dir) flags |= 0xE0;
    if (unicode) flags |= 0x0200;
    if (e.packed) flags |= (e.packed->solid ? 0x10 : 0) | ((e.packed->dictionary_bits & 7) << 5);
    uint32_t attributes = e.attributes ? e.attributes : (e.is_dir ? 0x10 : 0x20);
    // A link is a member of a Unix host whose mode says so.
    if (e.is_link) attributes = 0xA1FF;
    std::string h;
    h += p.service ? '\x7a' : '\x74';
    Le(h, flags, 2);
    Le(h, 32 + name.size(), 2);
    Le(h, p.size, 4);
    Le(h, UnpackedSize(e), 4);
    h += static_cast<char>(e.is_link ? 3 : o_.oem_names ? 0 : 2);  // Unix, MS-DOS or Win32
    Le(h, p.crc, 4);
    Le(h, DosTime(e.mtime), 4);
    h += static_cast<char>(e.packed ? e.packed->version : 29);
    h += static_cast<char>(0x30 + (e.packed ? e.packed->method : 0));
    Le(h, name.size(), 2);
    Le(h, attributes, 4);
    h += name;
    if (h.size() + 2 > 0xFFFF) throw std::length_error("name too long: " + e.name);
    return Seal4(h);
  }

  std::string Header5(const Part& p) const {
    const Entry& e = *p.entry;
    const std::string name = p.service ? std::string("CMT") : e.name;
    uint64_t flags = 0x0002;
    if (p.before) flags |= 0x0008;
    if (p.after) flags |= 0x0010;
    // A link carries its target in a redirection record (type 5, Unix link).
    std::string extra;
    if (e.is_link && !p.service) {
      std::string record;
      VInt(record, 5);
      VInt(record, 1);
      VInt(record, 0);
      VInt(record, e.data.size());
      record += e.data;
      VInt(extra, record.size());
      extra += record;
    }
    if (!p.hash.empty() && !p.service) {
      std::string record;
      VInt(record, 2);
      VInt(record, 0);  // BLAKE2sp
      record += p.hash;
      VInt(extra, record.size());
      extra += record;
    }
    if (!extra.empty()) flags |= 0x0001;
    std::string body;
    VInt(body, p.service ? 3 : 2);
    VInt(body, flags);
    if (!extra.empty()) VInt(body, extra.size());
    VInt(body, p.size);
    VInt(body, (e.is_dir ? 0x0001 : 0) | (p.service ? 0 : 0x0002) | 0x0004);
    VInt(body, UnpackedSize(e));
    VInt(body, e.attributes ? e.attributes : (e.is_dir ? 0x10 : 0x20));
    if (!p.service) Le(body, static_cast<uint32_t>(e.mtime), 4);
    Le(body, p.crc, 4);
    uint64_t info = 0;  // algorithm 0, stored
    if (e.packed) {
      info = (e.packed->version == 70 ? 1 : 0) | (e.packed->solid ? 0x40 : 0) | (uint64_t{e.packed->method} << 7) |
             (uint64_t{e.packed->dictionary_bits} << 10);
    }
    VInt(body, info);
    VInt(body, 0);  // Windows
    VInt(body, name.size());
    body += name;
    body += extra;
    return Seal5(body);
  }

  const Options& o_;
};

std::string VolumeName(const std::string& base, size_t index, size_t count, const Options& o) {
  if (count == 1) return base;
  std::string stem = base;
  std::string ext = ".rar";
  if (stem.size() >= 4 && (stem.compare(stem.size() - 4, 4, ".rar") == 0 ||
                           stem.compare(stem.size() - 4, 4, ".RAR") == 0)) {
    ext = stem.substr(stem.size() - 4);
    stem.resize(stem.size() - 4);
  }
  if (o.format == 4 && o.old_volume_names) {
    if (index == 0) return stem + ext;
    const size_t n = index - 1;
    std::string suffix = ".";
    suffix += static_cast<char>('r' + n / 100);
    suffix += static_cast<char>('0' + (n / 10) % 10);
    suffix += static_cast<char>('0' + n % 10);
    return stem + suffix;
  }
  const size_t width = std::to_string(count).size();
  std::string number = std::to_string(index + 1);
  number.insert(0, width - number.size(), '0');
  return stem + ".part" + number + ext;
}

}  // namespace

std::vector<Volume> Write(const std::string& base_name, const std::vector<Entry>& entries,
                          const Options& options) {
  if (options.format != 4 && options.format != 5) throw std::invalid_argument("format");
  Writer w(options);
  std::vector<std::string> volumes{w.Start(0)};
  const size_t start_size = volumes[0].size();
  const size_t end_room = w.End(true).size();
  const uint64_t limit = options.volume_size;

  auto next_volume = [&] {
    volumes.back() += w.End(true);
    volumes.push_back(w.Start(volumes.size()));
  };

  Entry comment;
  // Format 4 keeps comments as bytes in the OEM code page, format 5 in UTF-8.
  comment.data = options.format == 4 ? rar::OemFromUtf8(options.comment) : options.comment;
  if (!options.comment.empty()) {
    Part p{&comment, comment.data.size(), Crc(comment.data), false, false, true};
    volumes.back() += w.Header(p) + comment.data;
  }

  for (const Entry& e : entries) {
    uint64_t done = 0;
    const std::string& data = e.packed ? e.packed->bytes : e.data;
    const uint32_t full_crc = e.packed ? e.packed->crc : Crc(data);
    bool first = true;
    for (;;) {
      const uint64_t left = data.size() - done;
      Part probe{&e, left, full_crc, !first, false};
      if (options.format == 5 && options.blake2 && !e.is_dir && !e.packed) probe.hash = std::string(32, '\0');
      const uint64_t header = w.Header(probe).size();
      uint64_t take = left;
      if (limit) {
        const uint64_t used = volumes.back().size() + end_room + header;
        const uint64_t room = used < limit ? limit - used : 0;
        if (room == 0 && volumes.back().size() > start_size) {
          next_volume();
          continue;
        }
        take = std::min<uint64_t>(left, std::max<uint64_t>(room, 1));
      }
      const bool last = take == left;
      std::string_view piece(data.data() + done, static_cast<size_t>(take));
      Part part{&e, take, last ? full_crc : Crc(piece), !first, !last};
      // The hash of packed data is not known here: packed members carry none.
      if (options.format == 5 && options.blake2 && !e.is_dir && !e.packed) part.hash = Blake2(last ? data : piece);
      volumes.back() += w.Header(part);
      volumes.back() += piece;
      done += take;
      first = false;
      if (last) break;
      next_volume();
    }
  }
  volumes.back() += w.End(false);

  std::vector<Volume> out;
  for (size_t i = 0; i < volumes.size(); ++i)
    out.push_back({VolumeName(base_name, i, volumes.size(), options), std::move(volumes[i])});
  return out;
}

}  // namespace rarwriter
