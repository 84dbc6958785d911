// libFuzzer target: the serial link fed by a scripted port.  The port's
// reads hand out the input bytes in order (a read asking for more than is
// left gets what is left, as a time limit would), writes are checked and
// dropped, and the clocks are virtual: sleeping and reading the clock move
// them on, so nothing here waits.  The bytes go first through FrameRead
// alone, then through the link engine: establishment by LinkReceive and a
// few commands through ExecutaComando.  Input: an options byte (bit 0: DSR
// on; bit 1: a longest command) and the bytes the printer sends.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/comando.h"
#include "link/link.h"
#include "link/motor.h"
#include "link/quadro.h"
#include "platform/hid_backend.h"
#include "platform/plataforma.h"
#include "platform/porta_serial.h"

namespace {

const uint8_t *fluxo;
size_t restante;
bool aberta;
bool dsr;
uint64_t relogioMs = 13000000000000ULL;   // some day after 1601
volatile uint8_t sumidouro;

void Roteiro(const uint8_t *dados, size_t n)
{
    fluxo = dados;
    restante = n;
}

}  // namespace

// The scripted port.
int PortaSerialAbre(unsigned, uint32_t)
{
    aberta = true;
    return PORTA_ABERTA;
}
bool PortaSerialAberta() { return aberta; }
void PortaSerialFecha() { aberta = false; }
void PortaSerialEscreve(const uint8_t *bytes, size_t quantidade)
{
    uint8_t soma = 0;
    for (size_t i = 0; i < quantidade; ++i)
        soma = static_cast<uint8_t>(soma + bytes[i]);
    sumidouro = soma;
    relogioMs += 1;
}
void PortaSerialPurga() {}
int PortaSerialDefineLimites(unsigned, unsigned, unsigned) { return 0; }
int PortaSerialLe(uint8_t *destino, size_t quantidade, size_t *lidos)
{
    size_t n = quantidade < restante ? quantidade : restante;
    if (n != 0)
        std::memcpy(destino, fluxo, n);
    fluxo += n;
    restante -= n;
    *lidos = n;
    relogioMs += n < quantidade ? 150 : 1;
    return 0;
}
bool PortaSerialDSR() { return dsr; }
void FechaRecursosAoDescarregar() {}

// The virtual clocks.
void LeRelogioLocal(RelogioLocal *r)
{
    std::memset(r, 0, sizeof *r);
    r->ano = 2007;
    r->mes = 3;
    r->dia = 15;
}
uint64_t RelogioUtcMs() { return relogioMs; }
int64_t RelogioSegundos() { return static_cast<int64_t>(relogioMs / 1000); }
uint64_t RelogioMonotonicoMs() { return relogioMs; }
void DormeMs(unsigned ms) { relogioMs += ms; }

// The USB HID channel is not under test: it has no backend and no reader.
const BackendHid *BackendHidSistema() { return nullptr; }
int IniciaLinha(LinhaExecucao *, void (*)()) { return 1; }
void AguardaLinha(LinhaExecucao *) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    if (tamanho < 1)
        return 0;
    const uint8_t opcoes = dados[0];
    dsr = (opcoes & 1) != 0;

    // FrameRead alone, frame after frame, until the bytes run out.
    Roteiro(dados + 1, tamanho - 1);
    while (restante != 0) {
        int r = FrameRead();
        if (r != QUADRO_OK && r != QUADRO_CRC && r != QUADRO_COMPRIMENTO &&
            r != QUADRO_CONTROLE && r != QUADRO_TEMPO)
            std::abort();
        if (r == QUADRO_OK && ComprimentoRecebido() > DADOS_QUADRO_IMPRESSORA)
            std::abort();
    }

    // The engine: establishment, then commands while the link holds.
    Roteiro(dados + 1, tamanho - 1);
    LinkClose();
    if (LinkOpen(1) != LINK_OK)
        std::abort();
    static uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t comprimento = 0;
    bool estabelecido = false;
    for (int passo = 0; passo < 400 && !estabelecido; ++passo) {
        comprimento = 0;
        int r = LinkReceive(resposta, &comprimento);
        if (comprimento > TAMANHO_RESPOSTA)
            std::abort();
        estabelecido = r == LINK_OK && Link.estado == LINK_ESTABLISHED;
        if (restante == 0 && r != LINK_CHAMAR_DE_NOVO)
            break;
    }
    if (estabelecido) {
        uint8_t comando[TAMANHO_COMANDO_MAX];
        std::memset(comando, 0x41, sizeof comando);
        const uint8_t status[4] = {0x1B, 0x66, 0xFC, 0x00};
        for (int i = 0; i < 4; ++i) {
            bool longo = (opcoes & 2) != 0 && i == 1;
            int r = ExecutaComando(longo ? comando : status, longo ? sizeof comando : sizeof status,
                                   resposta, &comprimento);
            if (comprimento > TAMANHO_RESPOSTA)
                std::abort();
            if (r != LINK_OK || restante == 0)
                break;
        }
    }
    LinkClose();
    return 0;
}
