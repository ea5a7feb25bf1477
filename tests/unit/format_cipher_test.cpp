// MD5, Blowfish and the CFB-64 file cipher, against published vectors and an
// independent implementation.
#include "format/blowfish.h"
#include "format/cfb64.h"
#include "format/crypt_sink.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace kvx {
namespace {

std::string hex(const uint8_t* bytes, size_t n) {
  std::string out;
  char two[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, "%02x", bytes[i]);
    out += two;
  }
  return out;
}

std::vector<uint8_t> unhex(const std::string& text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

// Published Blowfish ECB vectors (8-byte keys).
TEST(Blowfish, EcbVectors) {
  const struct {
    const char *key, *plain, *cipher;
  } cases[] = {
      {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
      {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
      {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
      {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
      {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
      {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
      {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
  };
  for (const auto& c : cases) {
    auto key = unhex(c.key);
    Blowfish cipher(key.data(), key.size());
    auto block = unhex(c.plain);
    cipher.encryptBlock(block.data());
    EXPECT_EQ(hex(block.data(), 8), c.cipher) << "key " << c.key;

    uint32_t left = (block[0] << 24) | (block[1] << 16) | (block[2] << 8) | block[3];
    uint32_t right = (block[4] << 24) | (block[5] << 16) | (block[6] << 8) | block[7];
    cipher.decrypt(left, right);
    char plain[17];
    std::snprintf(plain, sizeof plain, "%08x%08x", left, right);
    EXPECT_STREQ(plain, c.plain) << "key " << c.key;
  }
}

TEST(PassPhraseKey, SevenByteKeyKeepsOnlyTheDigestPrefix) {
  auto full = passPhraseKey("secret", 16);
  auto cut = passPhraseKey("secret", 7);
  EXPECT_TRUE(std::equal(cut.begin(), cut.begin() + 7, full.begin()));
  EXPECT_TRUE(std::all_of(cut.begin() + 7, cut.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_NE(full[7] | full[8] | full[15], 0);  // the digest itself does go on
}

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t n) {
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

// Enciphers through a crypt sink, cut into puts at the given points.
std::vector<uint8_t> encipherInPieces(const std::vector<uint8_t>& plain, const char* phrase, int keyBytes,
                                      std::vector<size_t> cuts) {
  KvxCryptSink sink(phrase, keyBytes);
  struct Collect : KvxSink {
    std::vector<uint8_t> bytes;
    bool put(const void* data, int32_t n) override {
      auto* p = static_cast<const uint8_t*>(data);
      bytes.insert(bytes.end(), p, p + n);
      return KvxSink::put(data, n);
    }
  } collect;
  sink.setNext(&collect);
  cuts.push_back(plain.size());
  size_t at = 0;
  for (size_t cut : cuts) {
    EXPECT_TRUE(sink.put(plain.data() + at, static_cast<int32_t>(cut - at)));
    at = cut;
  }
  EXPECT_EQ(sink.bytesIn(), static_cast<int32_t>(plain.size()));
  EXPECT_EQ(sink.bytesOut(), static_cast<int32_t>(plain.size()));
  return collect.bytes;
}

TEST(Cfb64, SplitPointsDoNotChangeTheStream) {
  std::mt19937 random(7);
  auto plain = randomBytes(random, 10);
  auto whole = encipherInPieces(plain, "pass", 16, {});
  EXPECT_EQ(encipherInPieces(plain, "pass", 16, {3}), whole);
  EXPECT_EQ(encipherInPieces(plain, "pass", 16, {0, 1, 8, 9}), whole);
  EXPECT_EQ(encipherInPieces({0x41}, "pass", 16, {}).size(), 1u);
}

TEST(Cfb64, MatchesIndependentImplementation) {
  if (std::system("/usr/bin/python3 -c 'import Cryptodome' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3-pycryptodome is not installed";
  test::TempEnv env;
  std::mt19937 random(2024);
  const char* phrases[] = {"a", "correct horse battery staple", "\xc3\xa9t\xc3\xa9", "0123456789abcdefXYZ"};
  for (int round = 0; round < 8; ++round) {
    const size_t length = round == 0 ? 1 : random() % 5000 + 1;
    const int keyBytes = round % 2 ? 7 : 16;
    const char* phrase = phrases[round % 4];
    auto plain = randomBytes(random, length);
    std::vector<size_t> cuts;
    for (size_t at = random() % 20; at < length; at += random() % 700 + 1) cuts.push_back(at);
    auto ours = encipherInPieces(plain, phrase, keyBytes, cuts);

    test::writeFile(env.path("plain"), std::string(plain.begin(), plain.end()));
    std::string command = std::string("/usr/bin/python3 ") + KVX_SOURCE_DIR + "/tests/support/cfb_reference.py '" +
                          phrase + "' " + std::to_string(keyBytes) + " " + env.path("plain").string() + " " +
                          env.path("cipher").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(std::string(ours.begin(), ours.end()), test::readFile(env.path("cipher")))
        << "round " << round << " length " << length;

    std::vector<uint8_t> back(length);
    ASSERT_TRUE(kvxDecodeBuffer(ours.data(), back.data(), static_cast<int32_t>(length), phrase, keyBytes));
    EXPECT_EQ(back, plain);
  }
}

TEST(CryptSink, RefusesMissingPassPhraseOrLongKey) {
  EXPECT_FALSE(KvxCryptSink(nullptr, 16).ready());
  EXPECT_FALSE(KvxCryptSink("", 16).ready());
  EXPECT_FALSE(KvxCryptSink("x", 17).ready());
  KvxCryptSink notReady("", 16);
  EXPECT_FALSE(notReady.put("abc", 3));
  EXPECT_TRUE(KvxCryptSink("x", 7).ready());
}

TEST(KvxDecodeBuffer, RefusesBadArguments) {
  uint8_t in[4] = {1, 2, 3, 4}, out[4];
  EXPECT_FALSE(kvxDecodeBuffer(in, out, 4, nullptr, 16));
  EXPECT_FALSE(kvxDecodeBuffer(in, out, 4, "", 16));
  EXPECT_FALSE(kvxDecodeBuffer(nullptr, out, 4, "p", 16));
  EXPECT_FALSE(kvxDecodeBuffer(in, nullptr, 4, "p", 16));
  EXPECT_FALSE(kvxDecodeBuffer(in, out, 0, "p", 16));
  // A key length beyond 16 deciphers as 16.
  uint8_t as16[4], as40[4];
  ASSERT_TRUE(kvxDecodeBuffer(in, as16, 4, "p", 16));
  ASSERT_TRUE(kvxDecodeBuffer(in, as40, 4, "p", 40));
  EXPECT_EQ(0, std::memcmp(as16, as40, 4));
}

}  // namespace
}  // namespace kvx
