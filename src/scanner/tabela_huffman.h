// Decoding tables of the expander's canonical Huffman codes: one lookup of
// the next BITS_RAIZ bits gives the symbol and its code length, or points
// to a subtable indexed by the bits that follow (codes of 11 to 23 bits).
#ifndef TALVOR_SCANNER_TABELA_HUFFMAN_H
#define TALVOR_SCANNER_TABELA_HUFFMAN_H

#include <cstdint>

constexpr unsigned BITS_RAIZ = 10;
constexpr unsigned COMPRIMENTO_MAXIMO = 23;

// An entry (32 bits):
//   bits 0-4    code length of the symbol (1 to 23), or, in a link, the
//               number of bits that index its subtable (1 to 13)
//   bits 5-7    kind (ENTRADA_...)
//   bits 8-11   extra bits of a distance slot
//   bits 16-31  value: literal byte, match length, distance base, or the
//               index of a link's subtable in the same array
// The kind, extra bits and value of each symbol come from the caller
// (its "carga"); the builder adds the length, and makes links and the
// entries of unused codes.
constexpr uint32_t ENTRADA_LITERAL = 0u << 5;
constexpr uint32_t ENTRADA_COPIA = 1u << 5;
constexpr uint32_t ENTRADA_ZEROS = 2u << 5;      // the large variant's symbol 257
constexpr uint32_t ENTRADA_FIM = 3u << 5;
constexpr uint32_t ENTRADA_DISTANCIA = 4u << 5;
constexpr uint32_t ENTRADA_SUBTABELA = 6u << 5;
constexpr uint32_t ENTRADA_INVALIDA = 7u << 5;   // no code of the table begins so
constexpr uint32_t MASCARA_TIPO = 7u << 5;

inline unsigned BitsDaEntrada(uint32_t e) { return e & 31u; }
inline unsigned TipoDaEntrada(uint32_t e) { return e & MASCARA_TIPO; }
inline unsigned ExtraDaEntrada(uint32_t e) { return (e >> 8) & 15u; }
inline unsigned ValorDaEntrada(uint32_t e) { return e >> 16; }
inline uint32_t CargaDe(uint32_t tipo, unsigned valor, unsigned extra = 0)
{
    return tipo | (extra << 8) | (valor << 16);
}

// Room a table can need: the root, then its subtables.  A subtable holds
// the codes that share a root prefix and is as wide as the longest of them
// minus BITS_RAIZ.  Codes are contiguous from 0 and their lengths grow
// with their value, so every subtable but the last is full, and a full one
// of width b after one of width a holds at least 2^a + b - a codes (b + 1
// for the first); the last may hold a single code.  The widest layouts
// within 512 and 64 symbols: widths 4, 5, 6, 7, 8, 13 and a last 13 (16880
// entries), and 4, 5, 13 and a last 13 (16432).
constexpr unsigned ENTRADAS_LITERAIS = (1u << BITS_RAIZ) + 16880;
constexpr unsigned ENTRADAS_DISTANCIAS = (1u << BITS_RAIZ) + 16432;

// Builds the table of the code whose lengths (0 to 23, 0 for an unused
// symbol) are given for symbols 0 to n - 1, n at most 512, which must
// satisfy the Kraft inequality.  carga[s] holds the kind, value and extra
// bits of symbol s.  0, or -1 when the code does not fit the capacity or
// its lengths (neither happens to a code that satisfies the inequality).
int MontaTabelaHuffman(const uint8_t *comprimentos, unsigned n, const uint32_t *carga,
                       uint32_t *tabela, unsigned capacidade);

#endif
