// libFuzzer target: a detail-tape record stream of any content through the
// record reader, the detail-tape mirror and the type-E generator in its
// three modes, below the signature check of the input file.  Input: one
// byte of options (bit 0: the stream is headed by its download record;
// bits 1-2: the generator's mode), the 29-byte download record that selects
// the documents, then the stream.  The stream is written with a stand-in
// trailer to a file of the scratch directory the run starts in.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/item_list.h"
#include "files/parametros.h"
#include "mfd/espelho_fd.h"
#include "mfd/registro_fd.h"
#include "tipoe/tipoe.h"

namespace {

constexpr size_t kTrailer = 259;   // "EAD" and 256 signature characters

FILE *Entrada(const uint8_t *fluxo, size_t n)
{
    FILE *f = std::fopen("entrada.MFD", "w+b");
    if (f == nullptr)
        std::abort();
    static char trailer[kTrailer];
    if (trailer[0] == '\0') {
        std::memset(trailer, '0', sizeof trailer);
        std::memcpy(trailer, "EAD", 3);
    }
    if ((n != 0 && std::fwrite(fluxo, 1, n, f) != n) ||
        std::fwrite(trailer, 1, sizeof trailer, f) != sizeof trailer || std::fflush(f) != 0)
        std::abort();
    std::rewind(f);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    if (tamanho < 1 + TAMANHO_PARAMETROS)
        return 0;
    const uint8_t opcoes = dados[0];
    uint8_t faixa[TAMANHO_PARAMETROS];
    std::memcpy(faixa, dados + 1, sizeof faixa);
    const uint8_t *fluxo = dados + 1 + TAMANHO_PARAMETROS;
    const size_t n = tamanho - 1 - TAMANHO_PARAMETROS;
    const uint64_t total = n + kTrailer;

    FILE *f = Entrada(fluxo, n);
    int r = EscreveEspelhoFD(f, total, "espelho.TXT", faixa, (opcoes & 1) != 0);
    if (r != 0 && r != 1 && r != 6)
        std::abort();

    char id[6];
    IdentificacaoDoFluxo(f, id);

    static const int kModos[4] = {MODO_FD_SOZINHO, MODO_FD_COMBINADO, MODO_FD_REDUCAO,
                                  MODO_FD_SOZINHO};
    ItemList lista;
    lista.Init();
    bool escrito = false;
    std::rewind(f);
    EscreveRegistrosFD(f, total, "tipoe.TXT", &lista, kModos[(opcoes >> 1) & 3], &escrito);
    lista.Release();
    std::fclose(f);
    return 0;
}
