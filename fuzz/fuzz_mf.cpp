// libFuzzer target: fiscal-memory images of any content through the
// record readers, the LMF mirror (every kind and range form) and the type-E
// generator (combined mode, which comes after the signature check).  Input:
// an options byte (bit 0: simplified mirror; bit 1: range by CRZ), the
// mirror's start and end texts (8 bytes each), the 29-byte download record,
// then patches laid over an erased image: a 3-byte big-endian offset, a
// length byte and that many bytes.  The file is written to the scratch
// directory the run starts in.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/item_list.h"
#include "files/parametros.h"
#include "mf/espelho_lmf.h"
#include "mf/imagem_mf.h"
#include "tipoe/tipoe.h"

namespace {

constexpr size_t kCabecalho = 1 + 8 + 8 + TAMANHO_PARAMETROS;

void GravaImagem(const std::vector<uint8_t> &arquivo)
{
    FILE *f = std::fopen("mf.bin", "wb");
    if (f == nullptr || std::fwrite(arquivo.data(), 1, arquivo.size(), f) != arquivo.size() ||
        std::fclose(f) != 0)
        std::abort();
}

// Every reader over every slot, as the converters never do all at once.
void LeTudo()
{
    uint8_t reg[512];   // the largest record is the 312-byte header
    LeCabecalhoMF(reg);
    LeIdentidadeECF(reg);
    for (unsigned n = 0; n <= SLOTS_VERSAO_SB + 1; ++n)
        LeVersaoSB(n, reg);
    for (unsigned n = 0; n <= SLOTS_DISPOSITIVO_MFD + 1; ++n) {
        LeDispositivoMFD(n, reg);
        LeMarcaMFD(n, reg);
        LeCodificacaoGT(n, reg);
        LeSimboloMoeda(n, reg);
    }
    for (unsigned n = 0; n <= SLOTS_USUARIO + 1; ++n)
        LeRegistroUsuario(n, reg);
    for (unsigned n = 0; n <= SLOTS_FITA_DETALHE + 1; n += 7)
        LeFitaDetalhe(n, reg);
    for (unsigned n = 0; n <= SLOTS_REINICIO + 1; n += 3)
        LeReinicio(n, reg);
    for (unsigned n = 0; n <= SLOTS_ALIQUOTA + 1; n += 3)
        LeAliquota(n, reg);
    FimReducoes();
    for (unsigned crz = 0; crz <= 40; ++crz)
        LeReducaoZ(crz, reg);
    LeReducaoZ(SLOTS_REDUCAO_Z, reg);
    LeReducaoZ(SLOTS_REDUCAO_Z + 1, reg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    if (tamanho < kCabecalho)
        return 0;
    static std::vector<uint8_t> arquivo;
    arquivo.assign(TAMANHO_IMAGEM_MF, 0xFF);
    arquivo.insert(arquivo.end(), dados + 1 + 16, dados + kCabecalho);
    for (size_t i = kCabecalho; i + 4 <= tamanho;) {
        size_t offset = (static_cast<size_t>(dados[i]) << 16) | (dados[i + 1] << 8) | dados[i + 2];
        size_t n = dados[i + 3];
        i += 4;
        if (n > tamanho - i)
            n = tamanho - i;
        for (size_t k = 0; k < n && offset + k < TAMANHO_IMAGEM_MF; ++k)
            arquivo[offset + k] = dados[i + k];
        i += n;
    }
    GravaImagem(arquivo);

    if (MapeiaMF("mf.bin") == 0) {
        LeTudo();
        DesmapeiaMF();
    }

    char inicio[9] = {}, fim[9] = {};
    std::memcpy(inicio, dados + 1, 8);
    std::memcpy(fim, dados + 9, 8);
    const char *tipo = (dados[0] & 1) ? "1" : "0";
    const char *faixa = (dados[0] & 2) ? "1" : "0";
    int r = GeradorEspelhoLMF("mf.bin", "espelho.txt", tipo, faixa, inicio, fim);
    if (r != 0 && r != 3)
        std::abort();

    std::remove("tipoe.txt");
    ItemList fila;
    fila.Init();
    GeraTipoEDaMF("mf.bin", "tipoe.txt", &fila, true);
    fila.Release();
    return 0;
}
