// Result codes of the library's published interface.
#pragma once

namespace rar {

enum Code : int {
  kSuccess = 0,
  kEndArchive = 10,
  kNoMemory = 11,
  kBadData = 12,
  kBadArchive = 13,
  kUnknownFormat = 14,
  kOpenError = 15,
  kCreateError = 16,
  kCloseError = 17,
  kReadError = 18,
  kWriteError = 19,
  kSmallBuffer = 20,
  kUnknown = 21,
  kMissingPassword = 22,
};

// Operations of RARProcessFile and open modes of RAROpenArchive.
enum Operation : int { kSkip = 0, kTest = 1, kExtract = 2 };
enum OpenMode : int { kModeList = 0, kModeExtract = 1 };

// Modes of the volume callback.
enum VolumeMode : int { kVolumeAsk = 0, kVolumeNotify = 1 };

}  // namespace rar
