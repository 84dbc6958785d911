// Benchmark driver of the fiscal-memory converters.
//   bench_mf imagem ARQUIVO   writes a full memory: 2555 reductions, 20
//                             users, 200 rates, every list full; signed
//   bench_mf lmf ARQUIVO      complete LMF mirror of CRZ 1 to 2555
//   bench_mf tipoe ARQUIVO    type-E file of the whole memory
#include <cstdio>
#include <cstring>
#include <string>

#include "files/assinatura.h"
#include "mf/espelho_lmf.h"
#include "tipoe/tipoe.h"

namespace {

std::string imagem(1048576, '\xFF');

std::string BE(unsigned long long v, unsigned n)
{
    std::string s(n, '\0');
    for (unsigned i = 0; i < n; ++i)
        s[n - 1 - i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

void Registro(size_t offset, size_t tamanho, std::string r, bool copia = true)
{
    r.resize(tamanho - 1, '\0');
    unsigned soma = 0;
    for (unsigned char c : r)
        soma += c;
    r.push_back(static_cast<char>(soma));
    imagem.replace(offset, tamanho, r);
    if (copia)
        imagem.replace(offset + 43690, tamanho, r);
}

std::string Data(unsigned n)
{
    unsigned dia = 1 + n % 28, mes = 1 + (n / 28) % 12, ano = 2000 + n / 336;
    return BE(((ano - 1990) << 9) | (mes << 5) | dia, 2) + BE((10 << 7) | 30, 2);
}

int Imagem(const char *caminho)
{
    Registro(256, 312, "TL0001234567ABCDEFGHTALVOR              7720-QX3            ECF-IF ");
    for (unsigned n = 0; n < 30; ++n)
        Registro(896 + 16 * n, 16, Data(n) + BE(0, 2) + "\x01\x00" + static_cast<char>(n) + '\0' + '\x07');
    for (unsigned n = 0; n < 10; ++n) {
        Registro(1424 + 32 * n, 32, "MFD" + std::to_string(1000 + n) + std::string(13, ' ') + BE(0, 6) +
                                        static_cast<char>(1 + 2 * n));
        Registro(1792 + 16 * n, 16, BE(0, 6) + static_cast<char>(1 + n) + static_cast<char>('A' + n));
        Registro(3928 + 24 * n, 24, Data(n) + BE(n * 250, 2) + "ABCDEFGHIJ");
        Registro(4248 + 56 * n, 56, Data(n) + BE(n * 250, 2) + std::string(40, ' ') + "R$  ");
    }
    for (unsigned n = 0; n < 20; ++n)
        Registro(2056 + 88 * n, 88, Data(n) + BE(n * 127, 2) + "12.345.678/0001-" + std::to_string(10 + n) +
                                        "  " + std::string(20, '1') + std::string(20, '2') + '\0' +
                                        '\x01' + BE(n * 1000000ull, 8) + static_cast<char>(1 + n));
    for (unsigned n = 0; n < 400; ++n)
        Registro(5072 + 16 * n, 16, Data(n) + BE(0, 2) + static_cast<char>(1 + n % 20) + BE(n * 100, 3) +
                                        BE(n * 100 + 99, 3));
    for (unsigned n = 0; n < 200; ++n) {
        Registro(21104 + 16 * n, 16, Data(n) + BE(0, 2) + static_cast<char>(n % 2));
        Registro(24320 + 8 * (n + 1), 8, BE(0, 2) + (n % 3 == 0 ? "S" : "T") + BE(100 + 17 * n, 2));
    }
    for (unsigned n = 1; n <= 2555; ++n) {
        std::string z = Data(n) + BE(n, 2) + Data(n).substr(0, 2) + BE(123456ull * n, 6) + BE(40 * n, 4) +
                        '\x01' + BE(n, 3) + BE(2 * n, 3) + BE(n, 3) + BE(n, 2);
        for (unsigned i = 0; i < 16; ++i)
            z += BE(1000ull * (i + 1) + n, 6);
        for (unsigned i = 0; i < 22; ++i)
            z += BE(i % 3 == 0 ? 0 : 500ull + i * n, 6);
        for (unsigned i = 0; i < 16; ++i)
            z += static_cast<char>(1 + (n * 7 + i * 13) % 200);
        Registro(87680 + 280 * (n - 1), 280, z, false);
    }
    FILE *f = std::fopen(caminho, "wb");
    if (f == nullptr)
        return 1;
    std::string p = "TL0001234567ABCDEFGH\x03        ";
    bool ok = std::fwrite(imagem.data(), 1, imagem.size(), f) == imagem.size() &&
              std::fwrite(p.data(), 1, p.size(), f) == p.size();
    ok = std::fclose(f) == 0 && ok;
    return ok && AppendSignatureLine(caminho) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "uso: bench_mf imagem|lmf|tipoe ARQUIVO\n");
        return 2;
    }
    const std::string modo = argv[1];
    if (modo == "imagem")
        return Imagem(argv[2]);
    const std::string saida = std::string(argv[2]) + "." + modo + ".txt";
    int r = 2;
    if (modo == "lmf")
        r = GeradorEspelhoLMF(argv[2], saida.c_str(), "0", "1", "1", "2555");
    else if (modo == "tipoe")
        r = GeraTipoEDaMF(argv[2], saida.c_str(), nullptr, false);
    if (r != 0)
        std::fprintf(stderr, "bench_mf %s: resultado %d\n", modo.c_str(), r);
    return r;
}
