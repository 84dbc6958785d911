// The sample printer's identity, its users, versions and daily totals, and
// the builders of the fiscal-memory records that keep them.
#ifndef TALVOR_AMOSTRA_MEMORIA_H
#define TALVOR_AMOSTRA_MEMORIA_H

#include "amostra.h"

// The identity the printer reports; its first six characters name the
// downloaded files.
constexpr const char *NUMERO_SERIE = "TV0123SIM78901234567";
constexpr const char *MARCA = "TALVOR";
constexpr const char *MODELO = "7720-QX3";
constexpr const char *TIPO_ECF = "ECF-IF ";

constexpr unsigned NUM_ALIQUOTAS = 5;
constexpr unsigned NUM_PARCIAIS = 28;   // 16 taxed slots, then F, I, N of ICMS and ISSQN
constexpr unsigned NUM_PAGAMENTOS = 4;
constexpr unsigned NUM_NAO_FISCAIS = 3;

struct Versao {
    Momento quando;
    uint8_t numero[3];
};

struct Usuario {
    Momento quando;
    unsigned crz, cro, numero;
    uint64_t gt;
    std::string cnpj, ie, im, nome;
};

// What one day of sales adds up to.
struct Totais {
    uint64_t parcial[NUM_PARCIAIS];
    uint64_t vendaBruta, cancelIcms, cancelIss, descontoIcms, descontoIss, acrescimoIcms, acrescimoIss;
    uint64_t naoFiscal, cancelNaoFiscal, troco;
    uint64_t pagamento[NUM_PAGAMENTOS];
    uint64_t porNaoFiscal[NUM_NAO_FISCAIS];
};

struct Reducao {
    Momento emissao;
    uint16_t movimento;
    unsigned crz, cro;
    uint32_t coo, ccf, gnf, grg, cdc;
    Totais t;
};

void GravaCabecalhoMF(ImagemMF *mf);
void GravaVersaoSB(ImagemMF *mf, unsigned n, const Versao &v);
void GravaDispositivo(ImagemMF *mf, unsigned n, const std::string &serie, unsigned usuario, char marca);
void GravaUsuario(ImagemMF *mf, unsigned slot, const Usuario &u);
void GravaCodificacaoGT(ImagemMF *mf, unsigned n, const Momento &m, unsigned crz, const char *letras);
void GravaSimboloMoeda(ImagemMF *mf, unsigned n, const Momento &m, unsigned crz, const char *simbolo);
void GravaFitaDetalhe(ImagemMF *mf, unsigned n, const Momento &m, unsigned usuario, uint32_t cooInicial,
                      uint32_t cooFinal);
void GravaReinicio(ImagemMF *mf, unsigned cro, const Momento &m, bool intervencao);
void GravaAliquota(ImagemMF *mf, unsigned n, char tipo, unsigned taxa);
void GravaReducaoZ(ImagemMF *mf, const Reducao &z);

#endif
