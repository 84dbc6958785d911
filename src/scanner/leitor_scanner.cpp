// ScannerThread: the scanner's reader (see leitor_scanner.h).
#include "scanner/leitor_scanner.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/dialogo_captura.h"
#include "platform/hid_backend.h"
#include "platform/plataforma.h"
#include "scanner/nucleo_captura.h"

namespace {

constexpr uint16_t PAGINA_SCANNER = 0xFF45;
constexpr uint16_t USO_SCANNER = 0x4B00;
constexpr uint32_t MAIOR_RELATORIO = 65536;
constexpr uint32_t INTERVALO_BUSCA_MS = 2500;
constexpr uint32_t PRIMEIRO_PRAZO_MS = 1000;    // after the scanner was found
// A read that failed with the scanner still there is posted again after
// this pause (at once, a failure that repeats would keep the thread busy).
constexpr uint32_t INTERVALO_REPETICAO_MS = 100;
// Reports handed over in one go before the thread looks at its events.
constexpr unsigned RELATORIOS_POR_VEZ = 64;

struct LeitorScanner {
    const BackendHid *b;
    SistemaHid *s;
    void (*notifica)(unsigned);
    LinhaExecucao thread;
    bool conectado;
    bool lendo;                 // a read is outstanding
    uint64_t repetirEm;         // when a failed read is posted again (0: none)
    InfoDispositivoHid info;
    uint64_t prazo;
    uint32_t lidos;
    std::mutex trava;           // semPermissao, read by the dialog's side
    char semPermissao[sizeof(InfoDispositivoHid::caminho)];
    uint8_t relatorio[MAIOR_RELATORIO];
};

LeitorScanner l;

void FechaScanner()
{
    l.b->FechaDispositivo(l.s);
    l.conectado = false;
    l.lendo = false;
    l.repetirEm = 0;
    DefineScannerConectado(false);
}

// Remembers the node of a scanner present without access ("" for none);
// the dialog hears of it when it changes to a node.
void DefineSemPermissao(const char *caminho)
{
    bool avisa;
    {
        std::lock_guard<std::mutex> t(l.trava);
        avisa = caminho[0] != '\0' && std::strcmp(caminho, l.semPermissao) != 0;
        std::snprintf(l.semPermissao, sizeof l.semPermissao, "%s", caminho);
    }
    if (avisa)
        l.notifica(MSG_SEM_PERMISSAO);
}

void ProcuraScanner(uint64_t agora)
{
    InfoDispositivoHid info {};
    int r = l.b->Procura(l.s, PAGINA_SCANNER, USO_SCANNER, &info);
    if (r == HID_ACHADO && info.entrada > 1 && info.entrada <= MAIOR_RELATORIO) {
        DefineSemPermissao("");
        l.info = info;
        l.conectado = true;
        l.lendo = false;
        l.repetirEm = 0;
        DefineScannerConectado(true);
        l.notifica(MSG_CONECTADO);
        l.prazo = agora + PRIMEIRO_PRAZO_MS;
        return;
    }
    FechaScanner();
    DefineSemPermissao(r == HID_SEM_PERMISSAO ? info.caminho : "");
    l.prazo = agora + INTERVALO_BUSCA_MS;
}

void Perdido(uint64_t agora)
{
    l.notifica(MSG_DESCONECTADO);
    FechaScanner();
    l.prazo = agora + INTERVALO_BUSCA_MS;
}

void Entrega(uint32_t lidos)
{
    l.lidos = lidos;
    l.notifica(MSG_RELATORIO);
}

// Keeps one read posted while the scanner is connected; reports that are
// there at once are handed over here.
void MantemLeitura(uint64_t agora)
{
    for (unsigned vez = 0; l.conectado && !l.lendo && l.repetirEm == 0; ++vez) {
        if (vez == RELATORIOS_POR_VEZ) {
            l.b->Sinaliza(l.s, HID_EVENTO_PEDIDO);
            return;
        }
        uint32_t lidos = 0;
        LeituraHid r = l.b->IniciaLeitura(l.s, l.relatorio, l.info.entrada, &lidos);
        if (r == HID_PENDENTE)
            l.lendo = true;
        else if (r == HID_LIDO && lidos > 0)
            Entrega(lidos);
        else if (r == HID_DESCONECTADO)
            Perdido(agora);
        else
            l.repetirEm = agora + INTERVALO_REPETICAO_MS;
    }
}

void ScannerThread()
{
    l.prazo = 0;
    for (;;) {
        uint64_t agora = l.b->RelogioMs();
        uint64_t limite = l.prazo;
        if (l.repetirEm != 0 && l.repetirEm < limite)
            limite = l.repetirEm;
        EventoHid e = limite > agora ? l.b->Espera(l.s, static_cast<uint32_t>(limite - agora))
                                     : HID_EVENTO_TEMPO;
        agora = l.b->RelogioMs();
        if (e == HID_EVENTO_PARAR)
            break;
        if (e == HID_EVENTO_TEMPO) {
            if (l.repetirEm != 0 && agora >= l.repetirEm)
                l.repetirEm = 0;
            if (agora >= l.prazo) {
                if (l.conectado)
                    l.prazo = agora + INTERVALO_BUSCA_MS;
                else
                    ProcuraScanner(agora);
            }
        } else if (e == HID_EVENTO_LEITURA) {
            l.lendo = false;
            uint32_t lidos = 0;
            LeituraHid r = l.b->ConcluiLeitura(l.s, &lidos);
            if (r == HID_LIDO && lidos > 0)
                Entrega(lidos);
            else if (r == HID_LIDO || r == HID_DESCONECTADO)
                Perdido(agora);   // nothing read from a finished read: gone
            else
                l.repetirEm = agora + INTERVALO_REPETICAO_MS;
        }
        MantemLeitura(agora);
    }
    FechaScanner();
}

}  // namespace

int IniciaLeitorScanner(const BackendHid *backend, void (*notifica)(unsigned))
{
    l.b = backend;
    l.s = backend->Abre();
    if (l.s == nullptr)
        return 1;
    l.notifica = notifica;
    l.conectado = false;
    l.lendo = false;
    l.repetirEm = 0;
    l.semPermissao[0] = '\0';
    DefineScannerConectado(false);
    if (IniciaLinha(&l.thread, ScannerThread) != 0) {
        l.b->Libera(l.s);
        l.s = nullptr;
        return 1;
    }
    return 0;
}

void ParaLeitorScanner()
{
    if (l.s == nullptr)
        return;
    l.b->Sinaliza(l.s, HID_EVENTO_PARAR);
    AguardaLinha(&l.thread);
    l.b->Libera(l.s);
    l.s = nullptr;
}

const uint8_t *RelatorioScanner(uint32_t *lidos)
{
    *lidos = l.lidos;
    return l.relatorio;
}

bool ScannerSemPermissao(char *caminho, size_t capacidade)
{
    std::lock_guard<std::mutex> t(l.trava);
    std::snprintf(caminho, capacidade, "%s", l.semPermissao);
    return l.semPermissao[0] != '\0';
}
