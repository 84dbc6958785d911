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
    Md5Contexto md5;
    size_t usado;  // bytes waiting in the buffer
    uint8_t buffer[TAMANHO_BUFFER_SAIDA];
};

// Opens (creating or truncating, or appending) an output file.  0 or 1.
int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto, bool acrescenta = false);

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
