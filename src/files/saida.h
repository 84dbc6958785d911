// Output files of the library: downloads (binary) and text files.  Text
// files get "\r\n" line ends on disk on every platform, so that the same
// input gives byte-identical files and signatures everywhere.  The writer
// keeps the MD5 digest of every byte it writes, so that a file it created
// is signed when it is closed, without reading it back.
#ifndef TALVOR_FILES_SAIDA_H
#define TALVOR_FILES_SAIDA_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "files/md5.h"

constexpr size_t TAMANHO_BUFFER_SAIDA = 32 * 1024;

struct ArquivoSaida {
    FILE *arquivo;
    bool texto;    // "\n" written as "\r\n"
    bool erro;     // a write failed since the file was opened
    bool inteiro;  // the file was created here: the digest covers all of it
    bool paralelo; // the digest runs on a thread of its own (DigestoEmParalelo)
    Md5Contexto md5;
    uint8_t *atual;     // with paralelo, the one of the thread's pair being filled
    size_t capacidade;
    size_t usado;       // bytes waiting in the buffer being filled
    uint8_t buffer[TAMANHO_BUFFER_SAIDA];
};

// Opens (creating or truncating, or appending) an output file.  0 or 1.
int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto, bool acrescenta = false);

// For a large output (the converters): the digest of each full buffer is
// computed on a second thread while the buffer is written and the next one
// filled.  One such file at a time; when no thread can be started the
// digest simply runs in line.  Call right after AbreSaida.
void DigestoEmParalelo(ArquivoSaida *s);

// The one write routine of downloads and text files.  A length of 0 does
// nothing.  A failed write is remembered and reported by FechaSaida.
void WriteOutput(ArquivoSaida *s, const void *bytes, size_t comprimento);

// Closes the file: 0 when every write and the close succeeded, else 1.
int FechaSaida(ArquivoSaida *s);

// Closes the file with its "EAD" line, signed over the digest of what was
// written (a file opened for appending is read back for it).  0, or 1 when
// a write failed (nothing is signed) or the line could not be added (the
// file is cut back to its body).  caminho is the name it was opened with.
int FechaEAssinaSaida(ArquivoSaida *s, const char *caminho);

#endif
