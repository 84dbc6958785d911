// The printer command exchange.
#include "link/comando.h"

#include "platform/plataforma.h"

FuncaoProgresso ProgressoDownload = nullptr;
void *ProgressoContexto = nullptr;

void InformaProgresso(uint32_t feitos, uint32_t total)
{
    if (ProgressoDownload != nullptr)
        ProgressoDownload(feitos, total, ProgressoContexto);
}

int ExecutaComando(const uint8_t *comando, uint32_t comprimento, uint8_t *resposta,
                   uint32_t *comprimentoResposta)
{
    *comprimentoResposta = 0;
    int r = LinkSend(comando, comprimento);
    if (r != LINK_OK)
        return r;
    // Intermediate (1), nothing yet (2) and still-running answers are
    // dropped; the caller sees only the final one.  A printer that keeps
    // answering is waited for however long it works; the link bounds the
    // wait on one that stops answering (50 unanswered polls, or 10 s
    // without an answer while DSR spaces the polls).
    for (;;) {
        DormeMs(2);
        *comprimentoResposta = 0;
        r = LinkReceive(resposta, comprimentoResposta);
        if (r == LINK_MAIS_VEM || r == LINK_NADA_AINDA)
            continue;
        if (r == LINK_OK && *comprimentoResposta > RESPOSTA_INDICADORES &&
            (resposta[RESPOSTA_INDICADORES] & INDICADOR_EXECUTANDO) != 0)
            continue;
        return r;
    }
}

bool ComandoConcluido(const uint8_t *comando, uint32_t comprimento, uint8_t *resposta,
                      uint32_t *comprimentoResposta)
{
    int r = ExecutaComando(comando, comprimento, resposta, comprimentoResposta);
    return r == LINK_OK && *comprimentoResposta > RESPOSTA_CONCLUSAO &&
           resposta[RESPOSTA_CONCLUSAO] == CONCLUSAO_OK;
}
