// libFuzzer target: a reading of the scanner capture fed with reports of
// any length and content (each input byte string is cut into reports by a
// leading length byte).  Reading never stops on its own, so every report
// goes through the checks, the code buffer and the sequencing; a closing
// code that completes the capture ends the round.
#include <cstdint>
#include <cstdlib>

#include "platform/dialogo_captura.h"
#include "scanner/nucleo_captura.h"

namespace {
void Nada(const char *) {}
void NadaHabilita(unsigned, bool) {}
void NadaEncerra() {}
const SaidaCaptura kMuda = {Nada, Nada, NadaHabilita, NadaEncerra};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    static bool preparado = false;
    if (!preparado) {
        setenv("TMPDIR", ".", 1);
        preparado = true;
    }
    IniciaNucleoCaptura();
    DefineSaidaCaptura(&kMuda);
    DefineScannerConectado(true);
    TrataMensagemCaptura(MSG_COMANDO, CONTROLE_INICIAR);
    size_t i = 0;
    while (i < tamanho) {
        size_t n = dados[i++];
        if (n > tamanho - i)
            n = tamanho - i;
        CapturaRelatorio(dados + i, static_cast<uint32_t>(n));
        i += n;
    }
    TrataMensagemCaptura(MSG_DESTRUIDO, 0);
    return 0;
}
