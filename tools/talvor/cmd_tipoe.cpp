// talvor gera-registros-tipo-e: the type-E record file (Ato COTEPE/ICMS
// 17/04) of a fiscal-memory file, a detail-tape file, both, or a captured
// reduction, through the GeraRegistrosTipoE export.
#include <cstring>

#include "comandos.h"
#include "talvor/ecf.h"

static const Subcomando &Comando()
{
    for (unsigned i = 0; i < kNumSubcomandos; ++i) {
        if (std::strcmp(kSubcomandos[i].nome, "gera-registros-tipo-e") == 0)
            return kSubcomandos[i];
    }
    return kSubcomandos[0];
}

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
    if (argc != 3)
        return ErroDeUso(Comando(), "informe ARQUIVO_MF, ARQUIVO_MFD e TIPO (use \"\" para o que faltar)");
    const char *tipo = argv[2];
    if (std::strlen(tipo) != 1 || tipo[0] < '0' || tipo[0] > '3')
        return ErroDeUso(Comando(), "TIPO deve ser 0 (MF), 1 (MFD), 2 (MF e MFD) ou 3 (RZ capturada)");
    if ((tipo[0] == '0' || tipo[0] == '2') && argv[0][0] == '\0')
        return ErroDeUso(Comando(), "os tipos 0 e 2 pedem ARQUIVO_MF");
    if (tipo[0] != '0' && argv[1][0] == '\0')
        return ErroDeUso(Comando(), "os tipos 1, 2 e 3 pedem ARQUIVO_MFD");
    int r = GeraRegistrosTipoE(argv[0], argv[1], tipo);
    return InformaResultado("GeraRegistrosTipoE", r, Significado(r));
}
