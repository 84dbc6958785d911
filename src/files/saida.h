// Output files of the library: downloads (binary) and text files.  Text
// files get "\r\n" line ends on disk on every platform, so that the same
// input gives byte-identical files and signatures everywhere.  The writer
// keeps the MD5 digest of every byte it writes, so that a file it created
// is signed when it is finished, without reading it back.
//
// A file is written under a temporary name in its own directory,
// "~" + final name + "." + process id + ".parcial", which no final-name
// pattern matches, and gets its final name only when it ends: finished
// (signed), kept as it is, or discarded.  A process that dies meanwhile
// leaves only that temporary file; the next output of the same kind in the
// directory removes it once its process no longer runs.  The final name is
// never taken from another file: where it exists, the time stamp in it
// moves to the next free second.
#ifndef TALVOR_FILES_SAIDA_H
#define TALVOR_FILES_SAIDA_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "files/md5.h"

constexpr size_t TAMANHO_BUFFER_SAIDA = 32 * 1024;
constexpr size_t TAMANHO_CAMINHO_SAIDA = 1024;

struct ArquivoSaida {
    FILE *arquivo;
    bool texto;    // "\n" written as "\r\n"
    bool erro;     // a write failed since the file was opened
    bool paralelo; // the digest runs on a thread of its own (DigestoEmParalelo)
    Md5Contexto md5;
    uint8_t *atual;     // with paralelo, the one of the thread's pair being filled
    size_t capacidade;
    size_t usado;       // bytes waiting in the buffer being filled
    uint64_t escritos;  // bytes handed to the file
    char caminho[TAMANHO_CAMINHO_SAIDA];      // the final name (the one it got, once ended)
    char temporario[TAMANHO_CAMINHO_SAIDA];   // where it is written until then
    uint8_t buffer[TAMANHO_BUFFER_SAIDA];
};

// Opens the output that is to be named caminho: its temporary file is
// created in caminho's directory (stale ones of the same kind removed
// first).  0, or 1 when it cannot be created.
int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto);

// For a large output (the converters): the digest of each full buffer is
// computed on a second thread while the buffer is written and the next one
// filled.  One such file at a time; when no thread can be started the
// digest simply runs in line.  Call right after AbreSaida.
void DigestoEmParalelo(ArquivoSaida *s);

// The one write routine of downloads and text files.  A length of 0 does
// nothing.  A failed write is remembered and reported when the file ends.
void WriteOutput(ArquivoSaida *s, const void *bytes, size_t comprimento);

// ---- The three endings; each closes the file, after which s->caminho is
// the name the file got. ----

// Finished: the "EAD" line signed over the digest of what was written, the
// file on the disk, then renamed to its final name.  0; or 1 when a write
// failed (nothing is signed, and the file is kept as FechaSaida keeps it)
// or the rename failed (the file stays under its temporary name).
int FechaEAssinaSaida(ArquivoSaida *s);

// Kept as it is, without a signature line (a conversion that failed half
// way, an output that is not signed), under its final name; it is not
// waited on to reach the disk.  0 when every write and the rename
// succeeded, else 1.
int FechaSaida(ArquivoSaida *s);

// Abandoned: closed and removed.
void DescartaSaida(ArquivoSaida *s);

// ---- For an output whose name is known only once it is complete (the
// scanner capture) ----

// Closes the file on the disk and leaves it under its temporary name.  0,
// or 1 when a write failed.
int FechaSemNome(ArquivoSaida *s);

// Renames a finished file to final (at least TAMANHO_CAMINHO_SAIDA bytes),
// never over another file: a taken name with a time stamp moves to the next
// free second (final is updated), one without is replaced.  The directory
// is made durable.  0, or 1 (the file stays where it was).
int InstalaArquivo(const char *temporario, char *final);

#endif
