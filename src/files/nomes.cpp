// Time stamps, output file names and the printer identification.
#include "files/nomes.h"

#include <cstdio>
#include <cstring>

#include "link/comando.h"
#include "mfd/registro_fd.h"

namespace {

// How long a name waits for the clock to reach its second: 20 ms at a time,
// about two seconds in all.
constexpr int ESPERAS_RELOGIO = 100;

// The clock names are stamped from (a test may put its own in place).
void LeRelogioNomes(RelogioLocal *r)
{
    if (RelogioNomesTeste != nullptr)
        RelogioNomesTeste->le(r);
    else
        LeRelogioLocal(r);
}

void FormataCarimbo(char *destino, const unsigned *campos6)
{
    char texto[32];
    std::snprintf(texto, sizeof texto, "%04u%02u%02u_%02u%02u%02u", campos6[0], campos6[1],
                  campos6[2], campos6[3], campos6[4], campos6[5]);
    std::memcpy(destino, texto, 15);
}

// Days since 1 March of year 0 of the proleptic Gregorian calendar, and
// back: a stamp read as a count of seconds, time zone left out.
int64_t DiasCivis(int64_t a, unsigned m, unsigned d)
{
    a -= m <= 2;
    const int64_t era = (a >= 0 ? a : a - 399) / 400;
    const int64_t ano = a - era * 400;
    const int64_t diaAno = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    return era * 146097 + ano * 365 + ano / 4 - ano / 100 + diaAno;
}

int64_t SegundosDoCarimbo(const char *c)
{
    auto n = [c](int i, int k) {
        unsigned v = 0;
        for (int j = 0; j < k; ++j)
            v = v * 10 + static_cast<unsigned>(c[i + j] - '0');
        return v;
    };
    return DiasCivis(n(0, 4), n(4, 2), n(6, 2)) * 86400 + n(9, 2) * 3600 + n(11, 2) * 60 + n(13, 2);
}

void CarimboDosSegundos(int64_t segundos, char *destino)
{
    int64_t z = segundos / 86400;
    const unsigned s = static_cast<unsigned>(segundos % 86400);
    const int64_t era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const unsigned campos[6] = {static_cast<unsigned>(yoe + era * 400 + (m <= 2)) % 10000u,
                                m, d, s / 3600, s / 60 % 60, s % 60};
    FormataCarimbo(destino, campos);
}

}  // namespace

void MakeTimeStamp(char *destino)
{
    RelogioLocal r;
    LeRelogioNomes(&r);
    const unsigned campos[6] = {static_cast<unsigned>(r.ano) % 10000u,
                                static_cast<unsigned>(r.mes) % 100u,
                                static_cast<unsigned>(r.dia) % 100u,
                                static_cast<unsigned>(r.hora) % 100u,
                                static_cast<unsigned>(r.minuto) % 100u,
                                static_cast<unsigned>(r.segundo) % 100u};
    FormataCarimbo(destino, campos);
    destino[15] = '\0';
}

long PosicaoCarimbo(const char *nome)
{
    const char *ponto = std::strrchr(nome, '.');
    if (ponto == nullptr || ponto - nome < 16 || ponto[-16] != '_')
        return -1;
    const char *c = ponto - 15;
    for (int i = 0; i < 15; ++i) {
        bool ok = i == 8 ? c[i] == '_' : (c[i] >= '0' && c[i] <= '9');
        if (!ok)
            return -1;
    }
    return static_cast<long>(c - nome);
}

bool AvancaCarimbo(char *nome)
{
    long p = PosicaoCarimbo(nome);
    if (p < 0)
        return false;
    char *c = nome + p;
    const int64_t proximo = SegundosDoCarimbo(c) + 1;
    // A clock that stands still or was set back is waited for a little
    // only: the name then carries a second still to come.
    for (int espera = 0; espera < ESPERAS_RELOGIO; ++espera) {
        char agora[16];
        MakeTimeStamp(agora);
        if (proximo <= SegundosDoCarimbo(agora))
            break;
        if (RelogioNomesTeste != nullptr)
            RelogioNomesTeste->avanca();
        else
            DormeMs(20);
    }
    CarimboDosSegundos(proximo, c);
    return true;
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
        uint64_t posicao = modo == ID_IMAGEM_MF ? 1048576u : 0u;
        char lidos[TAMANHO_ID_CURTO];
        if (PosicionaArquivo(f, posicao) == 0) {
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
