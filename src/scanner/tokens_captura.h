// The token stage of the small capture variant: every byte of the LZ77
// stage passes through it, and number, dash and zero-run tokens become
// report text, gathered in a 512-byte output buffer that is written
// whenever it fills.
#ifndef TALVOR_SCANNER_TOKENS_CAPTURA_H
#define TALVOR_SCANNER_TOKENS_CAPTURA_H

#include <cstdint>
#include <cstdio>

// Starts the stage afresh: no token, an empty buffer.  A failed write sets
// *erroEscrita.
void IniciaTokens(FILE *saida, bool *erroEscrita);

// Passes one byte through the stage.
void ExpandToken(uint8_t b);

// Passes the bytes at positions de to ate - 1 of a ring (positions taken
// with mascara) through the stage.
void PassaTokens(const uint8_t *anel, uint32_t mascara, uint64_t de, uint64_t ate);

// Writes what the buffer holds.
void DescarregaTokens();

#endif
