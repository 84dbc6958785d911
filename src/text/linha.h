// The mirror line writer: one shared 147-character line buffer, its style
// and width, the output file of the mirror being written, and the blocks
// that both mirrors share (ECF identification footer, taxpayer block,
// document header).  The identification data are process-wide: the LMF
// mirror and the detail-tape mirror both fill and read them.
#ifndef TALVOR_TEXT_LINHA_H
#define TALVOR_TEXT_LINHA_H

#include <cstddef>
#include <cstdint>

#include "files/saida.h"
#include "text/datas.h"

constexpr size_t TAMANHO_LINHA = 147;

extern char LinhaTexto[TAMANHO_LINHA];
extern uint8_t EstiloLinha;
extern uint8_t ModoLargura;

// One preformatted header line of the taxpayer block.
struct LinhaPreformatada {
    uint8_t estilo;
    char texto[48];
    uint8_t presente;
};

// Identification data of the ECF, of the taxpayer and of the document.
struct DadosIdentificacao {
    char serie[20];
    char marca[20];
    char modelo[20];
    char tipo[7];
    char numeroEcf[3];
    char numeroLoja[4];
    uint8_t versao[3];
    uint8_t gt[8];            // grand total, host order
    char codificacaoGT[10];   // letter for each digit 0 to 9
    char cnpj[20];
    char ie[20];
    char im[20];
    LinhaPreformatada linhas[6];
    uint8_t coo[4];           // host order
    DataHora dataDocumento;
};
extern DadosIdentificacao Identificacao;

// The file the line writer writes to (opened and closed by the mirror).
extern ArquivoSaida *SaidaEspelho;

void LimpaLinha();
void AjustaEstilo(uint8_t estilo);
unsigned LarguraLinha();
// Copies n characters into LinhaTexto at coluna, cut at the buffer's end.
void ColocaTexto(size_t coluna, const char *texto, size_t n);
// Copies a NUL-terminated label into LinhaTexto at coluna.
void ColocaRotulo(size_t coluna, const char *rotulo);
int EscreveLinha();
int EscreveTexto(const char *texto, size_t n);
int LinhaSeparadora();
int AcrescentaBR(size_t coluna);
void VersaoParaTexto(char *destino8);
void GTCodificado(char *destino18);
// The footer line with the ECF type, software version, ECF and store
// numbers (style 2), shared by both mirrors' closing blocks.
int LinhaTipoVersaoECF();
int RodapeECF();
int CabecalhoUsuario(const LinhaPreformatada *linhas, bool comLinhas,
                     const char *cnpj, const char *ie, const char *im);
int CabecalhoDocumento();

#endif
