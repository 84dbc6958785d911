// MontaTabelaHuffman: the decoding table of a canonical code (codes as
// DEFLATE assigns them), root first, then one subtable per root prefix
// shared by codes longer than BITS_RAIZ.  Entries no code reaches are
// ENTRADA_INVALIDA, so an incomplete code decodes its codes and refuses
// the rest.
#include "scanner/tabela_huffman.h"

namespace {

constexpr unsigned N_MAXIMO = 512;
constexpr unsigned RAIZ = 1u << BITS_RAIZ;

// Writes entrada into the 2^(largura - bits) entries that begin with the
// code's last bits (sufixo, bits wide) in a table largura bits wide.
void Preenche(uint32_t *t, unsigned largura, uint32_t sufixo, unsigned bits, uint32_t entrada)
{
    unsigned repete = largura - bits;
    uint32_t *p = t + (sufixo << repete);
    for (uint32_t k = 0, fim = 1u << repete; k < fim; ++k)
        p[k] = entrada;
}

}  // namespace

int MontaTabelaHuffman(const uint8_t *comprimentos, unsigned n, const uint32_t *carga,
                       uint32_t *tabela, unsigned capacidade)
{
    if (n > N_MAXIMO || capacidade < RAIZ)
        return -1;

    // Symbols in code order: by length, then by symbol.
    unsigned contagem[COMPRIMENTO_MAXIMO + 1] = {};
    for (unsigned s = 0; s < n; ++s) {
        if (comprimentos[s] > COMPRIMENTO_MAXIMO)
            return -1;
        ++contagem[comprimentos[s]];
    }
    unsigned inicio[COMPRIMENTO_MAXIMO + 2] = {};
    for (unsigned l = 1; l <= COMPRIMENTO_MAXIMO; ++l)
        inicio[l + 1] = inicio[l] + contagem[l];
    uint16_t ordem[N_MAXIMO];
    for (unsigned s = 0; s < n; ++s)
        if (comprimentos[s] > 0)
            ordem[inicio[comprimentos[s]]++] = static_cast<uint16_t>(s);

    // The code of each symbol in that order: the first code of a length is
    // (first code of the previous length + its count) * 2.
    uint32_t codigos[N_MAXIMO];
    unsigned total = 0;
    uint32_t codigo = 0;
    for (unsigned l = 1; l <= COMPRIMENTO_MAXIMO; ++l) {
        for (unsigned k = 0; k < contagem[l]; ++k) {
            if (codigo >> l != 0)
                return -1;   // more codes than the lengths leave room for
            codigos[total++] = codigo++;
        }
        codigo <<= 1;
    }

    for (unsigned i = 0; i < RAIZ; ++i)
        tabela[i] = ENTRADA_INVALIDA;

    // Short codes fill their root entries.  For the long ones, the widest
    // subtable each root prefix needs: its last code is its longest.
    uint8_t largura[RAIZ] = {};
    for (unsigned i = 0; i < total; ++i) {
        unsigned s = ordem[i];
        unsigned l = comprimentos[s];
        if (l <= BITS_RAIZ)
            Preenche(tabela, BITS_RAIZ, codigos[i], l, carga[s] | l);
        else
            largura[codigos[i] >> (l - BITS_RAIZ)] = static_cast<uint8_t>(l - BITS_RAIZ);
    }

    // Subtables in prefix order after the root; each root entry links to
    // its own.
    unsigned livre = RAIZ;
    for (unsigned prefixo = 0; prefixo < RAIZ; ++prefixo) {
        unsigned w = largura[prefixo];
        if (w == 0)
            continue;
        if (capacidade - livre < (1u << w))
            return -1;
        for (unsigned k = 0; k < (1u << w); ++k)
            tabela[livre + k] = ENTRADA_INVALIDA;
        tabela[prefixo] = CargaDe(ENTRADA_SUBTABELA, livre) | w;
        livre += 1u << w;
    }

    for (unsigned i = 0; i < total; ++i) {
        unsigned s = ordem[i];
        unsigned l = comprimentos[s];
        if (l <= BITS_RAIZ)
            continue;
        uint32_t elo = tabela[codigos[i] >> (l - BITS_RAIZ)];
        unsigned bits = l - BITS_RAIZ;
        Preenche(tabela + ValorDaEntrada(elo), BitsDaEntrada(elo),
                 codigos[i] & ((1u << bits) - 1), bits, carga[s] | l);
    }
    return 0;
}
