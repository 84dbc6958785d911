// The detail-tape download: the printer's file list, the files a range
// selects, and their records cut whole out of the printer's blocks, written
// after the download parameter record and closed by the signature line.
#include <cstring>

#include "files/download.h"
#include "files/fita.h"
#include "files/nomes.h"
#include "files/parametros.h"
#include "link/comando.h"
#include "mfd/registro_fd.h"

static const char kNomeAtual[12] = {'F', 'i', 'l', 'e', '_', 'C', 'u', 'r', 'r', 'e', 'n', 't'};

bool EntradaAtual(const EntradaFita &e)
{
    return std::memcmp(e.b + ENTRADA_NOME, kNomeAtual, sizeof kNomeAtual) == 0;
}

// ---- directory -------------------------------------------------------------

// Answer offsets of one listed file.
constexpr uint32_t LISTA_FIM = 15;
constexpr uint32_t LISTA_NOME = 16;
constexpr uint32_t LISTA_HORA = 29;
constexpr uint32_t LISTA_DATA = 31;
constexpr uint32_t LISTA_DADOS = 37;
constexpr uint32_t LISTA_TAMANHO = 74;

int ListTapeFiles(EntradaFita *tabela, size_t *quantidade)
{
    uint8_t comando[17] = {0x1B, 0x66, 0x65, 0x00, '*', '.', '*', ' ', ' ', ' ', ' ',
                           ' ',  ' ',  ' ',  ' ',  ' ', 0x02};
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    *quantidade = 0;
    if (!ComandoConcluido(comando, sizeof comando, resposta, &n) || n <= LISTA_FIM)
        return 3;
    comando[3] = 0x01;
    while (resposta[LISTA_FIM] == 0 && *quantidade < MAX_ARQUIVOS_LISTADOS) {
        // An answer that announces a file but stops before its fields is a
        // failure, not an entry made of stale bytes.
        if (n < LISTA_TAMANHO)
            return 3;
        EntradaFita &e = tabela[*quantidade];
        std::memset(e.b, ' ', sizeof e.b);
        std::memcpy(e.b + ENTRADA_NOME, resposta + LISTA_NOME, 12);
        std::memcpy(e.b + ENTRADA_DATA, resposta + LISTA_DATA, 2);
        std::memcpy(e.b + ENTRADA_HORA, resposta + LISTA_HORA, 2);
        std::memcpy(e.b + 16, resposta + LISTA_DADOS, 37);
        ++*quantidade;
        if (!ComandoConcluido(comando, sizeof comando, resposta, &n) || n <= LISTA_FIM)
            return 3;
    }
    EntradaFita &atual = tabela[*quantidade];
    std::memset(atual.b, ' ', sizeof atual.b);
    std::memcpy(atual.b, kNomeAtual, sizeof kNomeAtual);
    atual.b[12] = 0;
    ++*quantidade;
    return 0;
}

static bool Digitos(const uint8_t *p, size_t n, uint32_t *valor)
{
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        v = v * 10 + (p[i] - '0');
    }
    *valor = v;
    return true;
}

int SelectTapeFiles(const EntradaFita *tabela, size_t *inicio, size_t *quantidade,
                    const uint8_t *registro29)
{
    const uint8_t tipo = registro29[PARAM_TIPO];
    uint32_t s, e;
    if (tipo == FAIXA_CONTADOR32) {
        s = LimiteInicio32(registro29);
        e = LimiteFim32(registro29);
    } else {
        s = LimiteInicio16(registro29);
        e = LimiteFim16(registro29);
    }
    size_t primeiro = 0, ultimo = 0;
    bool achouInicio = false;
    for (size_t i = *inicio; i < *inicio + *quantidade; ++i) {
        const EntradaFita &en = tabela[i];
        if (EntradaAtual(en)) {
            if (!achouInicio)
                primeiro = i;
            ultimo = i;
            break;
        }
        uint32_t v8, v4;
        if (!Digitos(en.b + ENTRADA_CONTADOR8, 8, &v8) || !Digitos(en.b + ENTRADA_CONTADOR4, 4, &v4))
            return 3;
        // The file date counts years from 1980; less 10 years it is a packed
        // date counting from 1990.
        uint16_t data = static_cast<uint16_t>(en.b[ENTRADA_DATA] | (en.b[ENTRADA_DATA + 1] << 8));
        uint16_t d = static_cast<uint16_t>(data - 0x1400);
        bool comeca = (tipo == FAIXA_DATAS && d >= s) || (tipo == FAIXA_CONTADOR32 && v8 >= s) ||
                      (tipo == FAIXA_CONTADOR16 && v4 >= s);
        if (comeca && !achouInicio) {
            primeiro = i;
            achouInicio = true;
        }
        bool termina = (tipo == FAIXA_DATAS && d > e) || (tipo == FAIXA_CONTADOR32 && v8 >= e) ||
                       (tipo == FAIXA_CONTADOR16 && v4 >= e);
        if (termina) {
            ultimo = i;
            break;
        }
    }
    if (primeiro > ultimo)
        return 3;
    *quantidade = ultimo - primeiro + 1;
    *inicio = primeiro;
    return 0;
}

