// Expander of compressed scanner captures: an LZ77 stream with two
// canonical Huffman codes (literals and lengths, distance slots) whose code
// lengths travel at the head of the stream, and, in the small variant, a
// token stage that turns number, dash and zero-run tokens into report text.
#ifndef TALVOR_SCANNER_EXPANSOR_H
#define TALVOR_SCANNER_EXPANSOR_H

#include <cstdint>
#include <cstdio>

// The four bytes a compressed capture begins with (the last one chooses the
// variant: 0xF5 small, anything else large).
constexpr uint8_t CABECALHO_COMPRIMIDO[3] = {0xDB, 0x99, 0x04};
constexpr uint8_t VARIANTE_PEQUENA = 0xF5;
constexpr uint8_t VARIANTE_GRANDE = 0xF6;

// Results of the expansion.
constexpr int EXPANSAO_OK = 0;
constexpr int EXPANSAO_ARQUIVO = 1;     // a file cannot be opened or written
constexpr int EXPANSAO_FORMATO = -1;    // the stream is not a valid capture

// Expands the compressed capture at entrada into saida, which it replaces
// once the expansion is complete (saida may be entrada itself); after a
// failure saida is left as it was.  Both files are closed in every case.
int ExpandCapture(const char *entrada, const char *saida);

// The same over open files: entrada positioned at the 4-byte header, saida
// open for binary writing.  Neither is closed.  Used by the fuzz target.
int ExpandeFluxo(FILE *entrada, FILE *saida);

// True when the four bytes are one of the two compressed headers.
bool CabecalhoComprimido(const uint8_t *quatro);

#endif
