// The link engine: a host-driven stop-and-wait exchange with one sequence
// bit, and the establishment state machine that LinkReceive drives one step
// per call (probe, reset, sync, status request, wait until ready).  Every
// interval is measured on the monotonic clock: a step of the wall clock
// neither stalls nor shortens it.
#include "link/motor.h"

#include <cstring>

#include "link/hid.h"
#include "link/link.h"
#include "platform/plataforma.h"
#include "platform/porta_serial.h"

VariaveisLink Link;
unsigned PortaLink = 0;

// The transmit frame buffer.
static uint8_t QuadroEnviado[TAMANHO_QUADRO];

constexpr unsigned MAX_ENVIOS = 50;
constexpr uint64_t ESPACO_SONDAGEM_MS = 100;
constexpr uint64_t ESPERA_STATUS_MS = 8000;
constexpr uint8_t MAX_RESYNC = 8;
// Without DSR an exchange gives up after 50 unanswered frames, about 10 s
// of 200 ms reads.  With DSR on, a poll repeated within 100 ms of the last
// one ends the exchange with no data instead, so a printer whose frames
// fail at once (noise, a read error) would be polled for ever: once no
// answer has been accepted for as long, an established link reports no
// answer.  Answers of any kind (busy, still running, more follows, empty)
// restart the count: a printer that keeps answering is waited for.
constexpr uint64_t SILENCIO_MAX_MS = 10000;

void IniciaMotorLink()
{
    Link.estado = LINK_PROBE;
    Link.comprimentoPendente = 0;
    Link.ultimaResposta = RelogioMonotonicoMs();
}

ResultadoTroca FrameExchange(const uint8_t *dados, uint32_t comprimento, uint8_t *resposta,
                             uint32_t *comprimentoResposta)
{
    unsigned tentativas = 0;
    for (;;) {
        if (comprimento == 0 && PortaSerialDSR()) {
            // While the printer holds DSR on, polls are at least 100 ms apart.
            uint64_t agora = RelogioMonotonicoMs();
            if (agora - Link.ultimaSondagem < ESPACO_SONDAGEM_MS) {
                *comprimentoResposta = 0;
                return TROCA_OK;
            }
            Link.ultimaSondagem = agora;
        }
        size_t n = MontaQuadro(QuadroEnviado, Link.bitSequencia, dados, comprimento);
        PortaSerialEscreve(QuadroEnviado, n);
        if (FrameRead() == QUADRO_OK) {
            uint8_t tipo = TipoRecebido();
            if (tipo == TIPO_REINICIO) {
                Link.ultimaResposta = RelogioMonotonicoMs();
                return TROCA_REINICIO;
            }
            if (tipo == Link.bitSequencia) {
                Link.ultimaResposta = RelogioMonotonicoMs();
                uint32_t m = ComprimentoRecebido();
                std::memcpy(resposta, QuadroRecebido + 3, m);
                *comprimentoResposta = m;
                Link.bitSequencia ^= 1;
                return TROCA_OK;
            }
        }
        // A bad frame, the other sequence bit or a sync acknowledgement: the
        // same frame goes again after a purge.
        PortaSerialPurga();
        if (++tentativas >= MAX_ENVIOS)
            return TROCA_SEM_RESPOSTA;
    }
}

ResultadoSonda LinkProbe()
{
    size_t n = MontaQuadro(QuadroEnviado, CONTROLE_DADOS_0, nullptr, 0);
    PortaSerialEscreve(QuadroEnviado, n);
    if (FrameRead() == QUADRO_OK) {
        Link.falhasSonda = 0;
        return TipoRecebido() == TIPO_REINICIO ? SONDA_REINICIO : SONDA_RESPONDIDA;
    }
    if (Link.falhasSonda < MAX_ENVIOS) {
        ++Link.falhasSonda;
        PortaSerialPurga();
        return SONDA_REPETE;
    }
    Link.falhasSonda = 0;
    return SONDA_DESISTE;
}

bool LinkSync()
{
    size_t n = MontaQuadro(QuadroEnviado, CONTROLE_SYNC, nullptr, 0);
    for (unsigned envios = 1;; ++envios) {
        PortaSerialEscreve(QuadroEnviado, n);
        if (FrameRead() == QUADRO_OK && TipoRecebido() == TIPO_ACK_SYNC) {
            Link.bitSequencia = 0;
            return true;
        }
        PortaSerialPurga();
        if (envios >= MAX_ENVIOS + 1)
            return false;
    }
}

