// Time stamps, output file names and the printer identification.
#include "files/nomes.h"

#include <cstdio>
#include <cstring>

#include "link/comando.h"
#include "mfd/registro_fd.h"

void MakeTimeStamp(char *destino)
{
    RelogioLocal r;
    LeRelogioLocal(&r);
    const unsigned campos[6] = {static_cast<unsigned>(r.ano) % 10000u,
                                static_cast<unsigned>(r.mes) % 100u,
                                static_cast<unsigned>(r.dia) % 100u,
                                static_cast<unsigned>(r.hora) % 100u,
                                static_cast<unsigned>(r.minuto) % 100u,
                                static_cast<unsigned>(r.segundo) % 100u};
    char texto[32];
    std::snprintf(texto, sizeof texto, "%04u%02u%02u_%02u%02u%02u", campos[0], campos[1],
                  campos[2], campos[3], campos[4], campos[5]);
    std::memcpy(destino, texto, 16);
}

int ReadPrinterId(uint8_t *destino20)
{
    const uint8_t comando[6] = {0x1B, 0x66, 0xDB, 0x0A, 0x00, 0x00};
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    // The identification is answer bytes 62 to 81; a shorter answer fails.
    if (!ComandoConcluido(comando, sizeof comando, resposta, &n) || n < 82)
        return 3;
    std::memcpy(destino20, resposta + 62, TAMANHO_ID_IMPRESSORA);
    return 0;
}

int ReadShortId(const char *caminho, char *destino6, int modo)
{
    FILE *f = std::fopen(caminho, "rb");
    if (f == nullptr)
        return 1;
    if (modo == ID_IMAGEM_MF || modo == ID_DOWNLOAD_MFD) {
        long posicao = modo == ID_IMAGEM_MF ? 1048576L : 0L;
        char lidos[TAMANHO_ID_CURTO];
        if (std::fseek(f, posicao, SEEK_SET) == 0) {
            size_t n = std::fread(lidos, 1, sizeof lidos, f);
            std::memcpy(destino6, lidos, n);
        }
    } else {
        IdentificacaoDoFluxo(f, destino6);
    }
    std::fclose(f);
    return 0;
}

int FileExtension(const char *caminho, char *destino, size_t capacidade)
{
    const char *ponto = std::strrchr(caminho, '.');
    if (ponto == nullptr || ponto == caminho || capacidade == 0)
        return 3;
    size_t n = std::strlen(ponto + 1);
    if (n >= capacidade)
        n = capacidade - 1;
    std::memcpy(destino, ponto + 1, n);
    destino[n] = '\0';
    return 0;
}

void MontaNomeArquivo(char *destino, const char *diretorio, const char *prefixo,
                      const char *idCurto6, const char *extensao)
{
    // The six identification bytes are taken as they are, except bytes that
    // cannot stand in a file name (NUL and other control bytes, path
    // separators and the characters Windows refuses), which become "_": a
    // NUL would otherwise cut the name short and a "/" would lead into
    // another directory.
    char carimbo[16];
    MakeTimeStamp(carimbo);
    size_t n = 0;
    auto acrescenta = [&](const char *p, size_t k) {
        if (n + k >= TAMANHO_NOME)
            k = TAMANHO_NOME - 1 - n;
        std::memcpy(destino + n, p, k);
        n += k;
    };
    acrescenta(diretorio, std::strlen(diretorio));
    acrescenta(prefixo, std::strlen(prefixo));
    char id[TAMANHO_ID_CURTO];
    for (size_t i = 0; i < TAMANHO_ID_CURTO; ++i) {
        unsigned char c = static_cast<unsigned char>(idCurto6[i]);
        id[i] = (c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr)
                    ? '_'
                    : static_cast<char>(c);
    }
    acrescenta(id, TAMANHO_ID_CURTO);
    acrescenta("_", 1);
    acrescenta(carimbo, 15);
    acrescenta(".", 1);
    acrescenta(extensao, std::strlen(extensao));
    destino[n] = '\0';
}
