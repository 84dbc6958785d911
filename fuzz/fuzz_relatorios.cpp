// libFuzzer target: a reading of the scanner capture fed with reports of
// any length and content (each input byte string is cut into reports by a
// leading length byte).  Reading never stops on its own, so every report
// goes through the checks, the code buffer and the sequencing; a closing
// code that completes the capture ends the round.  The same bytes are read
// as a HID report descriptor too, as the Linux backend reads one from
// sysfs, looking for the printer's and the scanner's collections.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "platform/descritor_hid.h"
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
    for (uint16_t uso : {0x3800, 0x4B00}) {
        InfoDispositivoHid info {};
        AnalisaDescritorHid(dados, tamanho, 0xFF45, uso, &info);
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
