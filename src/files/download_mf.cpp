// Fiscal-memory and basic-software downloads: the whole memory read in
// 128-byte blocks with the memory-read command, written as it arrives, then
// (fiscal memory only) the download parameter record, then the signature.
#include <cstdio>
#include <cstring>

#include "files/assinatura.h"
#include "files/download.h"
#include "files/nomes.h"
#include "files/parametros.h"
#include "files/saida.h"
#include "link/comando.h"

constexpr uint32_t TAMANHO_BLOCO_MEMORIA = 128;
constexpr uint32_t TAMANHO_MF = 1048576;
constexpr uint32_t TAMANHO_SB = 524288;
constexpr uint8_t SELETOR_MF = 0x11;
constexpr uint8_t SELETOR_SB = 0x12;

// Builds the 14-byte memory-read command of the block at endereco.
void MontaLeituraMemoria(uint8_t *comando14, uint8_t seletor, uint32_t endereco)
{
    comando14[0] = 0x1B;
    comando14[1] = 0x66;
    comando14[2] = 0xFF;
    comando14[3] = seletor;
    char texto[16];
    std::snprintf(texto, sizeof texto, "%05x%05x", static_cast<unsigned>(endereco & 0xFFFFF),
                  static_cast<unsigned>((endereco + TAMANHO_BLOCO_MEMORIA - 1) & 0xFFFFF));
    std::memcpy(comando14 + 4, texto, 10);
}

// Reads tamanho bytes of one memory into the open file.  0, or 3 when a
// block's command fails or its answer is incomplete.
static int LeMemoria(ArquivoSaida *saida, uint8_t seletor, uint32_t tamanho)
{
    uint8_t comando[14];
    uint8_t resposta[TAMANHO_RESPOSTA];
    const uint32_t blocos = tamanho / TAMANHO_BLOCO_MEMORIA;
    for (uint32_t b = 0; b < blocos; ++b) {
        MontaLeituraMemoria(comando, seletor, b * TAMANHO_BLOCO_MEMORIA);
        uint32_t n = 0;
        // The block is answer bytes 15 to 142: a shorter answer is a failure,
        // never a block padded with whatever the buffer held.
        if (!ComandoConcluido(comando, sizeof comando, resposta, &n) ||
            n < RESPOSTA_DADOS + TAMANHO_BLOCO_MEMORIA)
            return 3;
        WriteOutput(saida, resposta + RESPOSTA_DADOS, TAMANHO_BLOCO_MEMORIA);
        InformaProgresso(b + 1, blocos);
    }
    return 0;
}

int FechaEAssinaDownload(ArquivoSaida *saida)
{
    return FechaEAssinaSaida(saida) == 0 ? 0 : 5;
}

int DownloadFiscalMemory(uint8_t *registro29, int destino)
{
    if (ReadPrinterId(registro29 + PARAM_ID) != 0)
        return 3;
    char nome[TAMANHO_NOME];
    const char *id = reinterpret_cast<const char *>(registro29 + PARAM_ID);
    if (destino == DESTINO_ARQUIVOS_MF)
        MontaNomeArquivo(nome, DIR_MF, "MF", id, "BIN");
    else
        MontaNomeArquivo(nome, DIR_BINARIOS, "", id, "MF");
    ArquivoSaida saida;
    if (AbreSaida(&saida, nome, false) != 0)
        return 5;
    int r = LeMemoria(&saida, SELETOR_MF, TAMANHO_MF);
    if (r != 0) {
        FechaSaida(&saida);   // the partial file stays, without record or signature
        return r;
    }
    WriteOutput(&saida, registro29, TAMANHO_PARAMETROS);
    return FechaEAssinaDownload(&saida);
}

int DownloadSoftwareBasico()
{
    uint8_t id[TAMANHO_ID_IMPRESSORA];
    if (ReadPrinterId(id) != 0)
        return 3;
    char nome[TAMANHO_NOME];
    MontaNomeArquivo(nome, DIR_SB, "SB", reinterpret_cast<const char *>(id), "BIN");
    ArquivoSaida saida;
    if (AbreSaida(&saida, nome, false) != 0)
        return 5;
    int r = LeMemoria(&saida, SELETOR_SB, TAMANHO_SB);
    if (r != 0) {
        FechaSaida(&saida);   // the partial file stays, without signature
        return r;
    }
    return FechaEAssinaDownload(&saida);
}
