// The USB HID channel: HidOpen, HidSend, HidReceive, HidClose and the
// reader thread (HidReaderThread) that keeps one read posted on the
// printer's device, hands each answer over through a one-slot buffer and
// finds the device again after it was unplugged.
//
// Report layout, both directions: identifier (1 byte), L = payload + 2
// (16 bits, little-endian), payload.  Commands shorter than 59 bytes go in
// report 2, longer ones in report 1 (report 0 on a device that numbers no
// output report).  An answer with L over 63 did not fit the input report:
// it is fetched as a feature report (identifier 1 when L is 255 or more,
// else 0; always 0 on a device that numbers no feature report) into the
// same buffer.
//
// Silence is bounded: a printer that hands over no answer of any kind for
// LIMITE_SILENCIO_MS after the command was written, or after its last
// answer, gets the link's no-answer result.  Busy, still-running and
// more-follows answers are answers: a printer that keeps sending them is
// waited for as long as it works.
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
// A read that failed with the device still there is posted again after
// this pause (at once, a failure that repeats would keep the thread busy).
constexpr uint32_t INTERVALO_REPETICAO_MS = 100;
// Reports taken in one go before the thread looks at its events again.
constexpr unsigned RELATORIOS_POR_VEZ = 64;
constexpr uint64_t LIMITE_SILENCIO_MS = 30000;
constexpr uint32_t LIMITE_RELATORIO = 65536;   // report lengths are 16-bit
constexpr int32_t L_CABE_NA_ENTRADA = 63;

struct CanalHid {
    const BackendHid *backend;
    SistemaHid *sistema;
    InfoDispositivoHid info;
    std::atomic<bool> temDispositivo;   // a device handle is open
    std::atomic<bool> conectado;        // ... and usable
    std::atomic<bool> respostaPronta;   // the input buffer holds an answer
    std::atomic<uint64_t> ultimoSinal;  // the command written, or the last answer taken
    std::mutex dispositivo;             // opening, closing, writing, taking an answer
    LinhaExecucao leitor;
    // The reader thread's own.
    uint64_t prazo;                     // next search or keep-alive, ms
    uint64_t repetirEm;                 // when a failed read is posted again (0: none)
    bool lendo;                         // a read is outstanding
    uint8_t entrada[LIMITE_RELATORIO + 1];
    uint8_t saida[LIMITE_RELATORIO + 1];
};

CanalHid canal;
const BackendHid *backendEscolhido = nullptr;

int16_t ComprimentoL(const uint8_t *relatorio)
{
    return static_cast<int16_t>(relatorio[1] | (relatorio[2] << 8));
}

// A device that is gone, or was never found: nothing of it is left, not
// even an answer it had sent (the next command must not receive it).
void EsqueceDispositivo()
{
    canal.temDispositivo = false;
    canal.conectado = false;
    canal.respostaPronta = false;
    canal.lendo = false;
    canal.repetirEm = 0;
}

// Finds the printer's device; on success it is open, connected and a
// read has been requested.  Called with the device lock free.
int ProcuraImpressora()
{
    std::lock_guard<std::mutex> trava(canal.dispositivo);
    InfoDispositivoHid info {};
    uint64_t agora = canal.backend->RelogioMs();
    canal.prazo = agora + INTERVALO_BUSCA_MS;
    // The search closes the device held so far, if any.
    EsqueceDispositivo();
    if (canal.backend->Procura(canal.sistema, PAGINA_IMPRESSORA, USO_IMPRESSORA, &info) != HID_ACHADO)
        return LINK_FALHA_ESTABELECER;
    // Report lengths beyond 16 bits or too short to carry the header are
    // not the printer's.
    if (info.entrada < 3 || info.saida < 3 || info.entrada > LIMITE_RELATORIO ||
        info.saida > LIMITE_RELATORIO || info.recurso > LIMITE_RELATORIO) {
        canal.backend->FechaDispositivo(canal.sistema);
        return LINK_FALHA_ESTABELECER;
    }
    canal.info = info;
    canal.temDispositivo = true;
    canal.conectado = true;
    canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
    return LINK_OK;
}

void FechaImpressora()
{
    std::lock_guard<std::mutex> trava(canal.dispositivo);
    canal.backend->FechaDispositivo(canal.sistema);
    EsqueceDispositivo();
}

// An input report of 'lidos' bytes has arrived.  An answer that does not
// fit in what was read, in the caller's answer buffer, or that is shorter
// than its own length field, is dropped.
void TrataRelatorio(uint32_t lidos)
{
    int32_t l = lidos >= 3 ? ComprimentoL(canal.entrada) : -1;
    uint32_t disponivel = lidos;
    if (l > L_CABE_NA_ENTRADA) {
        // A device that numbers no feature report has only report 0.
        bool numerados = (canal.info.numerados & HID_NUMERA_RECURSO) != 0;
        canal.entrada[0] = numerados && l >= 255 ? 1 : 0;
        uint32_t obtidos = 0;
        if (canal.backend->LeRecurso(canal.sistema, canal.entrada, canal.info.recurso, &obtidos) != 0)
            obtidos = 0;
        disponivel = obtidos;
        l = disponivel >= 3 ? ComprimentoL(canal.entrada) : -1;
    }
    if (l < 2 || static_cast<uint32_t>(l) - 2 > TAMANHO_RESPOSTA ||
        static_cast<uint32_t>(l) + 1 > disponivel)
        return;
    canal.respostaPronta = true;
}

