// The three exports that make the printer print one of its reports.
#include <cstring>

#include "interface/conexao.h"
#include "interface/processo.h"
#include "link/comando.h"
#include "talvor/ecf.h"

static int32_t EnviaImpressao(const uint8_t *comando, uint32_t comprimento)
{
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    return ComandoConcluido(comando, comprimento, resposta, &n) ? 0 : 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL ImprimeLeituraX(void)
try {
    TravaExportacao trava;
    const uint8_t comando[4] = {0x1B, 0x66, 0x14, 0x00};
    return EnviaImpressao(comando, sizeof comando);
} catch (...) {
    return 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL ImprimeLeituraMemoriaFiscal(const char *tipo,
                                                                      const char *inicio,
                                                                      const char *fim)
try {
    TravaExportacao trava;
    uint8_t comando[20];
    std::memset(comando, 0, sizeof comando);
    comando[0] = 0x1B;
    comando[1] = 0x66;
    comando[2] = 0x15;
    size_t largura;
    switch (Texto(tipo)[0]) {
    case 'C': comando[3] = 0x04; largura = 4; break;
    case 'D': comando[3] = 0x02; largura = 8; break;
    case 'c': comando[3] = 0x44; largura = 4; break;
    case 'd': comando[3] = 0x42; largura = 8; break;
    default: return 3;
    }
    CopiaCampo(comando + 4, largura, inicio);
    CopiaCampo(comando + 4 + largura, largura, fim);
    return EnviaImpressao(comando, sizeof comando);
} catch (...) {
    return 3;
}

extern "C" TALVOR_API int32_t TALVOR_CALL ImprimeFitaDetalhe(const char *tipo, const char *inicio,
                                                             const char *fim)
try {
    TravaExportacao trava;
    uint8_t comando[20];
    std::memset(comando, 0, sizeof comando);
    comando[0] = 0x1B;
    comando[1] = 0x66;
    comando[2] = 0xCF;
    size_t largura = 0;
    switch (Texto(tipo)[0]) {
    case '0': comando[3] = 0x00; break;
    case '1': comando[3] = 0x01; largura = 6; break;
    case '2': comando[3] = 0x02; largura = 8; break;
    default: return 3;
    }
    if (largura > 0) {
        CopiaCampo(comando + 4, largura, inicio);
        CopiaCampo(comando + 4 + largura, largura, fim);
    }
    return EnviaImpressao(comando, sizeof comando);
} catch (...) {
    return 3;
}
