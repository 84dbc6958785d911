// Benchmark helper of the detail-tape converters.
//   bench_mfd gera ARQUIVO MEGABYTES   writes a signed "MFD" download of about
//                                      that size (cupons with items, payments
//                                      and print lines, a Redução Z every 400)
//   bench_mfd espelho ARQUIVO          runs the detail-tape mirror over it
//   bench_mfd tipoe ARQUIVO            runs the type-E generator "1" over it
// The converters check the input's signature and sign their output, as the
// exports do, and print their elapsed seconds and the peak resident memory
// of the process (KiB); bench/run compares them with md5sum.
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/assinatura.h"
#include "files/item_list.h"
#include "mfd/espelho_fd.h"
#include "tipoe/tipoe.h"

namespace {

std::string s;

void B(unsigned v) { s.push_back(static_cast<char>(v & 0xFF)); }
void BE(uint64_t v, unsigned n)
{
    for (unsigned i = n; i > 0; --i)
        B(static_cast<unsigned>(v >> (8 * (i - 1))));
}
void T(const char *t, size_t n)
{
    size_t k = std::strlen(t);
    for (size_t i = 0; i < n; ++i)
        s.push_back(i < k ? t[i] : ' ');
}
void DataHora(unsigned dia, unsigned seg)
{
    BE(((2007u - 1990u) << 9) | (3u << 5) | dia, 2);
    BE((10u << 7) | (seg / 60 % 60), 2);
    B(seg % 60);
}
void Linha(const char *t)
{
    B(static_cast<unsigned>(std::strlen(t)));
    s += t;
}

int Gera(const char *caminho, long megabytes)
{
    FILE *f = std::fopen(caminho, "wb");
    if (f == nullptr)
        return 1;
    std::string p(20, ' ');
    p.replace(0, 6, "TV0123");
    p.push_back(3);
    p += std::string(8, ' ');
    std::fwrite(p.data(), 1, p.size(), f);
    s.clear();
    B(0x90); T("TV0123456789", 20); T("TALVOR", 20); T("7720-QX3", 20); T("ECF-IF", 7);
    B(0x91); DataHora(1, 0); B(1); B(0); B(2);
    B(0x92); DataHora(1, 0); T("12.345.678/0001-90", 20); T("123.456.789.110", 20); T("", 20);
    B(2); BE(123456789, 8); B(1);
    B(0x93); B(3); B(2);
    B(0x94); T("001", 3); T("0002", 4);
    for (unsigned i = 0; i < 3; ++i) { B(0x95); B(i); B(0); T("CABECALHO DA LOJA", 48); B(1); }
    B(0x96); B(0); B('T'); BE(1800, 2); B(0);
    B(0x99); B(0); B(0); B(0); T("DINHEIRO", 15);
    B(0x98); B(0); B(0); T("SANGRIA", 15);
    B(0x9C); DataHora(1, 0); T("ABCDEFGHIJ", 10);
    uint64_t alvo = static_cast<uint64_t>(megabytes) << 20;
    uint64_t escrito = 0;
    unsigned coo = 1, ccf = 1, crz = 1;
    uint64_t parcial = 0;
    while (escrito + s.size() < alvo) {
        unsigned dia = 1 + (coo / 2000) % 28;
        B(0x81); DataHora(dia, coo); BE(coo++, 4); BE(ccf++, 4);
        B(0x80); B(0x7E); B(2);
        for (unsigned i = 1; i <= 6; ++i) {
            B(0xD7); BE(i, 2); T("7891234567890", 14); BE(1500 + i, 4); T("UN", 3); BE(233 * i, 4);
            B(0); B(0); BE(20, 2); T("PRODUTO DE TESTE ABC", 20);
            Linha("001 7891234567890 PRODUTO DE TESTE ABC\x01\x04" "1,500 UN X 2,33");
            Linha("\x02\x20" "3,50");
        }
        B(0xD1); BE(0, 2); BE(10, 6);
        parcial += 5000;
        B(0xC3); B(0); BE(parcial, 6);
        B(0xC1); BE(5000, 6); BE(0, 2);
        Linha("TOTAL R$\x02\x28" "50,00");
        B(0xD5); B(0); B(0); B(0); BE(5000, 6);
        Linha("DINHEIRO\x02\x28" "50,00");
        B(0x9E); B(25); T("OBRIGADO PELA PREFERENCIA", 25); B(0x76);
        B(0x7D); B(40); B(6); T("ECF-IF", 6);
        B(0xA1); DataHora(dia, coo);
        if (coo % 400 == 0) {
            B(0x83); DataHora(dia, coo); BE(coo++, 4); BE(crz++, 2);
            B(0x80); Linha("REDUCAO Z"); B(0xC4); B(0); BE(2000000, 6);
            B(0xA3); DataHora(dia, coo);
            parcial = 0;
        }
        if (s.size() > (1u << 20)) {
            std::fwrite(s.data(), 1, s.size(), f);
            escrito += s.size();
            s.clear();
        }
    }
    std::fwrite(s.data(), 1, s.size(), f);
    std::fclose(f);
    if (AppendSignatureLine(caminho) != 0) {
        std::fprintf(stderr, "bench_mfd: %s nao pode ser assinado\n", caminho);
        return 1;
    }
    std::printf("documentos %u\n", coo - 1);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "gera") == 0)
        return Gera(argv[2], std::atol(argv[3]));
    if (argc < 3)
        return 2;
    const char *entrada = argv[2];
    auto inicio = std::chrono::steady_clock::now();
    int r;
    if (std::strcmp(argv[1], "espelho") == 0) {
        uint8_t faixa[29] = {};
        faixa[20] = 3;   // every document
        r = GeraEspelhoFD(entrada, "bench-espelho.TXT", faixa, true);
    } else {
        ItemList lista;
        lista.Init();
        r = GeraRegistrosFD(entrada, "bench-tipoe.TXT", &lista, MODO_FD_SOZINHO);
        lista.Release();
    }
    double segundos =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    long pico = -1;   // peak resident memory, KiB (not measured on Windows)
#if !defined(_WIN32)
    struct rusage uso {};
    getrusage(RUSAGE_SELF, &uso);
    pico = uso.ru_maxrss;
#endif
    std::printf("resultado %d segundos %.3f pico_kib %ld\n", r, segundos, pico);
    return r;
}
