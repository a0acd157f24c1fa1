// The IDEA block cipher: 64-bit blocks of four 16-bit words, 128-bit key of
// eight 16-bit words, 8 rounds and the output transformation.
#pragma once

#include <cstdint>

struct IdeaKey {
  uint16_t sub[52];
};

// Encryption subkeys from the eight key words.
void Idea_EncryptKey(const uint16_t key[8], IdeaKey* enc);
// Decryption subkeys from encryption subkeys.
void Idea_DecryptKey(const IdeaKey* enc, IdeaKey* dec);
// Transforms one block in place with the given subkeys (encrypts with the
// encryption subkeys, decrypts with the decryption subkeys).
void Idea_Block(const IdeaKey* key, uint16_t block[4]);
