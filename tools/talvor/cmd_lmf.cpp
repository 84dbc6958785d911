// talvor gera-espelho-lmf: the mirror of the fiscal-memory reading (LMF) of
// a downloaded fiscal-memory file, through the GeraEspelhoLMF export.
#include <cstring>

#include "comandos.h"
#include "talvor/ecf.h"

static const Subcomando &Comando()
{
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        if (std::strcmp(kSubcomandos[i].nome, "gera-espelho-lmf") == 0)
            return kSubcomandos[i];
    }
    return kSubcomandos[0];
}

static const char *Significado(int r)
{
    switch (r) {
    case 0: return "espelho gerado e assinado em \"Arquivos TXT Espelho/\"";
    case 1: return "arquivo da memória fiscal inexistente ou curto";
    case 2: return "o espelho não pôde ser criado";
    case 3: return "tipo, faixa ou intervalo inválido, ou memória danificada";
    default: return "falha";
    }
}

int CmdGeraEspelhoLMF(int argc, char **argv)
{
    if (argc != 5)
        return ErroDeUso(Comando(), "informe ARQUIVO, TIPO, FAIXA, INICIO e FIM");
    const char *tipo = argv[1], *faixa = argv[2];
    if (std::strlen(tipo) != 1 || (tipo[0] != '0' && tipo[0] != '1'))
        return ErroDeUso(Comando(), "TIPO deve ser 0 (completa) ou 1 (simplificada)");
    if (std::strlen(faixa) != 1 || (faixa[0] != '0' && faixa[0] != '1'))
        return ErroDeUso(Comando(), "FAIXA deve ser 0 (datas) ou 1 (reduções)");
    int r = GeraEspelhoLMF(argv[0], tipo, faixa, argv[3], argv[4]);
    return InformaResultado("GeraEspelhoLMF", r, Significado(r));
}
