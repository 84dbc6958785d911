// Downloads of the printer's memories into signed binary files.
#ifndef TALVOR_FILES_DOWNLOAD_H
#define TALVOR_FILES_DOWNLOAD_H

#include <cstdint>

constexpr int DESTINO_ARQUIVOS_MF = 0;        // LeBinarioMF: "Arquivos MF/MF....BIN"
constexpr int DESTINO_ARQUIVOS_BINARIOS = 1;  // DownloadMemorias: "Arquivos Binários/....MF"

// The whole fiscal memory, 8192 blocks of 128 bytes; the record's kind and
// bounds are set by the caller.  0, 3 or 5.
int DownloadFiscalMemory(uint8_t *registro29, int destino);

// The whole basic software, 4096 blocks of 128 bytes.  0, 3 or 5.
int DownloadSoftwareBasico();

// The detail-tape files that the record's range selects.  0, 3 or 5.
int DownloadDetailTape(uint8_t *registro29);

// Finishes a download with its signature line and its final name: 0, or 5
// when a write, the close, the signature or the rename failed (never a
// finished download that is truncated or unsigned).
struct ArquivoSaida;
int FechaEAssinaDownload(ArquivoSaida *saida);

// The 14-byte memory-read command of the 128-byte block at endereco:
// 1B 66 FF, the selector, then "%05x%05x" of its first and last address.
void MontaLeituraMemoria(uint8_t *comando14, uint8_t seletor, uint32_t endereco);

#endif
