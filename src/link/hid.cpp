// The USB HID channel: HidOpen, HidSend, HidReceive, HidClose and the
// reader thread (HidReaderThread) that keeps one read posted on the
// printer's device, hands each answer over through a one-slot buffer and
// finds the device again after it was unplugged.
//
// Report layout, both directions: identifier (1 byte), L = payload + 2
// (16 bits, little-endian), payload.  Commands shorter than 59 bytes go in
// report 2, longer ones in report 1.  An answer with L over 63 did not fit
// the input report: it is fetched as a feature report (identifier 1 when L
// is 255 or more, else 0) into the same buffer.
#include "link/hid.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "link/link.h"
#include "platform/hid_backend.h"
#include "platform/plataforma.h"

namespace {

constexpr uint16_t PAGINA_IMPRESSORA = 0xFF45;
constexpr uint16_t USO_IMPRESSORA = 0x3800;
constexpr uint32_t INTERVALO_BUSCA_MS = 2500;
constexpr uint32_t LIMITE_ESCRITA_MS = 2000;
constexpr uint32_t LIMITE_RELATORIO = 65536;   // report lengths are 16-bit
constexpr int32_t L_CABE_NA_ENTRADA = 63;

struct CanalHid {
    const BackendHid *backend;
    SistemaHid *sistema;
    InfoDispositivoHid info;
    std::atomic<bool> temDispositivo;   // a device handle is open
    std::atomic<bool> conectado;        // ... and usable
    std::atomic<bool> respostaPronta;   // the input buffer holds an answer
    std::mutex dispositivo;             // opening, closing and writing
    LinhaExecucao leitor;
    uint64_t prazo;                     // next search or keep-alive, ms
    uint8_t entrada[LIMITE_RELATORIO + 1];
    uint8_t saida[LIMITE_RELATORIO + 1];
};

CanalHid canal;
const BackendHid *backendEscolhido = nullptr;

int16_t ComprimentoL(const uint8_t *relatorio)
{
    return static_cast<int16_t>(relatorio[1] | (relatorio[2] << 8));
}

// Finds the printer's device; on success it is open, connected and a
// read has been requested.  Called with the device lock free.
int ProcuraImpressora()
{
    std::lock_guard<std::mutex> trava(canal.dispositivo);
    InfoDispositivoHid info {};
    uint64_t agora = canal.backend->RelogioMs();
    if (canal.backend->Procura(canal.sistema, PAGINA_IMPRESSORA, USO_IMPRESSORA, &info) != 0) {
        canal.conectado = false;
        canal.prazo = agora + INTERVALO_BUSCA_MS;
        return LINK_FALHA_ESTABELECER;
    }
    // Report lengths beyond 16 bits or too short to carry the header are
    // not the printer's.
    if (info.entrada < 3 || info.saida < 3 || info.entrada > LIMITE_RELATORIO ||
        info.saida > LIMITE_RELATORIO || info.recurso > LIMITE_RELATORIO) {
        canal.backend->FechaDispositivo(canal.sistema);
        canal.conectado = false;
        canal.prazo = agora + INTERVALO_BUSCA_MS;
        return LINK_FALHA_ESTABELECER;
    }
    canal.info = info;
    canal.temDispositivo = true;
    canal.conectado = true;
    canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
    canal.prazo = agora + INTERVALO_BUSCA_MS;
    return LINK_OK;
}

void FechaImpressora()
{
    std::lock_guard<std::mutex> trava(canal.dispositivo);
    canal.backend->FechaDispositivo(canal.sistema);
    canal.temDispositivo = false;
    canal.conectado = false;
}

// An input report of 'lidos' bytes has arrived.  An answer that does not
// fit in what was read, in the caller's answer buffer, or that is shorter
// than its own length field, is dropped and the next read posted.
void TrataRelatorio(uint32_t lidos)
{
    int32_t l = ComprimentoL(canal.entrada);
    uint32_t disponivel = lidos;
    if (l > L_CABE_NA_ENTRADA) {
        canal.entrada[0] = l >= 255 ? 1 : 0;
        uint32_t n = canal.info.recurso;
        disponivel = canal.backend->LeRecurso(canal.sistema, canal.entrada, n) == 0 ? n : 0;
        l = ComprimentoL(canal.entrada);
    }
    if (lidos < 3 || l < 2 || static_cast<uint32_t>(l) - 2 > TAMANHO_RESPOSTA ||
        static_cast<uint32_t>(l) + 1 > disponivel) {
        canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
        return;
    }
    canal.respostaPronta = true;
}

void HidReaderThread()
{
    const BackendHid *b = canal.backend;
    for (;;) {
        uint64_t agora = b->RelogioMs();
        EventoHid e = canal.prazo > agora
                          ? b->Espera(canal.sistema, static_cast<uint32_t>(canal.prazo - agora))
                          : HID_EVENTO_TEMPO;
        agora = b->RelogioMs();
        switch (e) {
        case HID_EVENTO_TEMPO:
            if (canal.conectado)
                canal.prazo += INTERVALO_BUSCA_MS;
            else
                ProcuraImpressora();
            continue;
        case HID_EVENTO_PARAR:
            FechaImpressora();
            return;
        case HID_EVENTO_PEDIDO: {
            // No read while an answer waits in the slot: HidReceive asks
            // again once it has taken it.
            if (!canal.temDispositivo || canal.respostaPronta)
                break;
            uint32_t lidos = 0;
            LeituraHid r = b->IniciaLeitura(canal.sistema, canal.entrada, canal.info.entrada, &lidos);
            if (r == HID_LIDO && lidos > 0)
                TrataRelatorio(lidos);
            else if (r == HID_LIDO)
                b->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
            else if (r == HID_DESCONECTADO)
                FechaImpressora();
            break;
        }
        case HID_EVENTO_LEITURA: {
            uint32_t lidos = 0;
            LeituraHid r = b->ConcluiLeitura(canal.sistema, &lidos);
            if (r == HID_LIDO && lidos > 0) {
                TrataRelatorio(lidos);
            } else if (r == HID_LIDO) {
                FechaImpressora();
                canal.prazo = 0;
            } else if (r == HID_DESCONECTADO) {
                FechaImpressora();
                canal.prazo = agora + INTERVALO_BUSCA_MS;
            }
            break;
        }
        case HID_EVENTO_FALHA:
            continue;
        }
        if (canal.prazo == 0)
            canal.prazo = agora + INTERVALO_BUSCA_MS;
    }
}

}  // namespace

