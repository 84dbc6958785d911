// Arithmetic modulo a 1024-bit number for the signature lines: 32 limbs of
// 32 bits, limb 0 least significant, each limb in a 64-bit slot so that sums
// and borrows are formed in place; an accumulator has one limb more (33).
// The modulus is process-wide: one signature at a time.
#ifndef TALVOR_FILES_BIGNUM_H
#define TALVOR_FILES_BIGNUM_H

#include <cstdint>

constexpr unsigned LIMBS_NUMERO = 32;
constexpr unsigned LIMBS_ACUMULADOR = 33;

// 128 bytes, most significant first, into 32 limbs.
void BytesParaLimbs(const uint8_t bytes[128], uint64_t limbs[LIMBS_NUMERO]);
// 32 limbs into 128 bytes, most significant first.
void LimbsParaBytes(const uint64_t limbs[LIMBS_NUMERO], uint8_t bytes[128]);

// Makes n (limbs of 32 bits) the modulus of MulMod and ReduceMod.  0, or 1
// when n does not have its top bit set (not a 1024-bit number): then the
// modulus is left as it was.
int DefineModulo(const uint64_t n[LIMBS_NUMERO]);

// Reduces a 33-limb accumulator (limbs of 32 bits, limb 32 up to 34 bits)
// modulo N in place: the exact residue ends in limbs 0 to 31, limb 32 is 0.
void ReduceMod(uint64_t acumulador[LIMBS_ACUMULADOR]);

// resultado = a × b mod N (b below N; a any 32 limbs).  resultado may be a
// or b.
void MulMod(const uint64_t a[LIMBS_NUMERO], const uint64_t b[LIMBS_NUMERO],
            uint64_t resultado[LIMBS_NUMERO]);

// resultado = base ^ expoente mod N (base below N), left-to-right
// square-and-multiply over every bit of the exponent's bytes (most
// significant byte first), leading zero bits included.  When mascara is not
// null, each exponent byte is combined by XOR with mascara(position) as it is
// used.
void ExpMod(const uint64_t base[LIMBS_NUMERO], const uint8_t *expoente, unsigned bytes,
            uint8_t (*mascara)(unsigned posicao), uint64_t resultado[LIMBS_NUMERO]);

#endif
