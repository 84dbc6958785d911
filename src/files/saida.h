// Output files of the library: downloads (binary) and text files.  Text
// files get "\r\n" line ends on disk on every platform, so that the same
// input gives byte-identical files and signatures everywhere.
#ifndef TALVOR_FILES_SAIDA_H
#define TALVOR_FILES_SAIDA_H

#include <cstddef>
#include <cstdio>

struct ArquivoSaida {
    FILE *arquivo;
    bool texto;   // "\n" written as "\r\n"
    bool erro;    // a write failed since the file was opened
};

// Opens (creating or truncating, or appending) an output file.  0 or 1.
int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto, bool acrescenta = false);

// The one write routine of downloads and text files.  A length of 0 does
// nothing.  A failed write is remembered and reported by FechaSaida.
void WriteOutput(ArquivoSaida *s, const void *bytes, size_t comprimento);

// Closes the file: 0 when every write and the close succeeded, else 1.
int FechaSaida(ArquivoSaida *s);

#endif
