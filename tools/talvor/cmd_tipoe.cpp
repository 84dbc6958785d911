// talvor gera-registros-tipo-e: the type-E record file (Ato COTEPE/ICMS
// 17/04) of a fiscal-memory file, a detail-tape file, both, or a captured
// reduction, through the GeraRegistrosTipoE export.
#include "comandos.h"
#include "talvor/ecf.h"

namespace {

const Significado kSignificados[] = {
    {0, "registros gerados e assinados em \"Arquivos TXT Formatados/\""},
    {1, "arquivo da redução capturada não pôde ser aberto"},
    {3, "entrada ilegível, assinatura não confere ou saída não criada"},
};

// The first fault of arquivo_mf, arquivo_mfd and tipo; null when none.
const char *Falta(int argc, char **argv)
{
    if (argc != 3)
        return "informe arquivo_mf, arquivo_mfd e tipo (use \"\" para o que faltar)";
    const char *tipo = argv[2];
    if (!UmEntre(tipo, '0', '3'))
        return "tipo deve ser 0 (MF), 1 (MFD), 2 (MF e MFD) ou 3 (RZ capturada)";
    if ((tipo[0] == '0' || tipo[0] == '2') && argv[0][0] == '\0')
        return "os tipos 0 e 2 pedem arquivo_mf";
    if (tipo[0] != '0' && argv[1][0] == '\0')
        return "os tipos 1, 2 e 3 pedem arquivo_mfd";
    return nullptr;
}

}  // namespace

int CmdGeraRegistrosTipoE(int argc, char **argv)
{
    return ExecutaExportacao("gera-registros-tipo-e", Falta(argc, argv), "GeraRegistrosTipoE",
                             kSignificados,
                             [&] { return GeraRegistrosTipoE(argv[0], argv[1], argv[2]); });
}
