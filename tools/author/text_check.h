// How the bytes of a hand-written file reach the setup program's readers:
// in code page 1251, line by line. Editors save UTF-8, UTF-16, byte-order
// marks and bare LF line ends, and each shows up only on a user's machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/author/findings.h"

namespace author {

enum class TextKind { SetupIni, RegFile, Autorun };

enum class LineEnd { CrLf, Lf, Cr, None };

struct TextLine {
  std::string_view text;
  int number = 0;  // from 1
  LineEnd end = LineEnd::None;
};

// Lines end at CR, LF or the pair CR LF, as both readers split them, so the
// numbers are the ones the findings name.
std::vector<TextLine> SplitTextLines(std::string_view bytes);

// Reports the file's encoding and line ends. False when its bytes are no
// 8-bit text the reader can take at all (UTF-16 where it is not converted),
// so that reading further would only report what follows from that.
bool CheckText(std::string_view bytes, const std::string& file, TextKind kind, Findings& findings);

// At most `width` characters of UTF-8 text, marked when cut, for quoting.
std::string Excerpt(std::string_view utf8, size_t width = 48);

}  // namespace author
