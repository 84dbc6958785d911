// talvor gera-espelho-lmf: the mirror of the fiscal-memory reading (LMF) of
// a downloaded fiscal-memory file, through the GeraEspelhoLMF export.
#include <cstring>

#include "comandos.h"
#include "talvor/ecf.h"

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
    const Subcomando &s = Comando("gera-espelho-lmf");
    if (argc != 5)
        return ErroDeUso(s, "informe arquivo, tipo, faixa, inicio e fim");
    const char *tipo = argv[1], *faixa = argv[2];
    if (std::strlen(tipo) != 1 || (tipo[0] != '0' && tipo[0] != '1'))
        return ErroDeUso(s, "tipo deve ser 0 (completa) ou 1 (simplificada)");
    if (std::strlen(faixa) != 1 || (faixa[0] != '0' && faixa[0] != '1'))
        return ErroDeUso(s, "faixa deve ser 0 (datas) ou 1 (reduções)");
    if (faixa[0] == '0' && (!SoDigitos(argv[3], 8, 8) || !SoDigitos(argv[4], 8, 8)))
        return ErroDeUso(s, "inicio e fim da faixa 0 são datas DDMMAAAA (8 dígitos)");
    if (faixa[0] == '1' && (!SoDigitos(argv[3], 1, 4) || !SoDigitos(argv[4], 1, 4)))
        return ErroDeUso(s, "inicio e fim da faixa 1 são números de redução (até 4 dígitos)");
    int r = GeraEspelhoLMF(argv[0], tipo, faixa, argv[3], argv[4]);
    return InformaResultado("GeraEspelhoLMF", r, Significado(r));
}
