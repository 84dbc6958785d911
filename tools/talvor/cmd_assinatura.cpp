// talvor assinar, verificar and chave-publica.
#include <cstdio>

#include "comandos.h"
#include "files/assinatura.h"
#include "files/chave_publica.h"
#include "platform/plataforma.h"

int CmdAssinar(int argc, char **argv)
{
    if (argc != 1)
        return ErroDeUso(Comando("assinar"), argc == 0 ? "informe um arquivo" : "argumentos demais");
    if (AppendSignatureLine(argv[0]) != 0) {
        std::fprintf(stderr, "talvor assinar: não foi possível assinar %s\n", argv[0]);
        return 1;
    }
    std::printf("%s: assinado\n", argv[0]);
    return 0;
}

// 0 the file ends with a valid line, 1 it does not (a file shorter than the
// line has none), 2 it cannot be read.
static int VerificaArquivo(const char *caminho)
{
    uint64_t tamanho = 0;
    if (TamanhoArquivo(caminho, &tamanho) != 0)
        return 2;
    FILE *f = std::fopen(caminho, "rb");
    if (f == nullptr)
        return 2;
    int r;
    if (tamanho < TAMANHO_LINHA_EAD) {
        char resto[TAMANHO_LINHA_EAD];
        size_t lidos = std::fread(resto, 1, sizeof resto, f);
        r = std::ferror(f) || lidos != tamanho ? 2 : 1;
    } else {
        int v = VerificaAssinaturaFinal(f, tamanho);
        r = v == 0 ? 0 : v == 6 ? 1 : 2;
    }
    std::fclose(f);
    return r;
}

int CmdVerificar(int argc, char **argv)
{
    if (argc < 1)
        return ErroDeUso(Comando("verificar"), "informe ao menos um arquivo");
    int pior = 0;
    for (int i = 0; i < argc; ++i) {
        int r = VerificaArquivo(argv[i]);
        if (r == 0)
            std::printf("%s: assinatura EAD válida\n", argv[i]);
        else if (r == 1)
            std::printf("%s: assinatura EAD inválida ou ausente\n", argv[i]);
        else
            std::printf("%s: não pôde ser lido\n", argv[i]);
        if (r > pior)
            pior = r;
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
