// The context model (PPMd, variant H) and range decoder that compressed
// streams of unpack versions 29 and 36 switch to block by block.
#pragma once

#include <cstddef>
#include <memory>

namespace rar::unpack {

// Bytes for the range decoder; -1 when there are no more.
class ByteIn {
 public:
  virtual ~ByteIn() = default;
  virtual int Get() = 0;
};

class PpmdH {
 public:
  PpmdH();
  ~PpmdH();
  PpmdH(const PpmdH&) = delete;
  PpmdH& operator=(const PpmdH&) = delete;

  // Makes the model's memory exactly `bytes` large (the block header gives
  // it in megabytes); keeps the present memory when the size is the same.
  // False when it cannot be had or is above kMaxDictionary.
  bool Allocate(size_t bytes);
  bool Allocated() const;
  // A fresh model of this maximum order (2..255 after the caller's mapping).
  void Restart(int max_order);
  // (Re)starts the range decoder: reads its first bytes from `in`, which it
  // keeps for later symbols. False when the input is short.
  bool StartDecoder(ByteIn* in);
  // The next byte value 0..255, or -1 when the data is not valid (a model
  // that went wrong, input that ended).
  int DecodeSymbol();

 private:
  struct Model;
  std::unique_ptr<Model> model_;
};

}  // namespace rar::unpack
