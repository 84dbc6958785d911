// MD5 (RFC 1321): the digest under every "EAD" signature line.  A streaming
// context; the byte count is 64 bits wide, so the length in the padding is
// exact for files of any size.
#ifndef TALVOR_FILES_MD5_H
#define TALVOR_FILES_MD5_H

#include <cstddef>
#include <cstdint>

struct Md5Contexto {
    uint32_t estado[4];
    uint64_t bytes;         // bytes fed so far
    uint8_t bloco[64];      // partial block (bytes % 64 of them are held)
};

void Md5Init(Md5Contexto *c);
void Md5Update(Md5Contexto *c, const void *dados, size_t comprimento);
// Pads, appends the bit length and writes the 16 digest bytes.
void Md5Final(Md5Contexto *c, uint8_t digest[16]);

#endif
