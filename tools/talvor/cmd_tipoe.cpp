// talvor gera-registros-tipo-e: the type-E record file (Ato COTEPE/ICMS
// 17/04) of a fiscal-memory file, a detail-tape file, both, or a captured
// reduction, through the GeraRegistrosTipoE export.
#include <cstring>

#include "comandos.h"
#include "talvor/ecf.h"

static const char *Significado(int r)
{
    switch (r) {
    case 0: return "registros gerados e assinados em \"Arquivos TXT Formatados/\"";
    case 1: return "arquivo da redução capturada não pôde ser aberto";
    case 3: return "entrada ilegível, assinatura não confere ou saída não criada";
    default: return "falha";
    }
}

int CmdGeraRegistrosTipoE(int argc, char **argv)
{
    const Subcomando &s = Comando("gera-registros-tipo-e");
    if (argc != 3)
        return ErroDeUso(s, "informe arquivo_mf, arquivo_mfd e tipo (use \"\" para o que faltar)");
    const char *tipo = argv[2];
    if (std::strlen(tipo) != 1 || tipo[0] < '0' || tipo[0] > '3')
        return ErroDeUso(s, "tipo deve ser 0 (MF), 1 (MFD), 2 (MF e MFD) ou 3 (RZ capturada)");
    if ((tipo[0] == '0' || tipo[0] == '2') && argv[0][0] == '\0')
        return ErroDeUso(s, "os tipos 0 e 2 pedem arquivo_mf");
    if (tipo[0] != '0' && argv[1][0] == '\0')
        return ErroDeUso(s, "os tipos 1, 2 e 3 pedem arquivo_mfd");
    int r = GeraRegistrosTipoE(argv[0], argv[1], tipo);
    return InformaResultado("GeraRegistrosTipoE", r, Significado(r));
}
