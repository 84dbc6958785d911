// ScannerThread: the scanner's reader (see leitor_scanner.h).
#include "scanner/leitor_scanner.h"

#include <atomic>

#include "platform/dialogo_captura.h"
#include "platform/hid_backend.h"
#include "platform/plataforma.h"
#include "scanner/nucleo_captura.h"

namespace {

constexpr uint16_t PAGINA_SCANNER = 0xFF45;
constexpr uint16_t USO_SCANNER = 0x4B00;
constexpr uint32_t MAIOR_RELATORIO = 65536;

struct LeitorScanner {
    const BackendHid *b;
    SistemaHid *s;
    void (*notifica)(unsigned);
    LinhaExecucao thread;
    bool conectado;
    InfoDispositivoHid info;
    uint64_t prazo;
    uint32_t lidos;
    uint8_t relatorio[MAIOR_RELATORIO];
};

LeitorScanner l;

void FechaScanner()
{
    l.b->FechaDispositivo(l.s);
    l.conectado = false;
    DefineScannerConectado(false);
}

void ProcuraScanner(uint64_t agora)
{
    InfoDispositivoHid info {};
    if (l.b->Procura(l.s, PAGINA_SCANNER, USO_SCANNER, &info) == 0 && info.entrada > 0 &&
        info.entrada <= MAIOR_RELATORIO) {
        l.info = info;
        l.conectado = true;
        DefineScannerConectado(true);
        l.notifica(MSG_CONECTADO);
        l.prazo = agora + 1000;
        return;
    }
    FechaScanner();
    l.prazo = agora + 2500;
}

void Entrega(uint32_t lidos)
{
    l.lidos = lidos;
    l.notifica(MSG_RELATORIO);
    l.b->Sinaliza(l.s, HID_EVENTO_PEDIDO);
}

void ScannerThread()
{
    l.prazo = 0;
    for (;;) {
        uint64_t agora = l.b->RelogioMs();
        EventoHid e = l.prazo > agora ? l.b->Espera(l.s, static_cast<uint32_t>(l.prazo - agora))
                                      : HID_EVENTO_TEMPO;
        agora = l.b->RelogioMs();
        if (e == HID_EVENTO_PARAR)
            break;
        if (e == HID_EVENTO_TEMPO) {
            if (l.conectado) {
                l.prazo += 2500;
            } else {
                ProcuraScanner(agora);
                l.b->Sinaliza(l.s, HID_EVENTO_PEDIDO);
            }
            continue;
        }
        if (e == HID_EVENTO_PEDIDO) {
            if (l.conectado) {
                uint32_t lidos = 0;
                LeituraHid r = l.b->IniciaLeitura(l.s, l.relatorio, l.info.entrada, &lidos);
                if (r == HID_LIDO && lidos > 0) {
                    Entrega(lidos);
                } else if (r == HID_DESCONECTADO) {
                    l.notifica(MSG_DESCONECTADO);
                    FechaScanner();
                }
            }
        } else if (e == HID_EVENTO_LEITURA) {
            uint32_t lidos = 0;
            LeituraHid r = l.b->ConcluiLeitura(l.s, &lidos);
            if (r == HID_DESCONECTADO) {
                l.notifica(MSG_DESCONECTADO);
                FechaScanner();
                l.prazo = agora + 2500;
            } else if (r == HID_LIDO && lidos > 0) {
                Entrega(lidos);
            } else if (r == HID_LIDO) {
                l.notifica(MSG_DESCONECTADO);
                FechaScanner();
                l.prazo = 0;
            }
        } else {
            continue;
        }
        if (l.prazo == 0)
            l.prazo = agora + 2500;
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