// Keeps one read posted while the device is connected and no answer waits
// in the slot; reports that are there at once are handled here.
void MantemLeitura(uint64_t agora)
{
    const BackendHid *b = canal.backend;
    for (unsigned vez = 0; canal.conectado && canal.temDispositivo && !canal.lendo &&
                           canal.repetirEm == 0 && !canal.respostaPronta;
         ++vez) {
        if (vez == RELATORIOS_POR_VEZ) {
            b->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
            return;
        }
        uint32_t lidos = 0;
        LeituraHid r = b->IniciaLeitura(canal.sistema, canal.entrada, canal.info.entrada, &lidos);
        if (r == HID_PENDENTE) {
            canal.lendo = true;
        } else if (r == HID_LIDO && lidos > 0) {
            TrataRelatorio(lidos);
        } else if (r == HID_DESCONECTADO) {
            FechaImpressora();
            canal.prazo = agora + INTERVALO_BUSCA_MS;
        } else {
            canal.repetirEm = agora + INTERVALO_REPETICAO_MS;
        }
    }
}

void HidReaderThread()
{
    const BackendHid *b = canal.backend;
    for (;;) {
        uint64_t agora = b->RelogioMs();
        uint64_t limite = canal.prazo;
        if (canal.repetirEm != 0 && canal.repetirEm < limite)
            limite = canal.repetirEm;
        EventoHid e = limite > agora ? b->Espera(canal.sistema, static_cast<uint32_t>(limite - agora))
                                     : HID_EVENTO_TEMPO;
        agora = b->RelogioMs();
        switch (e) {
        case HID_EVENTO_PARAR:
            FechaImpressora();
            return;
        case HID_EVENTO_TEMPO:
            if (canal.repetirEm != 0 && agora >= canal.repetirEm)
                canal.repetirEm = 0;
            if (agora >= canal.prazo) {
                if (canal.conectado)
                    canal.prazo = agora + INTERVALO_BUSCA_MS;
                else
                    ProcuraImpressora();
            }
            break;
        case HID_EVENTO_LEITURA: {
            canal.lendo = false;
            uint32_t lidos = 0;
            LeituraHid r = b->ConcluiLeitura(canal.sistema, &lidos);
            if (r == HID_LIDO && lidos > 0) {
                TrataRelatorio(lidos);
            } else if (r == HID_LIDO || r == HID_DESCONECTADO) {
                // Nothing read from a finished read: the device is gone.
                FechaImpressora();
                canal.prazo = agora + INTERVALO_BUSCA_MS;
            } else {
                canal.repetirEm = agora + INTERVALO_REPETICAO_MS;
            }
            break;
        }
        case HID_EVENTO_PEDIDO:   // the slot was emptied, or a device found
        case HID_EVENTO_FALHA:
            break;
        }
        MantemLeitura(agora);
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
    int r = ProcuraImpressora();
    if (r != LINK_OK) {
        canal.backend->Libera(canal.sistema);
        canal.sistema = nullptr;
        return r;
    }
    canal.ultimoSinal = canal.backend->RelogioMs();
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
    if (comprimento > n - 3)
        return LINK_COMANDO_LONGO;   // the output report cannot carry it
    std::memset(canal.saida, 0, n);
    bool numerados = (canal.info.numerados & HID_NUMERA_SAIDA) != 0;
    canal.saida[0] = !numerados ? 0 : comprimento < 59 ? 2 : 1;
    canal.saida[1] = static_cast<uint8_t>((comprimento + 2) & 0xFF);
    canal.saida[2] = static_cast<uint8_t>((comprimento + 2) >> 8);
    if (comprimento > 0)
        std::memcpy(canal.saida + 3, comando, comprimento);
    bool desconectado = false;
    int r = canal.backend->Escreve(canal.sistema, canal.saida, n, LIMITE_ESCRITA_MS, &desconectado);
    if (desconectado)
        canal.conectado = false;
    if (r == LINK_OK)
        canal.ultimoSinal = canal.backend->RelogioMs();
    return r;
}

int HidReceive(uint8_t *resposta, uint32_t *comprimento)
{
    *comprimento = 0;
    if (canal.sistema == nullptr || !canal.temDispositivo)
        return LINK_FECHADA;
    {
        // The reader cannot close the device, and so forget the answer,
        // while it is being copied.
        std::lock_guard<std::mutex> trava(canal.dispositivo);
        if (!canal.temDispositivo)
            return LINK_FECHADA;
        if (canal.respostaPronta) {
            uint32_t n = static_cast<uint32_t>(ComprimentoL(canal.entrada)) - 2;
            std::memcpy(resposta, canal.entrada + 3, n);
            *comprimento = n;
            canal.respostaPronta = false;
            canal.ultimoSinal = canal.backend->RelogioMs();
            canal.backend->Sinaliza(canal.sistema, HID_EVENTO_PEDIDO);
            return n > 8 && (resposta[8] & 0x40) != 0 ? LINK_MAIS_VEM : LINK_OK;
        }
    }
    if (canal.backend->RelogioMs() - canal.ultimoSinal >= LIMITE_SILENCIO_MS)
        return LINK_SEM_RESPOSTA;
    return LINK_NADA_AINDA;
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
