// BLAKE2sp against the published keyed test vectors (key 00..1f, input
// 00 01 02 ... of the given length) and unkeyed digests of larger inputs,
// fed whole and in awkward pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unrar/blake2sp.h"

namespace {

std::string Hex(const unsigned char* p, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += kDigits[p[i] >> 4];
    s += kDigits[p[i] & 15];
  }
  return s;
}

std::string Digest(const std::vector<unsigned char>& data, const std::vector<unsigned char>& key,
                   size_t piece) {
  rar::Blake2sp h(key.data(), key.size());
  for (size_t at = 0; at < data.size(); at += piece)
    h.Update(data.data() + at, std::min(piece, data.size() - at));
  unsigned char out[32];
  h.Final(out);
  return Hex(out, sizeof out);
}

std::vector<unsigned char> Counting(size_t n) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i);
  return v;
}

TEST(Blake2sp, PublishedKeyedVectors) {
  const auto key = Counting(32);
  const struct {
    size_t length;
    const char* hash;
  } kVectors[] = {
      {0, "715cb13895aeb678f6124160bff21465b30f4f6874193fc851b4621043f09cc6"},
      {1, "40578ffa52bf51ae1866f4284d3a157fc1bcd36ac13cbdcb0377e4d0cd0b6603"},
      {3, "8dbcc0589a3d17296a7a58e2f1eff0e2aa4210b58d1f88b86d7ba5f29dd3b583"},
      {32, "8aaa8d805c58881ff379fbd42c6bf6f14c6c73df8071b3b228981109ccc015f9"},
      {33, "91fdd262203916394740952bce72b64babb6f721344dee8250bf0e46f1ba188f"},
      {63, "e85594700e3922a1e8e41eb8b064e7ac6d949d13b5a34523e5a6beac03c8ab29"},
      {64, "1d3701a5661bd31ab20562bd07b74dd19ac8f3524b73ce7bc996b788afd2f317"},
      {65, "874e1938033d7d383597a2a65f58b554e41106f6d1d50e9ba0eb685f6b6da071"},
      {66, "93f2f3d69b2d36529556eccaf9f99adbe895e1572231e649b50584b5d7d08af8"},
      {254, "2b9158c722898e526d2cdd3fc088e9ffa79a9b73b7d2d24bc478e21cdb3b6763"},
      {255, "0c8a36597d7461c63a94732821c941856c668376606c86a52de0ee4104c615db"},
  };
  for (const auto& v : kVectors) {
    SCOPED_TRACE(v.length);
    for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, size_t{1000}})
      EXPECT_EQ(Digest(Counting(v.length), key, piece), v.hash) << piece;
  }
}

TEST(Blake2sp, UnkeyedDigestsOverManyRounds) {
  // An empty member's hash, and inputs that go round the eight leaves many
  // times and end part-way into a round.
  EXPECT_EQ(Digest({}, {}, 1), "dd0e891776933f43c7d032b08a917e25741f8aa9a12c12e1cac8801500f2ca4f");
  std::vector<unsigned char> k1(1024);
  for (size_t i = 0; i < k1.size(); ++i) k1[i] = static_cast<unsigned char>(i);
  std::vector<unsigned char> big(1000003);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7 + 3);
  for (size_t piece : {size_t{1}, size_t{511}, size_t{512}, size_t{513}, size_t{1} << 20}) {
    SCOPED_TRACE(piece);
    EXPECT_EQ(Digest(k1, {}, piece), "c9f79171d19c3703b7ebf9f762ce3fd24b302e2281f72da31a65014ff923c859");
    if (piece > 1) {
      EXPECT_EQ(Digest(big, {}, piece), "2e957f372e2e4eb8605b255cc9e0292ec5939503d72cad67817aae10f44c1bd2");
    }
  }
}

}  // namespace
