// Generators of the type-E record file (Ato COTEPE/ICMS 17/04).
#ifndef TALVOR_TIPOE_TIPOE_H
#define TALVOR_TIPOE_TIPOE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "files/item_list.h"

// Modes of the detail-tape generator.
constexpr int MODO_FD_SOZINHO = 0;
constexpr int MODO_FD_COMBINADO = 1;
constexpr int MODO_FD_REDUCAO = 2;

// Records from the fiscal memory.  Combined: the queue holds the
// detail-tape generator's records (E01, E02 first).  0, 1, 2 or 6.
int GeraTipoEDaMF(const char *arquivoMF, const char *saida, ItemList *fila, bool combinado);

// Records from a detail-tape stream.  0, 1, 4 or 6.
int GeraRegistrosFD(const char *entrada, const char *saida, ItemList *lista, int modo);

// The work of GeraRegistrosFD once the input's signature line has been
// checked: reads the stream of the open file (tamanho bytes with its
// trailer) and writes the records, unsigned; escrito tells whether a file
// for the signature line was finished (alone and reduction modes).
int EscreveRegistrosFD(FILE *entrada, uint64_t tamanho, const char *saida, ItemList *lista,
                       int modo, bool *escrito);

// Memory the detail-tape generator keeps its gathered records in when it
// writes the file itself (alone and reduction modes); past it they go to
// temporary files.  Combined mode hands every record over in memory.
constexpr size_t ORCAMENTO_PADRAO_FD = 8u << 20;
void DefineOrcamentoFD(size_t bytes);

// Test aid: the given record written to a temporary file (counted from 1)
// fails as a full disk would; 0 turns it off.
void FalhaDespejoFD(unsigned registro);

// Refunds of the last run of GeraRegistrosFD that did not fit the 30 refund
// slots of their document and were dropped.
unsigned EstornosDescartadosFD();

#endif
