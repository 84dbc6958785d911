// The detail-tape record stream: record lengths by tag, the variable texts
// of seven tags, and the record reader.
#ifndef TALVOR_MFD_REGISTRO_FD_H
#define TALVOR_MFD_REGISTRO_FD_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr size_t TAMANHO_REGISTRO_FD = 256;

// Fixed length of the record with this tag (tag included): 0 and the
// length, or 6 for a bad tag.
int TamanhoRegistroFD(uint8_t tag, unsigned *comprimento);

// The variable text of tags 0x7A, 0x7C, 0x7D, 0x7F, 0x9E, 0xD2 and 0xD7.
struct TextoVariavelFD {
    uint8_t tag;
    uint8_t posicaoContagem;   // offset of the count field
    uint8_t larguraContagem;   // 1, or 2 for a 16-bit count
    uint8_t multiplicador;     // 2 for 0x7F (characters and attributes)
    uint8_t inicioTexto;       // offset where the text starts (= fixed length)
    uint16_t limite;           // longest accepted text
};
// The entry of the tag, or null for tags without a variable text.
const TextoVariavelFD *ProcuraTextoVariavelFD(uint8_t tag);

// Text length of a record whose count is stored big-endian (as in the
// printer's memory and in the stream before the reader reverses it).
unsigned ContagemTextoBigEndian(const TextoVariavelFD &t, const uint8_t *registro);

// Reads the record stream of an open file up to its first identification
// record (tag 0x90) and copies that record's bytes 1 to 6.  The stream runs
// from offset 0 to 259 bytes before the end (the signature line).  Nothing
// is copied when no such record comes before the end or an error.
void IdentificacaoDoFluxo(FILE *f, char *destino6);

#endif
