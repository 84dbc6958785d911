// talvor-amostra: writes a sample Talvor printer for talvor-sim and for the
// converters: the fiscal-memory image (mf.bin), the firmware image (sb.bin)
// and the detail-tape file system (fita/: diretorio.txt, one file per day
// and File_Current), all from a seed, byte for byte the same for the same
// seed.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "amostra.h"

namespace {

const char kAjuda[] =
    "uso: talvor-amostra [--semente N] [--saida DIRETORIO] [--dias N]\n"
    "Gera uma impressora de exemplo: mem\xC3\xB3ria fiscal (mf.bin), software b\xC3\xA1sico\n"
    "(sb.bin) e a fita detalhe (fita/) com N dias de movimento (padr\xC3\xA3o 400), sempre\n"
    "os mesmos bytes para a mesma semente (padr\xC3\xA3o 1).\n"
    "Exemplo:\n"
    "  talvor-amostra --saida amostra\n"
    "  talvor-sim --mf amostra/mf.bin --sb amostra/sb.bin --fita amostra/fita\n";

bool LeNumero(const char *texto, unsigned long long minimo, unsigned long long maximo,
              unsigned long long *valor)
{
    char *fim = nullptr;
    if (texto[0] < '0' || texto[0] > '9')
        return false;
    errno = 0;
    *valor = std::strtoull(texto, &fim, 10);
    return errno == 0 && *fim == '\0' && *valor >= minimo && *valor <= maximo;
}

int ErroDeUso(const char *mensagem, const char *valor)
{
    std::fprintf(stderr, "talvor-amostra: %s: %s\n%s", mensagem, valor, kAjuda);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    unsigned long long semente = SEMENTE_PADRAO, dias = DIAS_PADRAO;
    std::string saida = "amostra";
    for (int i = 1; i < argc; ++i) {
        std::string op = argv[i];
        if (op == "--help" || op == "-h" || op == "--ajuda") {
            std::fputs(kAjuda, stdout);
            return 0;
        }
        if (op != "--semente" && op != "--saida" && op != "--dias")
            return ErroDeUso("op\xC3\xA7\xC3\xA3o desconhecida", argv[i]);
        if (i + 1 >= argc)
            return ErroDeUso("falta o valor da op\xC3\xA7\xC3\xA3o", argv[i]);
        const char *v = argv[++i];
        if (op == "--semente" && !LeNumero(v, 0, UINT64_MAX, &semente))
            return ErroDeUso("semente inv\xC3\xA1lida", v);
        if (op == "--dias" && !LeNumero(v, 1, 2500, &dias))
            return ErroDeUso("n\xC3\xBAmero de dias inv\xC3\xA1lido (1 a 2500)", v);
        if (op == "--saida") {
            if (v[0] == '\0')
                return ErroDeUso("diret\xC3\xB3rio inv\xC3\xA1lido", v);
            saida = v;
        }
    }
    Amostra a;
    GeraAmostra(semente, static_cast<unsigned>(dias), &a);
    GeraSoftwareBasico(semente, &a.sb);

    uint64_t bytesFita = 0;
    if (!GravaAmostra(a, saida, &bytesFita))
        return 1;
    std::printf("%s: %llu arquivos da fita detalhe (%llu bytes), mem\xC3\xB3ria fiscal e software b\xC3\xA1sico\n",
                saida.c_str(), static_cast<unsigned long long>(a.arquivos.size() + 1),
                static_cast<unsigned long long>(bytesFita));
    std::printf("talvor-sim --mf %s/mf.bin --sb %s/sb.bin --fita %s/fita\n", saida.c_str(), saida.c_str(),
                saida.c_str());
    return 0;
}
