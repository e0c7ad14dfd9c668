// The account of a run (/LOG): a plain-text file with one line per step and
// per item, each appended and handed to the system as it happens, so that
// the file tells how far a run got even when it ended early. Both programs
// keep one; without /LOG nothing is written.
#pragma once

#include <string>
#include <string_view>

namespace runaccount {

// Creates the file (an existing one is continued). Throws EFCreateError.
void Open(const std::string& path);
bool IsOpen();
// One line: the local time, the text, CR LF. Line breaks inside the text
// become blanks. A write that fails is dropped: the account must never stop
// the run it describes.
void Note(std::string_view text);
void Close();

// The line as Note writes it, with the time given.
std::string FormatLine(std::string_view time, std::string_view text);

}  // namespace runaccount