void LinkReset()
{
    size_t n = MontaQuadro(QuadroEnviado, CONTROLE_RESET, nullptr, 0);
    PortaSerialEscreve(QuadroEnviado, n);
    PortaSerialPurga();
}

ResultadoStatus LinkStatusPoll(uint8_t *buffer, uint32_t *comprimento, int modo)
{
    switch (FrameExchange(nullptr, 0, buffer, comprimento)) {
    case TROCA_REINICIO: return STATUS_REINICIO;
    case TROCA_SEM_RESPOSTA: return STATUS_SEM_RESPOSTA;
    case TROCA_OK: break;
    }
    if (*comprimento < 9)
        return modo == MODO_OCIOSA ? STATUS_PRONTA : STATUS_SEM_STATUS;
    uint8_t indicadores = buffer[8];
    if (modo == MODO_OCIOSA)
        return (indicadores & 0x04) == 0 ? STATUS_PRONTA : STATUS_OCUPADA;
    return (indicadores & 0x0C) == 0x08 ? STATUS_PRONTA : STATUS_OCUPADA;
}

int LinkSend(const uint8_t *comando, uint32_t comprimento)
{
    if (PortaLink == 0)
        return HidSend(comando, comprimento);
    if (!PortaSerialAberta())
        return LINK_FECHADA;
    if (comprimento > TAMANHO_COMANDO_MAX)
        return LINK_COMANDO_LONGO;
    if (comando == nullptr && comprimento > 0)
        return LINK_FALHA_PASSO;
    Link.comprimentoPendente = 0;
    // Commands that restart the link are not transmitted: a reset goes out
    // and the link is brought up again.
    if ((comprimento >= 2 && comando[0] == 0x00 && comando[1] == 0x40) ||
        (comprimento >= 4 && comando[0] == 0x1B && comando[1] == 0x66 && comando[2] == 0xFA &&
         comando[3] == 0x00)) {
        LinkReset();
        Link.estado = LINK_REPROBE;
        return LINK_CHAMAR_DE_NOVO;
    }
    switch (FrameExchange(comando, comprimento, Link.pendente, &Link.comprimentoPendente)) {
    case TROCA_REINICIO:
        Link.comprimentoPendente = 0;
        Link.estado = LINK_REPROBE;
        return LINK_REINICIO;
    case TROCA_SEM_RESPOSTA:
        Link.comprimentoPendente = 0;
        return LINK_SEM_RESPOSTA;
    case TROCA_OK:
        break;
    }
    return LINK_OK;
}

// An answer without a flags byte (shorter than 9 bytes) is not taken as
// final: its byte 8 would be whatever the buffer held before.
static int ClassificaResposta(const uint8_t *resposta, uint32_t comprimento)
{
    if (comprimento < 9)
        return LINK_MAIS_VEM;
    return (resposta[8] & 0x40) != 0 ? LINK_MAIS_VEM : LINK_OK;
}

static int Entrega(uint8_t *resposta, uint32_t *comprimento)
{
    if (Link.comprimentoPendente > 0) {
        uint32_t n = Link.comprimentoPendente;
        std::memcpy(resposta, Link.pendente, n);
        *comprimento = n;
        Link.comprimentoPendente = 0;
        return ClassificaResposta(resposta, n);
    }
    DormeMs(5);
    uint32_t n = 0;
    switch (FrameExchange(nullptr, 0, Link.pendente, &n)) {
    case TROCA_REINICIO:
        Link.estado = LINK_REPROBE;
        return LINK_REINICIO;
    case TROCA_SEM_RESPOSTA:
        return LINK_SEM_RESPOSTA;
    case TROCA_OK:
        break;
    }
    if (n == 0) {
        *comprimento = 0;
        if (RelogioMonotonicoMs() - Link.ultimaResposta > SILENCIO_MAX_MS)
            return LINK_SEM_RESPOSTA;
        return LINK_NADA_AINDA;
    }
    std::memcpy(resposta, Link.pendente, n);
    *comprimento = n;
    Link.comprimentoPendente = 0;
    return ClassificaResposta(resposta, n);
}

