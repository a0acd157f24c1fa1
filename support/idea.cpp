// The IDEA block cipher. The configuration file keeps its values enciphered
// with it, block by block (electronic code book).
//
// Words are 16 bits. Multiplication is modulo 65537 with the word 0 standing
// for 65536; addition is modulo 65536.
#include "support/idea.h"

namespace {

uint16_t Mul(uint16_t a, uint16_t b) {
  const uint32_t x = a != 0 ? a : 0x10000u;
  const uint32_t y = b != 0 ? b : 0x10000u;
  // 65537 is prime and x, y are not multiples of it: the product is 1..65536.
  const uint64_t p = (static_cast<uint64_t>(x) * y) % 0x10001u;
  return static_cast<uint16_t>(p);  // 65536 becomes 0
}

// Multiplicative inverse modulo 65537 (x^65535, Fermat); 0 (65536 = -1) and 1
// are their own inverses.
uint16_t MulInv(uint16_t a) {
  uint64_t base = a != 0 ? a : 0x10000u;
  uint64_t result = 1;
  for (uint32_t e = 0xFFFFu; e != 0; e >>= 1) {
    if (e & 1u) result = (result * base) % 0x10001u;
    base = (base * base) % 0x10001u;
  }
  return static_cast<uint16_t>(result);
}

uint16_t AddInv(uint16_t a) { return static_cast<uint16_t>(0x10000u - a); }

}  // namespace

void Idea_EncryptKey(const uint16_t key[8], IdeaKey* enc) {
  uint16_t k[8];
  for (int i = 0; i < 8; ++i) k[i] = key[i];
  for (int i = 0; i < 52; ++i) {
    enc->sub[i] = k[i % 8];
    if (i % 8 == 7) {
      // The whole 128-bit key rotated left by 25 bits.
      uint16_t r[8];
      for (int j = 0; j < 8; ++j) {
        r[j] = static_cast<uint16_t>((k[(j + 1) % 8] << 9) | (k[(j + 2) % 8] >> 7));
      }
      for (int j = 0; j < 8; ++j) k[j] = r[j];
    }
  }
}

void Idea_DecryptKey(const IdeaKey* enc, IdeaKey* dec) {
  const uint16_t* z = enc->sub;
  uint16_t d[52];
  for (int r = 0; r <= 8; ++r) {
    const int src = 6 * (8 - r);  // key group of the matching encryption step
    const bool outer = (r == 0 || r == 8);
    d[6 * r + 0] = MulInv(z[src + 0]);
    d[6 * r + 1] = AddInv(z[src + (outer ? 1 : 2)]);
    d[6 * r + 2] = AddInv(z[src + (outer ? 2 : 1)]);
    d[6 * r + 3] = MulInv(z[src + 3]);
    if (r < 8) {
      d[6 * r + 4] = z[6 * (7 - r) + 4];
      d[6 * r + 5] = z[6 * (7 - r) + 5];
    }
  }
  for (int i = 0; i < 52; ++i) dec->sub[i] = d[i];
}

void Idea_Block(const IdeaKey* key, uint16_t block[4]) {
  const uint16_t* z = key->sub;
  uint16_t x1 = block[0], x2 = block[1], x3 = block[2], x4 = block[3];
  for (int r = 0; r < 8; ++r, z += 6) {
    x1 = Mul(x1, z[0]);
    x2 = static_cast<uint16_t>(x2 + z[1]);
    x3 = static_cast<uint16_t>(x3 + z[2]);
    x4 = Mul(x4, z[3]);
    uint16_t t0 = Mul(z[4], static_cast<uint16_t>(x1 ^ x3));
    const uint16_t t1 = Mul(z[5], static_cast<uint16_t>(t0 + (x2 ^ x4)));
    t0 = static_cast<uint16_t>(t0 + t1);
    x1 = static_cast<uint16_t>(x1 ^ t1);
    x4 = static_cast<uint16_t>(x4 ^ t0);
    const uint16_t t = static_cast<uint16_t>(x2 ^ t0);
    x2 = static_cast<uint16_t>(x3 ^ t1);
    x3 = t;
  }
  // Output transformation; it undoes the swap of the middle words of the
  // last round.
  block[0] = Mul(x1, z[0]);
  block[1] = static_cast<uint16_t>(x3 + z[1]);
  block[2] = static_cast<uint16_t>(x2 + z[2]);
  block[3] = Mul(x4, z[3]);
}
