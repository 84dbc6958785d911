// What the LMF mirror gathers from the fiscal-memory image before it writes
// the document: the summary EstadoLMF, the user records, the first CRZ of
// each user in the range (TabelaInicioUsuario) and the currency symbols by
// CRZ (TabelaMoeda); and the reductions section with its accumulators.
#ifndef TALVOR_MF_ESTADO_LMF_H
#define TALVOR_MF_ESTADO_LMF_H

#include <cstddef>
#include <cstdint>

#include "mf/imagem_mf.h"

constexpr unsigned MAX_USUARIOS = 20;
constexpr unsigned MAX_MOEDAS = 10;
constexpr int ERRO_ESTOURO = 64;

struct EstadoLMF {
    char serie[20], marca[20], modelo[20], tipo[7];
    // Current user: the last written user slot.
    char cnpj[20], ie[20], im[20];
    uint8_t usuario;
    unsigned primeiroCrzUsuario;
    // Last reduction of the pass over CRZ 1, 2, 3...
    unsigned ultimoCrz;   // 0: no reduction
    uint32_t coo;
    uint8_t cro;
    uint32_t gnf;
    uint8_t gt[8];
    uint8_t versao[3];
    unsigned fitasDetalhe;
    char codificacaoGT[10];
    uint32_t cooDocumento;
    bool completo;        // complete LMF (else simplified)

    // The user records as read (host order), slot 1 first.
    uint8_t usuarios[MAX_USUARIOS][TAM_USUARIO];
    unsigned numUsuarios;
};
extern EstadoLMF Estado;

// First CRZ of user numbers 1 to 20 (index 0 and 21 stay 0).
extern int TabelaInicioUsuario[MAX_USUARIOS + 2];
extern unsigned PrimeiroUsuario, UltimoUsuario;

struct EntradaMoeda {
    unsigned crz;
    char simbolo[4];
};
extern EntradaMoeda TabelaMoeda[MAX_MOEDAS];
extern unsigned NumMoedas;

// Fills Estado and TabelaMoeda from the mapped image.  0 or 100.
int MontaEstadoLMF();
// The user table for the range of CRZs a to b.
void MontaTabelaInicioUsuario(unsigned a, unsigned b);

// The reductions section of the document for the CRZs a to b.  0, 64, or
// the first failing line write.
int SecaoReducoes(unsigned a, unsigned b);

// Line helpers of the document.
void Poe(size_t coluna, const char *texto);
void PoeN(size_t coluna, const void *texto, size_t n);
void PoeNumero(size_t coluna, unsigned largura, uint64_t valor, uint8_t flags = 0x20);
void PoeDataHora(size_t coluna, uint16_t data, uint16_t hora, uint8_t segundos);
int Linha(const char *texto);

#endif
