// What the sample shop sells and how it is paid: tax rates, products with
// their totalizer codes, payment methods and non-fiscal totalizers, the
// taxpayers and the header lines printed on their documents.
#ifndef TALVOR_AMOSTRA_CATALOGO_H
#define TALVOR_AMOSTRA_CATALOGO_H

#include "memoria.h"

struct Aliquota {
    char tipo;        // 'T' ICMS, 'S' ISSQN
    unsigned taxa;    // hundredths of a percent
};
extern const Aliquota kAliquotas[NUM_ALIQUOTAS];

struct Produto {
    const char *codigo;
    const char *descricao;   // at most 28 characters
    const char *unidade;
    unsigned preco;          // hundredths; per kilogram when weighed
    uint8_t totalizador;     // totalizer code byte of the item record
    bool pesado;             // quantity in grams
    bool trunca;             // item total truncated instead of rounded
};
extern const Produto kProdutos[];
extern const unsigned kNumProdutos;

extern const char *const kPagamentos[NUM_PAGAMENTOS];
extern const char *const kNaoFiscais[NUM_NAO_FISCAIS];

// Slot (0 to 27) of the partial totalizer of a code byte, whether it is an
// ISSQN totalizer, its code byte back from the slot, and its printed label.
unsigned SlotDoCodigo(uint8_t codigo);
bool SlotIss(unsigned slot);
uint8_t CodigoDoSlot(unsigned slot);
std::string RotuloSlot(unsigned slot);

#endif
