// Traditional PKWARE decryption: three 32-bit keys updated with CRC-32 steps per plain byte.
#include "zip/traditional_crypt.h"

#include <zlib.h>

namespace {

uint32_t CrcStep(uint32_t crc, uint8_t byte) {
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

uint8_t KeyStreamByte(const CryptKeys& keys) {
    uint32_t temp = (keys.key2 | 2) & 0xFFFF;
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

}  // namespace

void UpdateCryptKeys(CryptKeys* keys, uint8_t plain) {
    keys->key0 = CrcStep(keys->key0, plain);
    keys->key1 = (keys->key1 + (keys->key0 & 0xFF)) * 134775813 + 1;
    keys->key2 = CrcStep(keys->key2, static_cast<uint8_t>(keys->key1 >> 24));
}

void DecryptBytes(CryptKeys* keys, uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t plain = bytes[i] ^ KeyStreamByte(*keys);
        UpdateCryptKeys(keys, plain);
        bytes[i] = plain;
    }
}
