// The type-E working records that the detail-tape generator fills (E01,
// E02 and E14 to E21): their lengths, the positions it writes, their reset
// rules and the small field writers they share.
#ifndef TALVOR_TIPOE_REGISTROS_FD_H
#define TALVOR_TIPOE_REGISTROS_FD_H

#include <cstddef>
#include <cstdint>

// Record lengths (without the line end).
constexpr size_t TAM_E01 = 166;
constexpr size_t TAM_E02 = 272;
constexpr size_t TAM_E14 = 191;
constexpr size_t TAM_E15 = 267;
constexpr size_t TAM_E16 = 90;
constexpr size_t TAM_E17 = 80;
constexpr size_t TAM_E18 = 80;
constexpr size_t TAM_E19 = 191;
constexpr size_t TAM_E20 = 142;
constexpr size_t TAM_E21 = 106;

// One working record of each type, each followed by its terminating NUL.
struct RegistrosTipoEFD {
    char e01[TAM_E01 + 1];
    char e02[TAM_E02 + 1];
    char e14[TAM_E14 + 1];
    char e15[TAM_E15 + 1];
    char e16[TAM_E16 + 1];
    char e17[TAM_E17 + 1];
    char e18[TAM_E18 + 1];
    char e19[TAM_E19 + 1];
    char e20[TAM_E20 + 1];
    char e21[TAM_E21 + 1];
};

// All ten records blank, then the reset rule of each.
void IniciaRegistrosTipoEFD(RegistrosTipoEFD *r);
void RestauraE14(char *e14);
void RestauraE15(char *e15);
void RestauraE16(char *e16);
void RestauraE17E18(char *e);
void RestauraE19(char *e19);
void RestauraE20(char *e20);
void RestauraE21(char *e21);

// A number right-aligned and zero-padded to largura digits (the rightmost
// digits when it is wider).
void PoeNumeroTipoE(char *destino, unsigned largura, uint64_t valor);
// n characters of stream text, NUL bytes made spaces.
void PoeTextoTipoE(char *destino, const uint8_t *texto, size_t n);
// n copies of a character.
void PoeRepetidoTipoE(char *destino, char c, size_t n);

#endif
