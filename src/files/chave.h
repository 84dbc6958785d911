// The signing key of the "EAD" lines: modulus N and private exponent d, each
// 128 bytes, most significant first, held masked (each byte XOR-ed with
// MascaraChave of its position; the same mask for both tables).  Unmask a
// byte only where it is used.
#ifndef TALVOR_FILES_CHAVE_H
#define TALVOR_FILES_CHAVE_H

#include <cstdint>

constexpr unsigned BYTES_CHAVE = 128;
constexpr uint32_t EXPOENTE_PUBLICO = 65537;

extern const uint8_t kModuloMascarado[BYTES_CHAVE];
extern const uint8_t kExpoenteMascarado[BYTES_CHAVE];

uint8_t MascaraChave(unsigned posicao);

// The public modulus, unmasked (for the public-key checks).
void ModuloPublico(uint8_t modulo[BYTES_CHAVE]);

#endif
