// The detail-tape mirror: the printed lines of the selected documents of a
// detail-tape record stream, with the document headers and the closing
// identification block composed from the stream's identification records.
#ifndef TALVOR_MFD_ESPELHO_FD_H
#define TALVOR_MFD_ESPELHO_FD_H

#include <cstdint>
#include <cstdio>

// comParametros: the stream is headed by the 29-byte download record (".MFD").
// 0 done; 1 input unreadable or output not creatable; 6 signature mismatch
// or damaged stream.
int GeraEspelhoFD(const char *entrada, const char *saida, const uint8_t *registro29,
                  bool comParametros);

// The work of GeraEspelhoFD once the input's signature line has been
// checked: reads the stream of the open file (tamanho bytes with its
// trailer) and writes the mirror, unsigned.  0 the mirror is complete; 1 the
// output cannot be created or written; 6 a bad tag or damaged record (the
// lines so far and the message are in the file).
int EscreveEspelhoFD(FILE *entrada, uint64_t tamanho, const char *saida,
                     const uint8_t *registro29, bool comParametros);

// The closing block of the mirror.  0 or the first failed write.
int RodapeFD();

#endif
