#include "common/log_journal.h"

#include <cstdint>
#include <optional>

namespace journal {
namespace {

// Enough to tell a whole line from a torn or garbled one; not a defence
// against anyone who writes the file on purpose.
uint32_t Checksum(std::string_view text) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

void AppendEscaped(std::string& out, std::string_view field) {
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
}

std::optional<std::string> Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == field.size()) return std::nullopt;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

const char kHex[] = "0123456789abcdef";

std::string Hex8(uint32_t v) {
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = kHex[v & 15];
  return s;
}

std::optional<Entry> DecodeLine(std::string_view line) {
  // "xxxxxxxx " then the payload: op, section TAB key TAB value.
  if (line.size() < 11 || line[8] != ' ') return std::nullopt;
  std::string_view payload = line.substr(9);
  if (Hex8(Checksum(payload)) != line.substr(0, 8)) return std::nullopt;
  Entry e;
  if (payload[0] != '+' && payload[0] != '-') return std::nullopt;
  e.op = static_cast<Entry::Op>(payload[0]);
  std::string_view rest = payload.substr(1);
  size_t t1 = rest.find('\t');
  size_t t2 = t1 == std::string_view::npos ? t1 : rest.find('\t', t1 + 1);
  if (t2 == std::string_view::npos) return std::nullopt;
  auto section = Unescape(rest.substr(0, t1));
  auto key = Unescape(rest.substr(t1 + 1, t2 - t1 - 1));
  auto value = Unescape(rest.substr(t2 + 1));
  if (!section || !key || !value) return std::nullopt;
  e.section = std::move(*section);
  e.key = std::move(*key);
  e.value = std::move(*value);
  return e;
}

}  // namespace

std::string PathFor(std::string_view logPath) { return std::string(logPath) + ".journal"; }

std::string Encode(const Entry& entry) {
  std::string payload(1, static_cast<char>(entry.op));
  AppendEscaped(payload, entry.section);
  payload += '\t';
  AppendEscaped(payload, entry.key);
  payload += '\t';
  if (entry.op == Entry::Op::Write) AppendEscaped(payload, entry.value);
  return Hex8(Checksum(payload)) + " " + payload + "\r\n";
}

std::vector<Entry> Decode(std::string_view bytes) {
  std::vector<Entry> entries;
  size_t start = 0;
  for (;;) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) break;  // the last line never got its end
    std::optional<Entry> e = DecodeLine(bytes.substr(start, end - start));
    if (!e) break;
    entries.push_back(std::move(*e));
    start = end + 2;
  }
  return entries;
}

}  // namespace journal
