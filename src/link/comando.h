// The printer command exchange: every printer command of the library goes
// through ExecutaComando, which sends it and polls until the printer's
// answer (RespostaImpressora) is final.
#ifndef TALVOR_LINK_COMANDO_H
#define TALVOR_LINK_COMANDO_H

#include <cstdint>

#include "link/link.h"

// Offsets in RespostaImpressora.
constexpr unsigned RESPOSTA_INDICADORES = 8;   // 0x20 still running, 0x40 more follows
constexpr unsigned RESPOSTA_CONCLUSAO = 13;    // 'C' when the command completed
constexpr unsigned RESPOSTA_DADOS = 15;

constexpr uint8_t INDICADOR_EXECUTANDO = 0x20;
constexpr uint8_t INDICADOR_INTERMEDIARIA = 0x40;
constexpr uint8_t CONCLUSAO_OK = 'C';

// Sends the command and polls every 2 ms until a final answer is in
// resposta (TAMANHO_RESPOSTA bytes).  0, or the link code that ended it.
int ExecutaComando(const uint8_t *comando, uint32_t comprimento, uint8_t *resposta,
                   uint32_t *comprimentoResposta);

// ExecutaComando, and the answer is complete ('C').  A convenience for the
// callers that count only that outcome as success.
bool ComandoConcluido(const uint8_t *comando, uint32_t comprimento, uint8_t *resposta,
                      uint32_t *comprimentoResposta);

// Progress of a download: blocks done of blocks total.  Unset by the
// exports; the command-line tool sets it to draw a progress bar.
typedef void (*FuncaoProgresso)(uint32_t feitos, uint32_t total, void *contexto);
extern FuncaoProgresso ProgressoDownload;
extern void *ProgressoContexto;
void InformaProgresso(uint32_t feitos, uint32_t total);

#endif