int LinkReceive(uint8_t *resposta, uint32_t *comprimento)
{
    if (PortaLink == 0)
        return HidReceive(resposta, comprimento);
    if (!PortaSerialAberta())
        return LINK_FECHADA;
    if (resposta == nullptr || comprimento == nullptr)
        return LINK_FALHA_PASSO;
    switch (Link.estado) {
    case LINK_PROBE:
        switch (LinkProbe()) {
        case SONDA_REINICIO: Link.estado = LINK_SYNC; return LINK_CHAMAR_DE_NOVO;
        case SONDA_RESPONDIDA: Link.estado = LINK_RESET; return LINK_CHAMAR_DE_NOVO;
        case SONDA_REPETE: return LINK_CHAMAR_DE_NOVO;
        case SONDA_DESISTE: return LINK_SEM_RESPOSTA;
        }
        break;
    case LINK_SYNC:
        if (LinkSync()) {
            Link.estado = LINK_STATUS_REQUEST;
            return LINK_CHAMAR_DE_NOVO;
        }
        Link.estado = LINK_PROBE;
        return LINK_FALHA_ESTABELECER;
    case LINK_RESET:
        LinkReset();
        Link.estado = LINK_REPROBE;
        return LINK_CHAMAR_DE_NOVO;
    case LINK_REPROBE:
        Link.contadorResync = 0;
        switch (LinkProbe()) {
        case SONDA_REINICIO: Link.estado = LINK_RESYNC; return LINK_CHAMAR_DE_NOVO;
        case SONDA_REPETE: return LINK_CHAMAR_DE_NOVO;
        case SONDA_RESPONDIDA:
        case SONDA_DESISTE: Link.estado = LINK_PROBE; return LINK_FALHA_ESTABELECER;
        }
        break;
    case LINK_RESYNC:
        if (++Link.contadorResync > MAX_RESYNC || !LinkSync()) {
            Link.estado = LINK_PROBE;
            return LINK_FALHA_ESTABELECER;
        }
        Link.estado = LINK_WAIT_IDLE;
        return LINK_CHAMAR_DE_NOVO;
    case LINK_STATUS_REQUEST: {
        const uint8_t pedido[4] = {0x1B, 0x66, 0xFC, 0x00};
        if (FrameExchange(pedido, sizeof pedido, resposta, comprimento) != TROCA_OK) {
            Link.estado = LINK_PROBE;
            return LINK_FALHA_ESTABELECER;
        }
        Link.horaStatus = RelogioMonotonicoMs();
        Link.estado = LINK_WAIT_READY;
        return LINK_CHAMAR_DE_NOVO;
    }
    case LINK_WAIT_IDLE:
        switch (LinkStatusPoll(resposta, comprimento, MODO_OCIOSA)) {
        case STATUS_PRONTA: Link.estado = LINK_STATUS_REQUEST; return LINK_CHAMAR_DE_NOVO;
        case STATUS_OCUPADA:
        case STATUS_SEM_STATUS: return LINK_CHAMAR_DE_NOVO;
        case STATUS_REINICIO: Link.estado = LINK_RESYNC; return LINK_CHAMAR_DE_NOVO;
        case STATUS_SEM_RESPOSTA: Link.estado = LINK_PROBE; return LINK_FALHA_ESTABELECER;
        }
        break;
    case LINK_WAIT_READY:
        switch (LinkStatusPoll(resposta, comprimento, MODO_PRONTA)) {
        case STATUS_PRONTA: Link.estado = LINK_ESTABLISHED; return LINK_OK;
        case STATUS_OCUPADA:
            Link.horaStatus = RelogioMonotonicoMs();
            return LINK_CHAMAR_DE_NOVO;
        case STATUS_SEM_STATUS:
            if (RelogioMonotonicoMs() - Link.horaStatus > ESPERA_STATUS_MS)
                Link.estado = LINK_RESET;
            return LINK_CHAMAR_DE_NOVO;
        case STATUS_REINICIO: Link.estado = LINK_RESYNC; return LINK_CHAMAR_DE_NOVO;
        case STATUS_SEM_RESPOSTA: Link.estado = LINK_PROBE; return LINK_FALHA_ESTABELECER;
        }
        break;
    default:
        break;
    }
    return Entrega(resposta, comprimento);
}
