// talvor gera-espelho-lmf: the mirror of the fiscal-memory reading (LMF) of
// a downloaded fiscal-memory file, through the GeraEspelhoLMF export.
#include "comandos.h"
#include "talvor/ecf.h"

namespace {

const Significado kSignificados[] = {
    {0, "espelho gerado e assinado em \"Arquivos TXT Espelho/\""},
    {1, "arquivo da memória fiscal inexistente ou curto"},
    {2, "o espelho não pôde ser criado"},
    {3, "tipo, faixa ou intervalo inválido, ou memória danificada"},
};

// The first fault of arquivo, tipo, faixa, inicio and fim; null when none.
const char *Falta(int argc, char **argv)
{
    if (argc != 5)
        return "informe arquivo, tipo, faixa, inicio e fim";
    if (!UmEntre(argv[1], '0', '1'))
        return "tipo deve ser 0 (completa) ou 1 (simplificada)";
    if (!UmEntre(argv[2], '0', '1'))
        return "faixa deve ser 0 (datas) ou 1 (reduções)";
    if (argv[2][0] == '0' && (!SoDigitos(argv[3], 8, 8) || !SoDigitos(argv[4], 8, 8)))
        return "inicio e fim da faixa 0 são datas DDMMAAAA (8 dígitos)";
    if (argv[2][0] == '1' && (!SoDigitos(argv[3], 1, 4) || !SoDigitos(argv[4], 1, 4)))
        return "inicio e fim da faixa 1 são números de redução (até 4 dígitos)";
    return nullptr;
}

}  // namespace

int CmdGeraEspelhoLMF(int argc, char **argv)
{
    return ExecutaExportacao("gera-espelho-lmf", Falta(argc, argv), "GeraEspelhoLMF", kSignificados,
                             [&] {
                                 return GeraEspelhoLMF(argv[0], argv[1], argv[2], argv[3], argv[4]);
                             });
}
