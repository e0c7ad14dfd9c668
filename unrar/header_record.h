// Filling the published records from the portable core's results.
#pragma once

#include <cstdint>
#include <string>

#include "unrar/rar_blocks.h"
#include "unrar/unrar_api.h"

namespace rar {

// Fills everything but FileTime, which needs the platform's time zone, and
// the comment fields, which belong to the caller.
void FillHeaderData(const Member& m, const std::string& volume_name, RARHeaderData& out);

// The same for the extended record; its names are not cut at 259 characters
// and the member's carries the UTF-16 form, in which names outside code page
// 866 survive. ArcNameW is left empty for the platform to fill.
void FillHeaderDataEx(const Member& m, const std::string& volume_name, RARHeaderDataEx& out);

// Copies a comment into the caller's buffer: always zero-terminated, the size
// counts that zero; the state is 1, or kSmallBuffer when it was cut.
void CopyComment(const std::string& text, char* buffer, unsigned buffer_size, unsigned& size,
                 unsigned& state);

}  // namespace rar
