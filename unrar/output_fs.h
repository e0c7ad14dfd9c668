// Where extracted members go. Paths are UTF-8; each platform has one
// implementation (local_output_posix.cpp, local_output_win32.cpp).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "unrar/rar_blocks.h"

namespace rar {

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* data, size_t size) = 0;
  // Gives the file the member's times through the open file, before Close:
  // cheaper than opening it again afterwards. False where it cannot.
  virtual bool SetTimes(const Member&) { return false; }
  virtual bool Close() = 0;
};

class OutputFs {
 public:
  virtual ~OutputFs() = default;
  virtual char Separator() const = 0;
  // Creates the folder and every missing folder above it; true when it exists afterwards.
  virtual bool MakeDirs(const std::string& path) = 0;
  // Creates or truncates a file; nothing when that fails.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;
  virtual void Remove(const std::string& path) = 0;
  // Copies an extracted file; false when the source is not there.
  virtual bool CopyExtracted(const std::string& from, const std::string& to) = 0;
  // Gives an extracted file or folder the member's times (unless `timesSet`)
  // and attributes.
  virtual void Finish(const std::string& path, const Member& m, bool timesSet = false) = 0;
};

std::unique_ptr<OutputFs> MakeLocalOutput();

}  // namespace rar
