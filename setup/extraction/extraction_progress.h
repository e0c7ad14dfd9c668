// The arithmetic and texts of the extraction progress, apart from any window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace extraction {

// The archive component's own result: the extraction library is missing or
// lacks an entry point.
inline constexpr int kLibraryNotLoaded = 50;

// The overall progress (0..100) after `done` of `total` members: done * 100 / total,
// rounded to the nearest integer with halves to the even neighbour, kept
// within 0..100. With no total the bar keeps `current`.
int TotalPercent(int32_t done, int32_t total, int current);

// The question after a member that failed: its text and its caption.
std::string FailedFileText(std::string_view ansiName);
std::string_view FailedFileCaption();

}  // namespace extraction
