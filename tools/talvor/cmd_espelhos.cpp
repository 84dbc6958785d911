// talvor gera-espelhos: the detail-tape mirror of a downloaded "MFD" file
// or of a captured record stream, through the GeraEspelhos export.
#include "comandos.h"
#include "talvor/ecf.h"

namespace {

const Significado kSignificados[] = {
    {0, "espelho gerado em \"Arquivos TXT Espelho/\""},
    {1, "arquivo ilegível ou espelho não pôde ser criado"},
    {3, "arquivo sem extensão"},
    {5, "início depois do fim"},
    {6, "assinatura não confere ou fluxo de registros danificado"},
    {7, "tipo inválido"},
    {96, "data com caractere inválido"},
    {103, "data inexistente"},
};

// The first fault of arquivo, tipo, inicio and fim; null when none.
const char *Falta(int argc, char **argv)
{
    if (argc != 2 && argc != 4)
        return "informe arquivo e tipo, e inicio e fim para os tipos 0 e 1";
    const char *tipo = argv[1];
    if (!UmEntre(tipo, '0', '2'))
        return "tipo deve ser 0 (datas), 1 (COO) ou 2 (tudo)";
    if (argc == 2 && tipo[0] != '2')
        return "os tipos 0 e 1 pedem inicio e fim";
    if (argc == 4 && tipo[0] == '2')
        return "o tipo 2 não leva inicio e fim";
    if (tipo[0] == '0' && (!SoDigitos(argv[2], 8, 8) || !SoDigitos(argv[3], 8, 8)))
        return "inicio e fim do tipo 0 são datas DDMMAAAA (8 dígitos)";
    if (tipo[0] == '1' && (!SoDigitos(argv[2], 1, 9) || !SoDigitos(argv[3], 1, 9)))
        return "inicio e fim do tipo 1 são números de COO";
    return nullptr;
}

}  // namespace

int CmdGeraEspelhos(int argc, char **argv)
{
    return ExecutaExportacao("gera-espelhos", Falta(argc, argv), "GeraEspelhos", kSignificados, [&] {
        return GeraEspelhos(argv[0], argv[1], argc == 4 ? argv[2] : "", argc == 4 ? argv[3] : "");
    });
}
