// MD5 (RFC 1321) written out round by round: the digest of the signature
// lines runs over whole downloads, so the block function is straight-line
// code over the 16 little-endian words of each 64-byte block, and whole
// blocks are taken straight from the caller's buffer without copying.
#include "files/md5.h"

#include <cstring>

namespace {

inline uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline uint32_t Palavra(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_PASSO(f, a, b, c, d, x, t, s) \
    (a) += f((b), (c), (d)) + (x) + static_cast<uint32_t>(t); \
    (a) = Rotl((a), (s)) + (b)

// Processes n consecutive 64-byte blocks.
void Md5Blocos(uint32_t estado[4], const uint8_t *p, size_t n)
{
    uint32_t a = estado[0], b = estado[1], c = estado[2], d = estado[3];
    for (; n > 0; --n, p += 64) {
        const uint32_t x0 = Palavra(p), x1 = Palavra(p + 4), x2 = Palavra(p + 8),
                       x3 = Palavra(p + 12), x4 = Palavra(p + 16), x5 = Palavra(p + 20),
                       x6 = Palavra(p + 24), x7 = Palavra(p + 28), x8 = Palavra(p + 32),
                       x9 = Palavra(p + 36), x10 = Palavra(p + 40), x11 = Palavra(p + 44),
                       x12 = Palavra(p + 48), x13 = Palavra(p + 52), x14 = Palavra(p + 56),
                       x15 = Palavra(p + 60);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_PASSO(MD5_F, a, b, c, d, x0, 0xd76aa478, 7);
        MD5_PASSO(MD5_F, d, a, b, c, x1, 0xe8c7b756, 12);
        MD5_PASSO(MD5_F, c, d, a, b, x2, 0x242070db, 17);
        MD5_PASSO(MD5_F, b, c, d, a, x3, 0xc1bdceee, 22);
        MD5_PASSO(MD5_F, a, b, c, d, x4, 0xf57c0faf, 7);
        MD5_PASSO(MD5_F, d, a, b, c, x5, 0x4787c62a, 12);
        MD5_PASSO(MD5_F, c, d, a, b, x6, 0xa8304613, 17);
        MD5_PASSO(MD5_F, b, c, d, a, x7, 0xfd469501, 22);
        MD5_PASSO(MD5_F, a, b, c, d, x8, 0x698098d8, 7);
        MD5_PASSO(MD5_F, d, a, b, c, x9, 0x8b44f7af, 12);
        MD5_PASSO(MD5_F, c, d, a, b, x10, 0xffff5bb1, 17);
        MD5_PASSO(MD5_F, b, c, d, a, x11, 0x895cd7be, 22);
        MD5_PASSO(MD5_F, a, b, c, d, x12, 0x6b901122, 7);
        MD5_PASSO(MD5_F, d, a, b, c, x13, 0xfd987193, 12);
        MD5_PASSO(MD5_F, c, d, a, b, x14, 0xa679438e, 17);
        MD5_PASSO(MD5_F, b, c, d, a, x15, 0x49b40821, 22);

        MD5_PASSO(MD5_G, a, b, c, d, x1, 0xf61e2562, 5);
        MD5_PASSO(MD5_G, d, a, b, c, x6, 0xc040b340, 9);
        MD5_PASSO(MD5_G, c, d, a, b, x11, 0x265e5a51, 14);
        MD5_PASSO(MD5_G, b, c, d, a, x0, 0xe9b6c7aa, 20);
        MD5_PASSO(MD5_G, a, b, c, d, x5, 0xd62f105d, 5);
        MD5_PASSO(MD5_G, d, a, b, c, x10, 0x02441453, 9);
        MD5_PASSO(MD5_G, c, d, a, b, x15, 0xd8a1e681, 14);
        MD5_PASSO(MD5_G, b, c, d, a, x4, 0xe7d3fbc8, 20);
        MD5_PASSO(MD5_G, a, b, c, d, x9, 0x21e1cde6, 5);
        MD5_PASSO(MD5_G, d, a, b, c, x14, 0xc33707d6, 9);
        MD5_PASSO(MD5_G, c, d, a, b, x3, 0xf4d50d87, 14);
        MD5_PASSO(MD5_G, b, c, d, a, x8, 0x455a14ed, 20);
        MD5_PASSO(MD5_G, a, b, c, d, x13, 0xa9e3e905, 5);
        MD5_PASSO(MD5_G, d, a, b, c, x2, 0xfcefa3f8, 9);
        MD5_PASSO(MD5_G, c, d, a, b, x7, 0x676f02d9, 14);
        MD5_PASSO(MD5_G, b, c, d, a, x12, 0x8d2a4c8a, 20);

        MD5_PASSO(MD5_H, a, b, c, d, x5, 0xfffa3942, 4);
        MD5_PASSO(MD5_H, d, a, b, c, x8, 0x8771f681, 11);
        MD5_PASSO(MD5_H, c, d, a, b, x11, 0x6d9d6122, 16);
        MD5_PASSO(MD5_H, b, c, d, a, x14, 0xfde5380c, 23);
        MD5_PASSO(MD5_H, a, b, c, d, x1, 0xa4beea44, 4);
        MD5_PASSO(MD5_H, d, a, b, c, x4, 0x4bdecfa9, 11);
        MD5_PASSO(MD5_H, c, d, a, b, x7, 0xf6bb4b60, 16);
        MD5_PASSO(MD5_H, b, c, d, a, x10, 0xbebfbc70, 23);
        MD5_PASSO(MD5_H, a, b, c, d, x13, 0x289b7ec6, 4);
        MD5_PASSO(MD5_H, d, a, b, c, x0, 0xeaa127fa, 11);
        MD5_PASSO(MD5_H, c, d, a, b, x3, 0xd4ef3085, 16);
        MD5_PASSO(MD5_H, b, c, d, a, x6, 0x04881d05, 23);
        MD5_PASSO(MD5_H, a, b, c, d, x9, 0xd9d4d039, 4);
        MD5_PASSO(MD5_H, d, a, b, c, x12, 0xe6db99e5, 11);
        MD5_PASSO(MD5_H, c, d, a, b, x15, 0x1fa27cf8, 16);
        MD5_PASSO(MD5_H, b, c, d, a, x2, 0xc4ac5665, 23);

        MD5_PASSO(MD5_I, a, b, c, d, x0, 0xf4292244, 6);
        MD5_PASSO(MD5_I, d, a, b, c, x7, 0x432aff97, 10);
        MD5_PASSO(MD5_I, c, d, a, b, x14, 0xab9423a7, 15);
        MD5_PASSO(MD5_I, b, c, d, a, x5, 0xfc93a039, 21);
        MD5_PASSO(MD5_I, a, b, c, d, x12, 0x655b59c3, 6);
        MD5_PASSO(MD5_I, d, a, b, c, x3, 0x8f0ccc92, 10);
        MD5_PASSO(MD5_I, c, d, a, b, x10, 0xffeff47d, 15);
        MD5_PASSO(MD5_I, b, c, d, a, x1, 0x85845dd1, 21);
        MD5_PASSO(MD5_I, a, b, c, d, x8, 0x6fa87e4f, 6);
        MD5_PASSO(MD5_I, d, a, b, c, x15, 0xfe2ce6e0, 10);
        MD5_PASSO(MD5_I, c, d, a, b, x6, 0xa3014314, 15);
        MD5_PASSO(MD5_I, b, c, d, a, x13, 0x4e0811a1, 21);
        MD5_PASSO(MD5_I, a, b, c, d, x4, 0xf7537e82, 6);
        MD5_PASSO(MD5_I, d, a, b, c, x11, 0xbd3af235, 10);
        MD5_PASSO(MD5_I, c, d, a, b, x2, 0x2ad7d2bb, 15);
        MD5_PASSO(MD5_I, b, c, d, a, x9, 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    estado[0] = a;
    estado[1] = b;
    estado[2] = c;
    estado[3] = d;
}

}  // namespace

void Md5Init(Md5Contexto *c)
{
    c->estado[0] = 0x67452301;
    c->estado[1] = 0xefcdab89;
    c->estado[2] = 0x98badcfe;
    c->estado[3] = 0x10325476;
    c->bytes = 0;
}

void Md5Update(Md5Contexto *c, const void *dados, size_t comprimento)
{
    const uint8_t *p = static_cast<const uint8_t *>(dados);
    size_t ocupado = static_cast<size_t>(c->bytes % 64);
    c->bytes += comprimento;
    if (ocupado != 0) {
        size_t falta = 64 - ocupado;
        if (comprimento < falta) {
            std::memcpy(c->bloco + ocupado, p, comprimento);
            return;
        }
        std::memcpy(c->bloco + ocupado, p, falta);
        Md5Blocos(c->estado, c->bloco, 1);
        p += falta;
        comprimento -= falta;
    }
    size_t inteiros = comprimento / 64;
    if (inteiros != 0) {
        Md5Blocos(c->estado, p, inteiros);
        p += inteiros * 64;
        comprimento -= inteiros * 64;
    }
    if (comprimento != 0)
        std::memcpy(c->bloco, p, comprimento);
}

void Md5Final(Md5Contexto *c, uint8_t digest[16])
{
    const uint64_t bits = c->bytes * 8;
    size_t ocupado = static_cast<size_t>(c->bytes % 64);
    c->bloco[ocupado++] = 0x80;
    if (ocupado > 56) {
        std::memset(c->bloco + ocupado, 0, 64 - ocupado);
        Md5Blocos(c->estado, c->bloco, 1);
        ocupado = 0;
    }
    std::memset(c->bloco + ocupado, 0, 56 - ocupado);
    for (int i = 0; i < 8; ++i)
        c->bloco[56 + i] = static_cast<uint8_t>(bits >> (8 * i));
    Md5Blocos(c->estado, c->bloco, 1);
    for (int i = 0; i < 4; ++i) {
        digest[4 * i] = static_cast<uint8_t>(c->estado[i]);
        digest[4 * i + 1] = static_cast<uint8_t>(c->estado[i] >> 8);
        digest[4 * i + 2] = static_cast<uint8_t>(c->estado[i] >> 16);
        digest[4 * i + 3] = static_cast<uint8_t>(c->estado[i] >> 24);
    }
}