// ---- blocks and records ----------------------------------------------------

int ReadTapeBlock(uint8_t *metade, uint32_t *comprimento, uint32_t *bloco, bool atual)
{
    std::memset(metade, ' ', TAMANHO_BLOCO_FITA);
    *comprimento = 0;
    const uint8_t comando[8] = {0x1B, 0x66, static_cast<uint8_t>(atual ? 0x6A : 0x62), 0x00,
                                static_cast<uint8_t>(*bloco >> 24),
                                static_cast<uint8_t>(*bloco >> 16),
                                static_cast<uint8_t>(*bloco >> 8), static_cast<uint8_t>(*bloco)};
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    if (!ComandoConcluido(comando, sizeof comando, resposta, &n) || n < 17)
        return 3;
    uint32_t m = (static_cast<uint32_t>(resposta[15]) << 8) | resposta[16];
    // A block never holds more than 128 bytes: a longer one would run past
    // its half of the window, and an answer shorter than its block is cut.
    if (m > TAMANHO_BLOCO_FITA || n < 17 + m)
        return 3;
    std::memcpy(metade, resposta + 17, m);
    *comprimento = m;
    ++*bloco;
    return 0;
}

// Reads the next block into the first half and, when it is full, the one
// after it into the second half.
static int EncheJanela(JanelaFita *j)
{
    uint32_t a = 0, b = 0;
    int r = ReadTapeBlock(j->dados, &a, &j->bloco, j->atual);
    if (r != 0)
        return r;
    if (a == TAMANHO_BLOCO_FITA) {
        r = ReadTapeBlock(j->dados + TAMANHO_BLOCO_FITA, &b, &j->bloco, j->atual);
        if (r != 0)
            return r;
    }
    j->cheio = a + b;
    j->posicao = 0;
    return 0;
}

int TakeWindowBytes(JanelaFita *j, uint8_t *destino, uint32_t quantidade)
{
    if (quantidade == 0)
        return 0;
    uint8_t intermediario[300];
    uint32_t juntos = 0;
    uint32_t resta = quantidade;
    while (j->posicao + resta >= TAMANHO_JANELA_FITA) {
        if (j->cheio < TAMANHO_JANELA_FITA)
            return FITA_SEM_REGISTRO;
        uint32_t k = TAMANHO_JANELA_FITA - j->posicao;
        std::memcpy(intermediario + juntos, j->dados + j->posicao, k);
        juntos += k;
        resta -= k;
        int r = EncheJanela(j);
        if (r != 0)
            return r;
    }
    if (j->cheio < TAMANHO_JANELA_FITA && j->posicao + resta > j->cheio)
        return FITA_SEM_REGISTRO;
    std::memcpy(intermediario + juntos, j->dados + j->posicao, resta);
    j->posicao += resta;
    std::memcpy(destino, intermediario, quantidade);
    return 0;
}

