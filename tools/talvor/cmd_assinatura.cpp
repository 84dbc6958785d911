// talvor assinar, verificar and chave-publica.
#include <cstdio>
#include <string_view>

#include "comandos.h"
#include "files/assinatura.h"
#include "files/chave_publica.h"

static const Subcomando &Comando(const char *nome)
{
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        if (kSubcomandos[i].nome[0] == nome[0] && std::string_view(kSubcomandos[i].nome) == nome)
            return kSubcomandos[i];
    }
    return kSubcomandos[0];
}

int CmdAssinar(int argc, char **argv)
{
    if (argc != 1)
        return ErroDeUso(Comando("assinar"), "informe um arquivo");
    if (AppendSignatureLine(argv[0]) != 0) {
        std::fprintf(stderr, "talvor assinar: não foi possível assinar %s\n", argv[0]);
        return 1;
    }
    std::printf("%s: assinado\n", argv[0]);
    return 0;
}

int CmdVerificar(int argc, char **argv)
{
    if (argc < 1)
        return ErroDeUso(Comando("verificar"), "informe ao menos um arquivo");
    int pior = 0;
    for (int i = 0; i < argc; ++i) {
        FILE *f = std::fopen(argv[i], "rb");
        uint64_t tamanho = 0;
        int r = 1;
        if (f != nullptr && std::fseek(f, 0, SEEK_END) == 0) {
            long fim = std::ftell(f);
            if (fim >= 0) {
                tamanho = static_cast<uint64_t>(fim);
                r = VerificaAssinaturaFinal(f, tamanho);
            }
        }
        if (f == nullptr) {
            std::printf("%s: não pôde ser lido\n", argv[i]);
            pior = 2;
            continue;
        }
        std::fclose(f);
        if (r == 0) {
            std::printf("%s: assinatura EAD válida\n", argv[i]);
        } else {
            std::printf("%s: assinatura EAD inválida ou ausente\n", argv[i]);
            if (pior == 0)
                pior = 1;
        }
    }
    return pior;
}

int CmdChavePublica(int argc, char **)
{
    if (argc != 0)
        return ErroDeUso(Comando("chave-publica"), "não aceita argumentos");
    std::fputs(ChavePublicaPEM, stdout);
    return 0;
}
