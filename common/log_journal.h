// The journal beside install.log: what the setup program has recorded since
// the log was last saved whole, one appended line per change, so that every
// record is on disk at a cost that does not grow with the log. At checkpoints
// the log is saved in one step and the journal starts afresh; after a killed
// installation the uninstaller reads both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace journal {

struct Entry {
  enum class Op : char { Write = '+', Remove = '-' };
  Op op = Op::Write;
  std::string section;
  std::string key;
  std::string value;  // Write only
  bool operator==(const Entry&) const = default;
};

// The journal that belongs to a log: the log's path + ".journal".
std::string PathFor(std::string_view logPath);

// One line of the journal, ending with CR LF. It carries a checksum, so that a
// line cut short or garbled by a power loss is recognised.
std::string Encode(const Entry& entry);

// The entries of a journal's bytes, in order, up to the first line that is
// incomplete or damaged: everything from there on is ignored.
std::vector<Entry> Decode(std::string_view bytes);

}  // namespace journal
