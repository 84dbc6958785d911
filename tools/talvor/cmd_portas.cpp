// talvor portas: the serial ports and HID devices this machine shows, with
// the --porta name that reaches each serial port; a printer or scanner that
// this user may not open is marked "sem permissão", with a hint.
#include <cstdio>
#include <cstring>

#include "comandos.h"
#include "platform/porta_serial.h"

namespace {

struct Listagem {
    unsigned seriais = 0;
    unsigned hid = 0;
    bool cabecalhoHid = false;
    bool semPermissao = false;
};

void Mostra(TipoPortaListada tipo, const char *nome, const char *dispositivo,
            const char *descricao, void *contexto)
{
    Listagem *l = static_cast<Listagem *>(contexto);
    if (tipo == PORTA_LISTADA_SERIAL) {
        ++l->seriais;
        std::printf("  %-6s %s%s%s%s\n", nome[0] != '\0' ? nome : "-", dispositivo,
                    descricao[0] != '\0' ? "  (" : "", descricao, descricao[0] != '\0' ? ")" : "");
        return;
    }
    if (!l->cabecalhoHid) {
        if (l->seriais == 0)
            std::printf("  (nenhuma)\n");
        std::printf("Dispositivos USB HID (--porta COM0):\n");
        l->cabecalhoHid = true;
    }
    ++l->hid;
    l->semPermissao = l->semPermissao || std::strstr(descricao, "sem permissão") != nullptr;
    std::printf("  %s%s%s\n", dispositivo, descricao[0] != '\0' ? "  " : "", descricao);
}

}  // namespace

int CmdPortas(int argc, char **)
{
    if (argc != 0)
        return ErroDeUso(Comando("portas"), "não aceita argumentos");
    Listagem l;
    std::printf("Portas seriais (--porta, dispositivo):\n");
    ListaPortas(Mostra, &l);
    if (!l.cabecalhoHid) {
        if (l.seriais == 0)
            std::printf("  (nenhuma)\n");
#if defined(_WIN32)
        std::printf("Dispositivos USB HID (--porta COM0):\n  (não listados no Windows)\n");
#else
        std::printf("Dispositivos USB HID (--porta COM0):\n  (nenhum)\n");
#endif
    }
    if (l.semPermissao)
        std::printf("(sem permissão: instale a regra udev 60-talvor.rules e religue o aparelho;"
                    " veja o README)\n");
    return 0;
}
