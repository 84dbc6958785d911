// The detail-tape mirror: the printed lines of the selected documents of a
// detail-tape record stream.
#ifndef TALVOR_MFD_ESPELHO_FD_H
#define TALVOR_MFD_ESPELHO_FD_H

#include <cstdint>

// comParametros: the stream is headed by the 29-byte download record (".MFD").
// 0 done; 1 input unreadable or output not creatable; 6 signature mismatch
// or damaged stream.
int GeraEspelhoFD(const char *entrada, const char *saida, const uint8_t *registro29,
                  bool comParametros);

#endif
