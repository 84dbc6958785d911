// The detail-tape record stream: record lengths by tag, the variable texts
// of seven tags, the numeric fields kept big-endian in the stream, and the
// record reader shared by the mirror, the type-E generator and the readers
// of the short identification.
#ifndef TALVOR_MFD_REGISTRO_FD_H
#define TALVOR_MFD_REGISTRO_FD_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr size_t TAMANHO_REGISTRO_FD = 256;

// Results of the reader.
constexpr int FD_OK = 0;
constexpr int FD_DANIFICADO = 6;   // bad tag, read error or damaged record
constexpr int FD_FIM = 20;         // end of the stream where a record should begin

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

// Text length of a record already turned into host order by AjustaRegistroFD.
unsigned ContagemTextoFD(const TextoVariavelFD &t, const uint8_t *registro);

// Reverses, in place, the big-endian numeric fields of the record's tag.
void AjustaRegistroFD(uint8_t *registro);

// True for the document-start tags 0x81 to 0x8A and 0x8C.
bool InicioDocumentoFD(uint8_t tag);

// A stream read through a buffer of its own, between a start offset and the
// stream end (the first byte of the signature trailer, which is never read).
constexpr size_t TAMANHO_BUFFER_LEITOR_FD = 32768;
struct LeitorFD {
    FILE *arquivo;
    uint64_t posicao;        // file offset of the next byte of the stream
    uint64_t fim;            // stream end
    uint64_t inicioBuffer;   // file offset of buffer[0]
    size_t cheio;            // bytes of the buffer that hold data
    uint8_t buffer[TAMANHO_BUFFER_LEITOR_FD];
};

// Prepares the reader over [inicio, fim) of an open binary file.
void AbreLeitorFD(LeitorFD *leitor, FILE *arquivo, uint64_t inicio, uint64_t fim);

// True once every byte of the stream has been consumed.
inline bool FimDoFluxoFD(const LeitorFD *leitor)
{
    return leitor->posicao >= leitor->fim;
}

// Reads the next record into registro (256 bytes).  0 one record delivered;
// 6 bad tag, read error or damaged record (a record crossing the stream end
// included); 20 the stream ended where a record should begin.  documento,
// when not null, is cleared when a record with an over-long text is dropped.
int LeRegistroFD(LeitorFD *leitor, uint8_t *registro, int *documento);

// Reads the record stream of an open file (offset 0 to 259 bytes before the
// end) up to its first identification record (tag 0x90) and copies that
// record's bytes 1 to 6.  Nothing is copied when the stream ends or an
// error comes first.
void IdentificacaoDoFluxo(FILE *f, char *destino6);

#endif