int ReadTapeRecord(JanelaFita *j, uint8_t *registro, uint32_t *comprimento)
{
    if (j->posicao >= j->cheio)
        return FITA_JANELA_USADA;
    if (j->posicao > TAMANHO_BLOCO_FITA - 1 && j->cheio == TAMANHO_JANELA_FITA) {
        std::memcpy(j->dados, j->dados + TAMANHO_BLOCO_FITA, TAMANHO_BLOCO_FITA);
        uint32_t m = 0;
        int r = ReadTapeBlock(j->dados + TAMANHO_BLOCO_FITA, &m, &j->bloco, j->atual);
        if (r != 0)
            return r;
        j->cheio = m + TAMANHO_BLOCO_FITA;
        j->posicao -= TAMANHO_BLOCO_FITA;
    }
    uint8_t tag = j->dados[j->posicao];
    unsigned fixo = 0;
    if (TamanhoRegistroFD(tag, &fixo) != 0)
        return FITA_SEM_REGISTRO;
    int r = TakeWindowBytes(j, registro, fixo);
    if (r != 0)
        return r;
    *comprimento = fixo;
    const TextoVariavelFD *t = ProcuraTextoVariavelFD(tag);
    if (t == nullptr)
        return 0;
    unsigned contagem = ContagemTextoBigEndian(*t, registro);
    if (contagem == 0)
        return 0;
    if (contagem <= t->limite) {
        r = TakeWindowBytes(j, registro + fixo, contagem);
        if (r != 0)
            return r;
        *comprimento = fixo + contagem;
        return 0;
    }
    // An over-long text stands as a single 0xFF after the fixed part.
    r = TakeWindowBytes(j, registro + fixo, 1);
    if (r != 0)
        return r;
    if (registro[fixo] != 0xFF)
        return FITA_SEM_REGISTRO;
    *comprimento = fixo + 1;
    return 0;
}

int DownloadTapeFile(ArquivoSaida *saida, const EntradaFita &entrada)
{
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t n = 0;
    JanelaFita j;
    j.atual = EntradaAtual(entrada);
    if (!j.atual) {
        uint8_t abre[16] = {0x1B, 0x66, 0x60, 0x00};
        std::memcpy(abre + 4, entrada.b + ENTRADA_NOME, 12);
        if (!ComandoConcluido(abre, sizeof abre, resposta, &n))
            return 3;
    }
    j.bloco = 0;
    // A failure of the first two block reads ends the download as a failure
    // of any later one does: the file's records would otherwise be missing
    // from a download that reports success.
    if (EncheJanela(&j) != 0)
        return 3;
    uint8_t registro[TAMANHO_REGISTRO_FD];
    for (;;) {
        uint32_t comprimento = 0;
        int r = ReadTapeRecord(&j, registro, &comprimento);
        if (r == FITA_JANELA_USADA || r == FITA_SEM_REGISTRO)
            break;
        if (r != 0)
            return 3;
        WriteOutput(saida, registro, comprimento);
    }
    if (!j.atual) {
        const uint8_t fecha[4] = {0x1B, 0x66, 0x61, 0x00};
        if (!ComandoConcluido(fecha, sizeof fecha, resposta, &n))
            return 3;
    }
    return 0;
}

// ---- the whole download ----------------------------------------------------

static EntradaFita TabelaFita[MAX_ENTRADAS_FITA];

int DownloadDetailTape(uint8_t *registro29)
{
    int r = ReadPrinterId(registro29 + PARAM_ID);
    if (r != 0)
        return r;
    char nome[TAMANHO_NOME];
    MontaNomeArquivo(nome, DIR_BINARIOS, "", reinterpret_cast<const char *>(registro29 + PARAM_ID),
                     "MFD");
    ArquivoSaida saida;
    if (AbreSaida(&saida, nome, false) != 0)
        return 5;
    WriteOutput(&saida, registro29, TAMANHO_PARAMETROS);
    size_t quantidade = 0, inicio = 0;
    r = ListTapeFiles(TabelaFita, &quantidade);
    if (r == 0 && registro29[PARAM_TIPO] != FAIXA_TUDO)
        r = SelectTapeFiles(TabelaFita, &inicio, &quantidade, registro29) != 0 ? 3 : 0;
    for (size_t i = 0; r == 0 && i < quantidade; ++i) {
        if (DownloadTapeFile(&saida, TabelaFita[inicio + i]) != 0)
            r = 3;
        else
            InformaProgresso(static_cast<uint32_t>(i + 1), static_cast<uint32_t>(quantidade));
    }
    if (r != 0) {
        FechaSaida(&saida);   // what was copied stays, without a signature line
        return r;
    }
    return FechaEAssinaDownload(&saida);
}
