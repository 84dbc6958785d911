// talvor gera-espelhos: the detail-tape mirror of a downloaded "MFD" file
// or of a captured record stream, through the GeraEspelhos export.
#include <cstring>

#include "comandos.h"
#include "talvor/ecf.h"

static const char *Significado(int r)
{
    switch (r) {
    case 0: return "espelho gerado em \"Arquivos TXT Espelho/\"";
    case 1: return "arquivo ilegível ou espelho não pôde ser criado";
    case 3: return "arquivo sem extensão";
    case 5: return "início depois do fim";
    case 6: return "assinatura não confere ou fluxo de registros danificado";
    case 7: return "tipo inválido";
    case 96: return "data com caractere inválido";
    case 103: return "data inexistente";
    default: return "falha";
    }
}

int CmdGeraEspelhos(int argc, char **argv)
{
    const Subcomando &s = Comando("gera-espelhos");
    if (argc != 2 && argc != 4)
        return ErroDeUso(s, "informe arquivo e tipo, e inicio e fim para os tipos 0 e 1");
    const char *tipo = argv[1];
    if (std::strlen(tipo) != 1 || tipo[0] < '0' || tipo[0] > '2')
        return ErroDeUso(s, "tipo deve ser 0 (datas), 1 (COO) ou 2 (tudo)");
    if (argc == 2 && tipo[0] != '2')
        return ErroDeUso(s, "os tipos 0 e 1 pedem inicio e fim");
    if (argc == 4 && tipo[0] == '2')
        return ErroDeUso(s, "o tipo 2 não leva inicio e fim");
    const char *inicio = argc == 4 ? argv[2] : "";
    const char *fim = argc == 4 ? argv[3] : "";
    if (tipo[0] == '0' && (!SoDigitos(inicio, 8, 8) || !SoDigitos(fim, 8, 8)))
        return ErroDeUso(s, "inicio e fim do tipo 0 são datas DDMMAAAA (8 dígitos)");
    if (tipo[0] == '1' && (!SoDigitos(inicio, 1, 9) || !SoDigitos(fim, 1, 9)))
        return ErroDeUso(s, "inicio e fim do tipo 1 são números de COO");
    int r = GeraEspelhos(argv[0], tipo, inicio, fim);
    return InformaResultado("GeraEspelhos", r, Significado(r));
}