void HidDefineBackend(const BackendHid *backend)
{
    backendEscolhido = backend;
}

int HidOpen()
{
    if (canal.sistema != nullptr)
        HidClose();
    canal.backend = backendEscolhido != nullptr ? backendEscolhido : BackendHidSistema();
    canal.sistema = canal.backend->Abre();
    if (canal.sistema == nullptr)
        return LINK_FALHA_ESTABELECER;
    canal.respostaPronta = false;
    canal.temDispositivo = false;
    canal.conectado = false;
    int r = ProcuraImpressora();
    if (r != LINK_OK) {
        canal.backend->Libera(canal.sistema);
        canal.sistema = nullptr;
        return r;
    }
    // Every open starts its own reader thread (HidClose ended the last).
    if (IniciaLinha(&canal.leitor, HidReaderThread) != 0) {
        FechaImpressora();
        canal.backend->Libera(canal.sistema);
        canal.sistema = nullptr;
        return LINK_FALHA_ESTABELECER;
    }
    return LINK_OK;
}

int HidSend(const uint8_t *comando, uint32_t comprimento)
{
    if (canal.sistema == nullptr || !canal.temDispositivo)
        return LINK_FECHADA;
    if (!canal.conectado)
        return LINK_NADA_AINDA;
    std::lock_guard<std::mutex> trava(canal.dispositivo);
    if (!canal.temDispositivo)
        return LINK_FECHADA;
    uint32_t n = canal.info.saida;
    if (comprimento + 3 > n)
        return LINK_COMANDO_LONGO;   // the output report cannot carry it
    std::memset(canal.saida, 0, n);
    canal.saida[0] = comprimento < 59 ? 2 : 1;
    canal.saida[1] = static_cast<uint8_t>((comprimento + 2) & 0xFF);
    canal.saida[2] = static_cast<uint8_t>((comprimento + 2) >> 8);
    if (comprimento > 0)
        std::memcpy(canal.saida + 3, comando, comprimento);
    bool desconectado = false;
    int r = canal.backend->Escreve(canal.sistema, canal.saida, n, LIMITE_ESCRITA_MS, &desconectado);
    if (desconectado)
        canal.conectado = false;
    return r;
}

int HidReceive(uint8_t *resposta, uint32_t *comprimento)
{
    *comprimento = 0;
    if (canal.sistema == nullptr || !canal.temDispositivo)
        return LINK_FECHADA;
    if (!canal.respostaPronta)
        return LINK_NADA_AINDA;
    uint32_t n = static_cast<uint32_t>(ComprimentoL(canal.entrada)) - 2;
    std::memcpy(resposta, canal.entrada + 3, n);
    *comprimento = n;
    canal.respostaPronta = false;
    canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
    return n > 8 && (resposta[8] & 0x40) != 0 ? LINK_MAIS_VEM : LINK_OK;
}

int HidClose()
{
    if (canal.sistema == nullptr)
        return 0;
    canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PARAR);
    AguardaLinha(&canal.leitor);
    canal.backend->Libera(canal.sistema);
    canal.sistema = nullptr;
    canal.temDispositivo = false;
    canal.conectado = false;
    canal.respostaPronta = false;
    return 0;
}

namespace {
// In a forked child, the parent's channel: kept aside, never used
// (releasing any of it could reach what the parent still uses).
SistemaHid *volatile sistemaDoPai = nullptr;
void *volatile leitorDoPai = nullptr;
}  // namespace

void HidEsqueceNoFilho()
{
    sistemaDoPai = canal.sistema;
    leitorDoPai = canal.leitor.interno;
    new (&canal.dispositivo) std::mutex;   // perhaps held by a parent's thread
    canal.sistema = nullptr;
    canal.leitor.interno = nullptr;
    canal.temDispositivo = false;
    canal.conectado = false;
    canal.respostaPronta = false;
}
