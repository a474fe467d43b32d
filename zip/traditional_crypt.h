// The traditional PKWARE stream cipher, decryption side, as the reader needs it for entries that
// were encrypted with the empty password.
#pragma once

#include <cstddef>
#include <cstdint>

struct CryptKeys {
    uint32_t key0 = 0x12345678;
    uint32_t key1 = 0x23456789;
    uint32_t key2 = 0x34567890;
};

// Feeds one plain byte into the keys.
void UpdateCryptKeys(CryptKeys* keys, uint8_t plain);

// Decrypts `count` bytes in place, updating the keys.
void DecryptBytes(CryptKeys* keys, uint8_t* bytes, size_t count);
