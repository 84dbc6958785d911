// Benchmark driver of the signature line (not a test): run by bench/run,
// which times it against md5sum and openssl over the same inputs.
//   bench_assinatura digere ARQUIVO       signature over a whole file, printed
//   bench_assinatura assina ARQUIVO...    appends the line to each file
//   bench_assinatura chave                N and d in hexadecimal, for the
//                                         bench script's openssl key (written
//                                         only to a temporary directory)
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "files/assinatura.h"
#include "files/chave.h"

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "digere") == 0) {
        FILE *f = std::fopen(argv[2], "rb");
        if (f == nullptr || std::fseek(f, 0, SEEK_END) != 0)
            return 2;
        long tamanho = std::ftell(f);
        char digitos[DIGITOS_ASSINATURA + 1] = {};
        int r = SignFileBytes(f, static_cast<uint64_t>(tamanho), digitos);
        std::fclose(f);
        std::printf("%s\n", digitos);
        return r;
    }
    if (argc >= 3 && std::strcmp(argv[1], "assina") == 0) {
        int falhas = 0;
        for (int i = 2; i < argc; ++i)
            falhas += AppendSignatureLine(argv[i]) != 0;
        return falhas != 0 ? 1 : 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "chave") == 0) {
        for (const uint8_t *tabela : {kModuloMascarado, kExpoenteMascarado}) {
            for (unsigned i = 0; i < BYTES_CHAVE; ++i)
                std::printf("%02X", tabela[i] ^ MascaraChave(i));
            std::printf("\n");
        }
        return 0;
    }
    std::fprintf(stderr, "uso: bench_assinatura digere ARQUIVO | assina ARQUIVO... | chave\n");
    return 2;
}
