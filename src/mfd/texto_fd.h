// Print-line text of the detail-tape stream: the expansion of its two
// control codes (0x01 n spaces, 0x02 dashes up to a column) and the
// translation of the printer's character codes into code page 1252.
#ifndef TALVOR_MFD_TEXTO_FD_H
#define TALVOR_MFD_TEXTO_FD_H

#include <cstddef>
#include <cstdint>

// Code page 1252 character of each printer code.
extern const uint8_t (&TabelaCaracteresFD)[256];

// Replaces every byte of the text by its entry in TabelaCaracteresFD.
void TraduzCaracteresFD(char *texto, size_t n);

// Expands n bytes of print-line text into destino (already filled with
// spaces by the caller), at most largura columns.  Returns the columns
// produced.  A control code without its count byte ends the text.
uint8_t ExpandeLinhaFD(char *destino, uint8_t largura, const uint8_t *texto, uint8_t n);

#endif
