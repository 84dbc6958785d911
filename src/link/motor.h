// The link engine's internals: states, process-wide variables and the
// routines behind LinkSend and LinkReceive (FrameExchange, LinkProbe,
// LinkSync, LinkReset, LinkStatusPoll).  Declared here for the channel code
// and for tests.
#ifndef TALVOR_LINK_MOTOR_H
#define TALVOR_LINK_MOTOR_H

#include <cstdint>

#include "link/quadro.h"

enum EstadoLink : unsigned {
    LINK_PROBE = 0,
    LINK_SYNC = 1,
    LINK_RESET = 2,
    LINK_REPROBE = 3,
    LINK_RESYNC = 4,
    LINK_STATUS_REQUEST = 5,
    LINK_WAIT_IDLE = 6,
    LINK_WAIT_READY = 7,
    LINK_ESTABLISHED = 8,
};

struct VariaveisLink {
    unsigned estado;
    uint8_t bitSequencia;
    uint8_t pendente[TAMANHO_QUADRO];
    uint32_t comprimentoPendente;
    uint8_t falhasSonda;
    uint8_t contadorResync;
    // Milliseconds of the monotonic clock (RelogioMonotonicoMs).
    uint64_t horaStatus;       // status request done, or printer last busy
    uint64_t ultimaSondagem;   // last poll sent while DSR was on
    uint64_t ultimaResposta;   // last answer accepted from the printer
};
extern VariaveisLink Link;

// Port number of the channel in use: 0 for none and for the USB HID
// channel, else 1 to 100.
extern unsigned PortaLink;

// Outcomes of the internal routines.
enum ResultadoTroca { TROCA_OK, TROCA_REINICIO, TROCA_SEM_RESPOSTA };
enum ResultadoSonda { SONDA_RESPONDIDA, SONDA_REINICIO, SONDA_REPETE, SONDA_DESISTE };
enum ResultadoStatus {
    STATUS_PRONTA,
    STATUS_OCUPADA,
    STATUS_SEM_STATUS,
    STATUS_REINICIO,
    STATUS_SEM_RESPOSTA
};
constexpr int MODO_OCIOSA = 0;
constexpr int MODO_PRONTA = 1;

// One exchange with retries (up to 50 frames); comprimento 0 is a poll.
// resposta must hold 2043 bytes.
ResultadoTroca FrameExchange(const uint8_t *dados, uint32_t comprimento, uint8_t *resposta,
                             uint32_t *comprimentoResposta);
ResultadoSonda LinkProbe();
bool LinkSync();
void LinkReset();
ResultadoStatus LinkStatusPoll(uint8_t *buffer, uint32_t *comprimento, int modo);

// Puts the engine in its opening state (LINK_PROBE, no pending answer).
void IniciaMotorLink();

#endif
