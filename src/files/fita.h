// The pieces of the detail-tape download: the printer's file directory,
// the choice of files for a range, and the 256-byte read window that cuts
// whole records out of the printer's 128-byte blocks.
#ifndef TALVOR_FILES_FITA_H
#define TALVOR_FILES_FITA_H

#include <cstddef>
#include <cstdint>

#include "files/saida.h"

constexpr size_t TAMANHO_ENTRADA_FITA = 53;
constexpr size_t MAX_ARQUIVOS_LISTADOS = 2555;
constexpr size_t MAX_ENTRADAS_FITA = MAX_ARQUIVOS_LISTADOS + 1;   // + the current file
constexpr size_t TAMANHO_BLOCO_FITA = 128;
constexpr size_t TAMANHO_JANELA_FITA = 256;

// Offsets in a directory entry.
constexpr size_t ENTRADA_NOME = 0;        // 12 bytes
constexpr size_t ENTRADA_DATA = 12;       // little-endian, years from 1980
constexpr size_t ENTRADA_HORA = 14;
constexpr size_t ENTRADA_CONTADOR4 = 38;  // 4 decimal digits
constexpr size_t ENTRADA_CONTADOR8 = 42;  // 8 decimal digits

// Results of the window routines.
constexpr int FITA_OK = 0;
constexpr int FITA_FALHA = 3;
constexpr int FITA_SEM_REGISTRO = 6;   // no further whole record
constexpr int FITA_JANELA_USADA = 9;   // every byte of the window used

struct EntradaFita {
    uint8_t b[TAMANHO_ENTRADA_FITA];
};

// True for the entry of the file still being written ("File_Current").
bool EntradaAtual(const EntradaFita &e);

// Fills the table: the listed files (at most 2555), then the current file.
// 0, or 3 when a listing command fails.
int ListTapeFiles(EntradaFita *tabela, size_t *quantidade);

// Narrows the table to the files the record's range needs: *inicio and
// *quantidade are changed.  0, or 3 (a counter that is not all digits, or
// an empty choice).
int SelectTapeFiles(const EntradaFita *tabela, size_t *inicio, size_t *quantidade,
                    const uint8_t *registro29);

// The read window of one printer file.
struct JanelaFita {
    uint8_t dados[TAMANHO_JANELA_FITA];
    uint32_t cheio;     // fill length, 0 to 256
    uint32_t posicao;   // read position
    uint32_t bloco;     // number of the next block to read
    bool atual;         // blocks read with 0x6A (the current file)
};

// One read-block command into a 128-byte half: 0, or 3 (command failed,
// answer incomplete, or a block longer than 128 bytes).
int ReadTapeBlock(uint8_t *metade, uint32_t *comprimento, uint32_t *bloco, bool atual);

// Copies quantidade bytes from the read position on, reading further blocks
// as needed.  0, 6 or the failure of a block read.
int TakeWindowBytes(JanelaFita *janela, uint8_t *destino, uint32_t quantidade);

// Cuts the next whole record into registro (256 bytes) and gives its
// length.  0, 6, 9 or the failure of a block read.
int ReadTapeRecord(JanelaFita *janela, uint8_t *registro, uint32_t *comprimento);

// Copies one printer file's records to the output.  0, or 3.
int DownloadTapeFile(ArquivoSaida *saida, const EntradaFita &entrada);

#endif
