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
// detail-tape generator's records (E01, E02 first), and the records go on
// the file SaidaCombinadaFD left open, if any.  0, 1, 2 or 6.
int GeraTipoEDaMF(const char *arquivoMF, const char *saida, ItemList *fila, bool combinado);

// Records from a detail-tape stream.  0, 1, 4 or 6.
int GeraRegistrosFD(const char *entrada, const char *saida, ItemList *lista, int modo);

// The work of GeraRegistrosFD once the input's signature line has been
// checked: reads the stream of the open file (tamanho bytes with its
// trailer) and writes the records, unsigned; escrito tells whether a file
// for the signature line was finished (alone and reduction modes).
int EscreveRegistrosFD(FILE *entrada, uint64_t tamanho, const char *saida, ItemList *lista,
                       int modo, bool *escrito);

// Memory the detail-tape generator keeps its gathered records in; past it
// they go to temporary files.  In combined mode a stream that stayed within
// the budget hands every record over in the list; one that went past it
// hands over E01 and E02 only and keeps E14 to E21 (on disk and in memory)
// for the fiscal-memory generator, which writes them with EscreveRestoFD.
constexpr size_t ORCAMENTO_PADRAO_FD = 8u << 20;
void DefineOrcamentoFD(size_t bytes);

// Writes the records a combined run kept back, in their type order, after
// what the output already holds, and lets them go.  0 (also when nothing
// was kept back), or 1 when a temporary file cannot be read back.
struct ArquivoSaida;
int EscreveRestoFD(ArquivoSaida *out);
// Lets the kept-back records go without writing them (a failed or
// abandoned combined conversion).  Nothing happens when none are kept.
void DescartaRestoFD();

// The combined file is one output from the detail tape's first line to the
// signature line: a combined run of the detail-tape generator that succeeds
// leaves it open (nullptr when it wrote none), the fiscal-memory generator
// writes on and ends it.  The next detail-tape run discards one left open.
ArquivoSaida *SaidaCombinadaFD();

// Test aid: the given record written to a temporary file (counted from 1)
// fails as a full disk would; 0 turns it off.
void FalhaDespejoFD(unsigned registro);

// Refunds of the last run of GeraRegistrosFD that did not fit the 30 refund
// slots of their document and were dropped.
unsigned EstornosDescartadosFD();

#endif
