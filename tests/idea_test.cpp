// IDEA cipher: published known-answer vectors, key schedule, inverse.
#include "support/idea.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

void Words(uint64_t v, uint16_t* w, int n) {
  for (int i = n - 1; i >= 0; --i, v >>= 16) w[i] = static_cast<uint16_t>(v & 0xFFFF);
}

struct Vector {
  uint64_t key_hi, key_lo, plain, cipher;
};

// Published vectors: Lai's thesis and the long-standing reference set, the
// NESSIE sets.
const Vector kVectors[] = {
    {0x0001000200030004, 0x0005000600070008, 0x0000000100020003, 0x11FBED2B01986DE5},
    {0x0001000200030004, 0x0005000600070008, 0x0102030405060708, 0x540E5FEA18C2F8B1},
    {0x0001000200030004, 0x0005000600070008, 0x0019324B647D96AF, 0x9F0A0AB6E10CED78},
    {0x0001000200030004, 0x0005000600070008, 0xF5202D5B9C671B08, 0xCF18FD7355E2C5C5},
    {0x0001000200030004, 0x0005000600070008, 0xFAE6D2BEAA96826E, 0x85DF52005608193D},
    {0x0001000200030004, 0x0005000600070008, 0x0A141E28323C4650, 0x2F7DE750212FB734},
    {0x0001000200030004, 0x0005000600070008, 0x050A0F14191E2328, 0x7B7314925DE59C09},
    {0x0005000A000F0014, 0x0019001E00230028, 0x0102030405060708, 0x3EC04780BEFF6E20},
    {0x3A984E2000195DB3, 0x2EE501C8C47CEA60, 0x0102030405060708, 0x97BCD8200780DA86},
    {0x006400C8012C0190, 0x01F4025802BC0320, 0x05320A6414C819FA, 0x65BE87E7A2538AED},
    {0x9D4075C103BC322A, 0xFB03E7BE6AB30006, 0x0808080808080808, 0xF5DB1AC45E5EF9F9},
    {0x8000000000000000, 0x0000000000000000, 0x0000000000000000, 0xB1F5F7F87901370F},
    {0x4000000000000000, 0x0000000000000000, 0x0000000000000000, 0xB3927DFFB6358626},
    {0x0000000000000000, 0x0000000000000000, 0x0000000000000000, 0x0001000100000000},
    {0x0000000000000000, 0x0000000000000000, 0x8000000000000000, 0x8001000180008000},
    {0x0001020304050607, 0x08090A0B0C0D0E0F, 0xDB2D4A92AA68273F, 0x0011223344556677},
    {0x2BD6459F82C5B300, 0x952C49104881FF48, 0xF129A6601EF62A47, 0xEA024714AD5C4D84},
};

TEST(IdeaTest, PublishedVectorsEncryptAndDecrypt) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(testing::Message() << std::hex << v.key_hi << v.key_lo << " " << v.plain);
    uint16_t key[8];
    Words(v.key_hi, key, 4);
    Words(v.key_lo, key + 4, 4);
    IdeaKey enc, dec;
    Idea_EncryptKey(key, &enc);
    Idea_DecryptKey(&enc, &dec);
    uint16_t block[4], expect[4];
    Words(v.plain, block, 4);
    Words(v.cipher, expect, 4);
    Idea_Block(&enc, block);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], expect[i]) << "word " << i;
    Idea_Block(&dec, block);
    Words(v.plain, expect, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], expect[i]) << "word " << i;
  }
}

TEST(IdeaTest, KeyScheduleRotatesBy25Bits) {
  const uint16_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  IdeaKey enc;
  Idea_EncryptKey(key, &enc);
  // Lai's thesis: the first sixteen subkeys of this key.
  const uint16_t expect[16] = {1,      2,      3,      4,      5,      6,      7,      8,
                               0x0400, 0x0600, 0x0800, 0x0A00, 0x0C00, 0x0E00, 0x1000, 0x0200};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(enc.sub[i], expect[i]) << i;
  // Subkeys 48..51 are the key rotated left by 6 * 25 = 150 bits, i.e. by 22
  // bits of the 128: each is one word shifted by 6 joined with the next one.
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(enc.sub[48 + j], static_cast<uint16_t>((key[1 + j] << 6) | (key[2 + j] >> 10)));
  }
}

TEST(IdeaTest, RoundTripWithEdgeWordsAndRandomKeys) {
  std::mt19937 rng(20240307);
  const uint16_t edge[] = {0x0000, 0x0001, 0xFFFF, 0x8000};
  for (int k = 0; k < 200; ++k) {
    uint16_t key[8];
    for (uint16_t& w : key) w = k < 4 ? edge[k] : static_cast<uint16_t>(rng());
    IdeaKey enc, dec;
    Idea_EncryptKey(key, &enc);
    Idea_DecryptKey(&enc, &dec);
    for (int b = 0; b < 8; ++b) {
      uint16_t block[4], orig[4];
      for (int i = 0; i < 4; ++i) {
        orig[i] = block[i] = b < 4 ? edge[(b + i) % 4] : static_cast<uint16_t>(rng());
      }
      Idea_Block(&enc, block);
      Idea_Block(&dec, block);
      for (int i = 0; i < 4; ++i) ASSERT_EQ(block[i], orig[i]) << "key " << k << " block " << b;
    }
  }
}

}  // namespace
