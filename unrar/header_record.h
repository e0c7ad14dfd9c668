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

// Copies a comment into the caller's buffer: always zero-terminated, the size
// counts that zero; the state is 1, or kSmallBuffer when it was cut.
void CopyComment(const std::string& text, char* buffer, unsigned buffer_size, unsigned& size,
                 unsigned& state);

}  // namespace rar
