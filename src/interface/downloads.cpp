// The three exports that download printer memory into files.
#include <cstring>

#include "files/download.h"
#include "files/parametros.h"
#include "interface/conexao.h"
#include "interface/processo.h"
#include "talvor/ecf.h"

extern "C" TALVOR_API int32_t TALVOR_CALL LeBinarioMF(void)
try {
    TravaExportacao trava;
    uint8_t registro[TAMANHO_PARAMETROS];
    std::memset(registro, ' ', sizeof registro);
    registro[PARAM_TIPO] = FAIXA_TUDO;
    return DownloadFiscalMemory(registro, DESTINO_ARQUIVOS_MF) == 0 ? 0 : 3;
} catch (...) {
    return 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL LeSoftwareBasico(void)
try {
    TravaExportacao trava;
    return DownloadSoftwareBasico();
} catch (...) {
    return 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL DownloadMemorias(const char *tipo, const char *parametro,
                                                           const char *inicio, const char *fim)
try {
    TravaExportacao trava;
    // Bytes that the range kind leaves without meaning hold spaces.
    uint8_t registro[TAMANHO_PARAMETROS];
    std::memset(registro, ' ', sizeof registro);
    char p = Texto(parametro)[0];
    registro[PARAM_TIPO] = static_cast<uint8_t>(p - '0');
    int r = ParseRange(registro, Texto(inicio), Texto(fim));
    if (r != 0)
        return r;
    switch (Texto(tipo)[0]) {
    case '0':
        if (p != '0' && p != '1' && p != '3')
            return 7;
        return DownloadFiscalMemory(registro, DESTINO_ARQUIVOS_BINARIOS) == 0 ? 0 : 3;
    case '1':
        if (p != '0' && p != '1' && p != '2' && p != '3')
            return 7;
        return DownloadDetailTape(registro);
    case '2':
        if (p != '0' && p != '1' && p != '3')
            return 7;
        r = DownloadFiscalMemory(registro, DESTINO_ARQUIVOS_BINARIOS);
        if (r != 0)
            return r;
        return DownloadDetailTape(registro);
    default:
        return 7;
    }
} catch (...) {
    return 3;
}
