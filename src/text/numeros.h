// Multi-byte numbers: unsigned little-endian integers of 1 to 8 bytes (byte 0
// least significant), money in hundredths, and the routines that format,
// add, subtract and parse them.  Fields read from the printer's memories are
// big-endian and are turned into this order with InverteBytes right after
// they are read.
#ifndef TALVOR_TEXT_NUMEROS_H
#define TALVOR_TEXT_NUMEROS_H

#include <cstddef>
#include <cstdint>

// Flags of FormataNumero.
constexpr uint8_t FORMATO_MILHAR_VIRGULA = 0x01;   // group thousands with ","
constexpr uint8_t FORMATO_DECIMAL_PONTO = 0x02;    // two decimals with "."
constexpr uint8_t FORMATO_HEXADECIMAL = 0x08;      // hex digits, space fill, no decoration
constexpr uint8_t FORMATO_MILHAR_PONTO = 0x10;     // group thousands with "."
constexpr uint8_t FORMATO_ZEROS = 0x20;            // zero fill, no decoration
constexpr uint8_t FORMATO_SINAL_MENOS = 0x40;      // sign character "-"
constexpr uint8_t FORMATO_DECIMAL_VIRGULA = 0x80;  // two decimals with ","
constexpr uint8_t FORMATO_MOEDA = 0x80;            // money in mirror text

// Flags of SomaSubtrai.
constexpr uint8_t SOMA_SUBTRAI = 0x80;             // destination minus source

// Overflow indicator shared by SomaSubtrai and LeNumeroTexto.
extern uint8_t IndicadorEstouro;
// The other two indicators of LeNumeroTexto.
extern uint8_t IndicadorCaractereInvalido;
extern uint8_t IndicadorSoBrancos;

// Formats the n-byte number at origem into the last characters of the
// largura-character field at destino (see the flags above).
void FormataNumero(uint8_t largura, char *destino, uint8_t n, const void *origem, uint8_t flags);

// destino (d bytes) = destino +/- origem (s bytes); sets IndicadorEstouro.
void SomaSubtrai(uint8_t d, void *destino, uint8_t s, const void *origem, uint8_t flags);

// Parses t characters of texto into the d-byte destino (decimal, or
// hexadecimal with flag 0x08).  Sets the three indicators.
void LeNumeroTexto(uint8_t d, void *destino, size_t t, const char *texto, uint8_t flags);

// -1 negative (only with a sign flag), 0 all bytes zero, 1 otherwise.
int ValorNulo(const void *numero, uint8_t n, uint8_t flags);

// Reverses the byte order of n bytes (in place when destino == origem).
void InverteBytes(void *destino, const void *origem, size_t n);

// Collects at most 14 decimal digits of texto, right-aligned, "0"-filled.
void ExtraiDigitos(char *destino14, const char *texto, size_t n);

void NulosParaBrancos(char *texto, size_t n);
bool SoBrancos(const char *texto, size_t n);
bool SoApagados(const uint8_t *bytes, size_t n);
uint8_t SomaVerificacao(const uint8_t *bytes, size_t n);

// Little-endian helpers for host-order numbers of up to 8 bytes.
uint64_t LeNumero(const void *origem, size_t n);
void GravaNumero(void *destino, size_t n, uint64_t valor);

#endif
