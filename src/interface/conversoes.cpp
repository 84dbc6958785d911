// The three exports that convert downloaded files into text files: they
// check their arguments, build the output name and run the generator.
#include <cstring>

#include "files/item_list.h"
#include "files/nomes.h"
#include "files/parametros.h"
#include "interface/conexao.h"
#include "interface/processo.h"
#include "mf/espelho_lmf.h"
#include "mfd/espelho_fd.h"
#include "talvor/ecf.h"
#include "tipoe/tipoe.h"

extern "C" TALVOR_API int32_t TALVOR_CALL GeraEspelhos(const char *arquivo, const char *tipo,
                                                       const char *inicio, const char *fim)
try {
    TravaExportacao trava;
    arquivo = Texto(arquivo);
    uint8_t registro[TAMANHO_PARAMETROS];
    std::memset(registro, 0, sizeof registro);
    switch (Texto(tipo)[0]) {
    case '0': registro[PARAM_TIPO] = FAIXA_DATAS; break;
    case '1': registro[PARAM_TIPO] = FAIXA_CONTADOR32; break;
    case '2': registro[PARAM_TIPO] = FAIXA_TUDO; break;
    default: return 7;
    }
    int r = ParseRange(registro, Texto(inicio), Texto(fim));
    if (r != 0)
        return r;
    char extensao[16];
    if (FileExtension(arquivo, extensao, sizeof extensao) != 0)
        return 3;
    bool mfd = std::strcmp(extensao, "MFD") == 0;
    char id[TAMANHO_ID_CURTO];
    std::memset(id, ' ', sizeof id);
    ReadShortId(arquivo, id, mfd ? ID_DOWNLOAD_MFD : ID_FLUXO_REGISTROS);
    char saida[TAMANHO_NOME];
    MontaNomeArquivo(saida, DIR_TXT_ESPELHO, "EMFD", id, "TXT");
    return GeraEspelhoFD(arquivo, saida, registro, mfd);
} catch (...) {
    return 1;
}

extern "C" TALVOR_API int32_t TALVOR_CALL GeraEspelhoLMF(const char *arquivoMF, const char *tipo,
                                                         const char *faixa, const char *inicio,
                                                         const char *fim)
try {
    TravaExportacao trava;
    arquivoMF = Texto(arquivoMF);
    char id[TAMANHO_ID_CURTO];
    std::memset(id, ' ', sizeof id);
    ReadShortId(arquivoMF, id, ID_IMAGEM_MF);
    char saida[TAMANHO_NOME];
    MontaNomeArquivo(saida, DIR_TXT_ESPELHO, "EMF", id, "TXT");
    return GeradorEspelhoLMF(arquivoMF, saida, Texto(tipo), Texto(faixa), Texto(inicio),
                             Texto(fim));
} catch (...) {
    return 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL GeraRegistrosTipoE(const char *arquivoMF,
                                                             const char *arquivoMFD,
                                                             const char *tipo)
try {
    TravaExportacao trava;
    arquivoMF = Texto(arquivoMF);
    arquivoMFD = Texto(arquivoMFD);
    char id[TAMANHO_ID_CURTO];
    std::memset(id, ' ', sizeof id);
    char saida[TAMANHO_NOME];
    ItemList lista;
    lista.Init();
    int r;
    switch (Texto(tipo)[0]) {
    case '0':
        ReadShortId(arquivoMF, id, ID_IMAGEM_MF);
        MontaNomeArquivo(saida, DIR_TXT_FORMATADOS, "MF", id, "TXT");
        r = GeraTipoEDaMF(arquivoMF, saida, nullptr, false);
        break;
    case '1':
        ReadShortId(arquivoMFD, id, ID_DOWNLOAD_MFD);
        MontaNomeArquivo(saida, DIR_TXT_FORMATADOS, "MFD", id, "TXT");
        r = GeraRegistrosFD(arquivoMFD, saida, &lista, MODO_FD_SOZINHO);
        break;
    case '2':
        ReadShortId(arquivoMF, id, ID_IMAGEM_MF);
        MontaNomeArquivo(saida, DIR_TXT_FORMATADOS, "TDM", id, "TXT");
        r = GeraRegistrosFD(arquivoMFD, saida, &lista, MODO_FD_COMBINADO);
        if (r == 0)
            r = GeraTipoEDaMF(arquivoMF, saida, &lista, true);
        DescartaRestoFD();   // what a failed fiscal-memory side left unwritten
        break;
    case '3':
        if (ReadShortId(arquivoMFD, id, ID_FLUXO_REGISTROS) != 0)
            return 1;
        MontaNomeArquivo(saida, DIR_TXT_FORMATADOS, "RZ", id, "TXT");
        r = GeraRegistrosFD(arquivoMFD, saida, &lista, MODO_FD_REDUCAO);
        break;
    default:
        return 0;
    }
    lista.Release();
    return r == 0 ? 0 : 3;
} catch (...) {
    return 3;
}
