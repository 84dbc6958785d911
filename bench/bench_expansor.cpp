// Benchmark helper of the capture expander.
//   bench_expansor prepara DIR   writes DIR/captura.txt (10 MB of report
//                                text) and DIR/captura.rz (the same text
//                                compressed, large variant)
//   bench_expansor expande ENTRADA SAIDA
#include <cstdio>
#include <cstring>
#include <string>

#include "../tests/common/compressor_captura.cpp"
#include "scanner/expansor.h"

static bool Grava(const std::string &caminho, const std::string &conteudo)
{
    FILE *f = std::fopen(caminho.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(conteudo.data(), 1, conteudo.size(), f) == conteudo.size();
    return std::fclose(f) == 0 && ok;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "prepara") == 0) {
        std::string texto;
        uint32_t s = 12345;
        auto proximo = [&s]() {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            return s;
        };
        static const char *const kItens[] = {"ARROZ TIPO 1 5KG", "FEIJAO CARIOCA 1KG",
                                             "OLEO DE SOJA 900ML", "CAFE TORRADO 500G",
                                             "ACUCAR CRISTAL 5KG", "LEITE INTEGRAL 1L"};
        char linha[128];
        while (texto.size() < 10000000) {
            unsigned coo = proximo() % 999999;
            std::snprintf(linha, sizeof linha, "COO:%06u  CCF:%06u  %02u/%02u/2007 %02u:%02u\n", coo,
                          coo / 3, proximo() % 28 + 1, proximo() % 12 + 1, proximo() % 24,
                          proximo() % 60);
            texto += linha;
            for (unsigned i = proximo() % 8 + 1; i > 0; --i) {
                unsigned q = proximo() % 20 + 1, p = proximo() % 5000 + 100;
                std::snprintf(linha, sizeof linha, "%03u %-20s %3u x %5u,%02u  T01 %8u,%02u\n", i,
                              kItens[proximo() % 6], q, p / 100, p % 100, q * p / 100, q * p % 100);
                texto += linha;
            }
            texto += "------------------------------------------------\n";
        }
        OpcoesCompressor o;
        o.pequena = false;
        std::string dir = argv[2];
        return Grava(dir + "/captura.txt", texto) && Grava(dir + "/captura.rz", Comprime(texto, o))
                   ? 0
                   : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "expande") == 0)
        return ExpandCapture(argv[2], argv[3]) == 0 ? 0 : 1;
    std::fprintf(stderr, "uso: bench_expansor prepara DIR | expande ENTRADA SAIDA\n");
    return 2;
}
