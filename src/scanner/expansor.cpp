// ExpandCapture: the expander of compressed scanner captures.
//
// Stream layout after the 4-byte header: the literal/length code lengths,
// the distance-slot code lengths, then Huffman-coded symbols up to the end
// symbol 256.  Bits are taken most significant first, through a 32-bit bit
// buffer whose top bitsNoBuffer bits are the next ones.
//
// Codes are decoded by table (tabela_huffman.h): one lookup of the next 10
// bits, a second in a subtable for longer codes.  While the input buffer
// holds at least MARGEM bytes, ExpandeRapido decodes whole symbols, matches
// included, without checking the end of the input: the bytes it may read
// are there.  Near the end, the states below take one step at a time and
// check every read, so a stream cut short gives exactly the symbols whose
// bits are all in the file.
//
// Decoder states.  All of them can go to MODO_ERRO (a write failure, and
// the failures named) -- not shown in the transitions:
//
//     MODO_CABECALHO -> MODO_COMPRIMENTOS_LITERAIS -> MODO_COMPRIMENTOS_DISTANCIAS
//         -> MODO_SIMBOLO
//     MODO_SIMBOLO -> MODO_SIMBOLO (a literal or a pair of zeros; or, in
//                     ExpandeRapido, any number of whole symbols)
//                  -> MODO_DISTANCIA -> MODO_EXTRA -> MODO_COPIA -> MODO_SIMBOLO
//                  -> MODO_FIM
//
// The bytes of the LZ77 stage are stored in the window and handed on from
// there: in the large variant, the window is the output buffer (each full
// 512-byte block of it is written); in the small variant they go through
// the token stage into the 512-byte output buffer.  All state lives in one
// static record, set up afresh by every expansion; nothing is allocated.
#include "scanner/expansor.h"

#include <cstring>

#include "files/saida.h"
#include "scanner/tabela_huffman.h"
#include "scanner/tokens_captura.h"

namespace {

constexpr unsigned N_LITERAIS = 512;
constexpr unsigned N_DISTANCIAS = 64;
constexpr uint32_t KRAFT_TOTAL = 1u << 24;
constexpr uint8_t COMPRIMENTO_NENHUM = 255;

constexpr unsigned TAMANHO_SAIDA = 512;
constexpr unsigned TAMANHO_LEITURA = 4096;

// One window for both variants: a match reaches at most 16384 bytes back
// (4096 in the small variant, whose 8192-byte window holds the same bytes
// at every distance it can name), and never before the stream's start.
constexpr unsigned TAMANHO_JANELA = 32768;
constexpr uint32_t MASCARA_JANELA = TAMANHO_JANELA - 1;

// Input bytes ExpandeRapido keeps in hand: a whole symbol takes at most
// three refills, each reading 4 bytes and advancing at most 3.
constexpr unsigned MARGEM = 16;

// The decoder's modes, in the order of the stream.
enum ModoExpansao {
    // Waits for the 4-byte header and the 3 bytes the bit buffer starts
    // with.  Chooses the variant by the header's last byte.  A file of
    // fewer than 4 bytes goes to MODO_ERRO; otherwise to
    // MODO_COMPRIMENTOS_LITERAIS (whose first read fails when nothing
    // follows the header).
    MODO_CABECALHO,
    // Waits for the 512 literal/length code lengths (5-bit items, some
    // with 2, 3 or 7 more bits).  Builds the literal table.  An over-full
    // code, a repeat before any length or a read past the end go to
    // MODO_ERRO; otherwise to MODO_COMPRIMENTOS_DISTANCIAS.
    MODO_COMPRIMENTOS_LITERAIS,
    // The same for the 64 distance-slot lengths and the distance table;
    // then MODO_SIMBOLO.
    MODO_COMPRIMENTOS_DISTANCIAS,
    // Waits for a literal/length code.  With MARGEM input bytes in hand,
    // runs ExpandeRapido, which decodes and expands whole symbols until
    // fewer remain (staying here), the end symbol (MODO_FIM) or a failure;
    // otherwise decodes one code, checking the read: a literal or the
    // large variant's two zeros stay here, a length goes to MODO_DISTANCIA,
    // symbol 256 to MODO_FIM, an unused code to MODO_ERRO.
    MODO_SIMBOLO,
    // Waits for a distance-slot code.  Takes the slot's base and number of
    // extra bits; goes to MODO_EXTRA, or MODO_ERRO for an unused code.
    MODO_DISTANCIA,
    // Waits for the slot's extra bits.  Forms the distance; goes to
    // MODO_COPIA, or to MODO_ERRO when it reaches before the stream's
    // first byte (the window still holds an earlier capture's bytes).
    MODO_EXTRA,
    // Copies the match from the window, byte by byte in effect (it may
    // overlap its own output); hands the bytes on; back to MODO_SIMBOLO.
    MODO_COPIA,
    // Hands on the rest of the output and returns 0 (1 after a failed
    // write).
    MODO_FIM,
    // Hands on what was produced before the failure and returns -1 (1
    // after a failed write).
    MODO_ERRO,
};

struct EstadoExpansor {
    FILE *entrada;
    FILE *saida;
    bool erroEscrita;

    // Input, read in blocks through a buffer of its own; what is left of
    // one block moves to the front before the next is read behind it.
    uint8_t leitura[TAMANHO_LEITURA];
    unsigned leituraCheia;
    unsigned leituraPosicao;
    bool entradaAcabou;
    unsigned zerosFornecidos;   // zero bytes put in the bit buffer past the end

    // Bit buffer: the top bitsNoBuffer bits of bits are next; the bits
    // below them are zero or the input's next bits.
    uint32_t bits;
    unsigned bitsNoBuffer;

    uint32_t literais[ENTRADAS_LITERAIS];
    uint32_t distancias[ENTRADAS_DISTANCIAS];
    uint8_t comprimentos[N_LITERAIS];

    // Window of the LZ77 stage.  posicao counts the bytes the stream has
    // produced (the window index is its low bits); entregues, those handed
    // on to the output or the token stage.
    bool pequena;
    uint8_t janela[TAMANHO_JANELA];
    uint64_t posicao;
    uint64_t entregues;
};

EstadoExpansor g;

void Escreve(const uint8_t *bytes, unsigned n)
{
    if (std::fwrite(bytes, 1, n, g.saida) != n)
        g.erroEscrita = true;
}

// ---- input and bits ------------------------------------------------------

// Moves the unread bytes to the front and reads behind them.
void RecarregaLeitura()
{
    unsigned resta = g.leituraCheia - g.leituraPosicao;
    std::memmove(g.leitura, g.leitura + g.leituraPosicao, resta);
    size_t lidos = std::fread(g.leitura + resta, 1, TAMANHO_LEITURA - resta, g.entrada);
    g.leituraCheia = resta + static_cast<unsigned>(lidos);
    g.leituraPosicao = 0;
    if (lidos == 0)
        g.entradaAcabou = true;
}

// The next input byte; past the end, a zero byte (counted).
uint8_t ProximoByte()
{
    if (g.leituraPosicao == g.leituraCheia && !g.entradaAcabou)
        RecarregaLeitura();
    if (g.leituraPosicao < g.leituraCheia)
        return g.leitura[g.leituraPosicao++];
    ++g.zerosFornecidos;
    return 0;
}

// Fills the bit buffer to at least 24 bits, byte by byte.
void CompletaBits()
{
    while (g.bitsNoBuffer < 24) {
        g.bits |= static_cast<uint32_t>(ProximoByte()) << (24 - g.bitsNoBuffer);
        g.bitsNoBuffer += 8;
    }
}

// Takes k bits already in the buffer.  False when they reach past the end
// of the input (fewer bits remain than the zero bits supplied): the zero
// bytes stand only for look-ahead, which is why a capture may lack its
// last two bytes, never for bits of a symbol.
bool Consome(unsigned k)
{
    g.bits <<= k;
    g.bitsNoBuffer -= k;
    return g.bitsNoBuffer >= 8 * g.zerosFornecidos;
}

// Reads k bits (1 to 9), most significant first; -1 past the end.
int ReadBits(unsigned k)
{
    CompletaBits();
    uint32_t v = g.bits >> (32 - k);
    return Consome(k) ? static_cast<int>(v) : -1;
}

// The table entry of the next code (at most 23 bits).
inline uint32_t Procura(const uint32_t *tabela, uint32_t bits)
{
    uint32_t e = tabela[bits >> (32 - BITS_RAIZ)];
    if (TipoDaEntrada(e) == ENTRADA_SUBTABELA)
        e = tabela[ValorDaEntrada(e) + ((bits << BITS_RAIZ) >> (32 - BitsDaEntrada(e)))];
    return e;
}

// Decodes one code with every read checked: its entry, or ENTRADA_INVALIDA
// for an unused code or one that reaches past the end.
uint32_t DecodeSymbol(const uint32_t *tabela)
{
    CompletaBits();
    uint32_t e = Procura(tabela, g.bits);
    if (TipoDaEntrada(e) == ENTRADA_INVALIDA || !Consome(BitsDaEntrada(e)))
        return ENTRADA_INVALIDA;
    return e;
}

// ---- code lengths and tables -----------------------------------------------

// What each symbol stands for, per variant (see tabela_huffman.h).
void Cargas(bool pequena, uint32_t *literais, uint32_t *distancias)
{
    for (unsigned s = 0; s < 256; ++s)
        literais[s] = CargaDe(ENTRADA_LITERAL, s);
    literais[256] = CargaDe(ENTRADA_FIM, 0);
    literais[257] = pequena ? CargaDe(ENTRADA_COPIA, 2) : CargaDe(ENTRADA_ZEROS, 0);
    for (unsigned s = 258; s < N_LITERAIS; ++s)
        literais[s] = CargaDe(ENTRADA_COPIA, s - 255);

    // Distance slots: rows of slots with the same number of extra bits;
    // the base grows by 2^extra from one slot to the next.
    struct Linha {
        unsigned ultimo, extra, base;   // base of the row's first slot
    };
    static const Linha kPequena[] = {{1, 1, 0},   {2, 2, 4},     {5, 3, 8},    {11, 4, 32},
                                     {23, 5, 128}, {47, 6, 512}, {63, 7, 2048}};
    static const Linha kGrande[] = {{1, 1, 0},    {2, 2, 4},     {5, 3, 8},
                                    {11, 4, 32},  {15, 5, 128},  {19, 6, 256},
                                    {31, 7, 512}, {39, 8, 2048}, {63, 9, 4096}};
    const Linha *linha = pequena ? kPequena : kGrande;
    unsigned primeiro = 0;
    for (; primeiro < N_DISTANCIAS; ++linha) {
        for (unsigned s = primeiro; s <= linha->ultimo; ++s) {
            unsigned base = linha->base + ((s - primeiro) << linha->extra);
            distancias[s] = CargaDe(ENTRADA_DISTANCIA, base, linha->extra);
        }
        primeiro = linha->ultimo + 1;
    }
}

// Reads the code lengths of one alphabet and builds its table.  0, or -1
// for a format error: Kraft sum over the limit, a repeat before any
// length, or a read past the end.
int ReadCodeLengths(unsigned n, const uint32_t *carga, uint32_t *tabela, unsigned capacidade)
{
    uint64_t kraft = 0;
    uint8_t anterior = COMPRIMENTO_NENHUM;
    unsigned i = 0;
    while (i < n) {
        if (kraft > KRAFT_TOTAL)
            return -1;
        int v = ReadBits(5);
        if (v < 0)
            return -1;
        unsigned repete = 0;
        uint8_t comprimento = 0;
        if (v <= 23) {
            repete = 1;
            comprimento = static_cast<uint8_t>(v);
            anterior = comprimento;
        } else if (v <= 28) {
            repete = static_cast<unsigned>(v) - 22;
        } else if (v == 29) {
            int r = ReadBits(2);
            if (r < 0 || anterior == COMPRIMENTO_NENHUM)
                return -1;   // a repeat with nothing before it
            repete = static_cast<unsigned>(r) + 2;
            comprimento = anterior;
        } else if (v == 30) {
            int r = ReadBits(3);
            if (r < 0)
                return -1;
            repete = static_cast<unsigned>(r) + 7;
        } else {
            int r = ReadBits(7);
            if (r < 0)
                return -1;
            repete = static_cast<unsigned>(r) + 15;
        }
        if (repete > n - i)
            repete = n - i;   // a run past the last symbol is cut there
        for (unsigned j = 0; j < repete; ++j) {
            g.comprimentos[i++] = comprimento;
            if (comprimento > 0)
                kraft += KRAFT_TOTAL >> comprimento;
        }
    }
    // The last item escapes the check above; an over-full code cannot be
    // decoded, so it is refused here too.
    if (kraft > KRAFT_TOTAL)
        return -1;
    return MontaTabelaHuffman(g.comprimentos, n, carga, tabela, capacidade);
}

// ---- window and output -----------------------------------------------------

// Copies a match of comprimento bytes from distancia + 1 bytes back to
// window position p, as if byte by byte.  When neither end wraps, eight
// bytes at a time (a match at least 8 bytes back reads only bytes already
// final) or one fill (the previous byte repeated); the up to 7 bytes
// written past the match are ahead of p and are rewritten before use.
inline void Copia(uint64_t p, uint32_t distancia, unsigned comprimento)
{
    uint8_t *janela = g.janela;
    uint32_t destino = static_cast<uint32_t>(p) & MASCARA_JANELA;
    uint32_t origem = static_cast<uint32_t>(p - distancia - 1) & MASCARA_JANELA;
    if (destino + comprimento + 8 <= TAMANHO_JANELA && origem + comprimento + 8 <= TAMANHO_JANELA) {
        if (distancia >= 7) {
            for (unsigned i = 0; i < comprimento; i += 8)
                std::memcpy(janela + destino + i, janela + origem + i, 8);
            return;
        }
        if (distancia == 0) {
            std::memset(janela + destino, janela[origem], comprimento);
            return;
        }
    }
    for (unsigned i = 0; i < comprimento; ++i)
        janela[(destino + i) & MASCARA_JANELA] = janela[(origem + i) & MASCARA_JANELA];
}

// Hands on the bytes produced since the last call: in the large variant
// every full 512-byte block of the window (all of them when tudo), in the
// small one every byte, through the token stage.
void Entrega(bool tudo)
{
    if (g.pequena) {
        PassaTokens(g.janela, MASCARA_JANELA, g.entregues, g.posicao);
        g.entregues = g.posicao;
        if (tudo)
            DescarregaTokens();
        return;
    }
    // Blocks begin at multiples of 512, so none wraps around the window.
    while (g.posicao - g.entregues >= TAMANHO_SAIDA) {
        Escreve(g.janela + (g.entregues & MASCARA_JANELA), TAMANHO_SAIDA);
        g.entregues += TAMANHO_SAIDA;
    }
    if (tudo && g.posicao > g.entregues) {
        Escreve(g.janela + (g.entregues & MASCARA_JANELA),
                static_cast<unsigned>(g.posicao - g.entregues));
        g.entregues = g.posicao;
    }
}

// ---- the fast loop -----------------------------------------------------------

// The next 4 input bytes, the first one high.
inline uint32_t Le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Decodes and expands whole symbols while at least MARGEM input bytes are
// in hand, so that no read can pass the end: the bit buffer is filled
// from 4 bytes at once to 24 to 31 bits (as many whole bytes as fit; the
// bits below them are the following input bits).  Returns MODO_SIMBOLO
// when the margin runs out, MODO_FIM at symbol 256, MODO_ERRO on a
// failure.
ModoExpansao ExpandeRapido()
{
    const uint8_t *entrada = g.leitura;
    unsigned pos = g.leituraPosicao;
    const unsigned limite = g.leituraCheia - MARGEM;
    uint32_t bits = g.bits;
    unsigned n = g.bitsNoBuffer;
    uint64_t p = g.posicao;
    uint8_t *janela = g.janela;
    const uint32_t *literais = g.literais;
    const uint32_t *distancias = g.distancias;
    ModoExpansao modo = MODO_SIMBOLO;

#define COMPLETA()                                \
    do {                                          \
        bits |= Le32(entrada + pos) >> n;         \
        pos += (31 - n) >> 3;                     \
        n |= 24;                                  \
    } while (0)
#define CONSOME(k)                                \
    do {                                          \
        bits <<= (k);                             \
        n -= (k);                                 \
    } while (0)

    while (pos <= limite) {
        COMPLETA();
        uint32_t e = Procura(literais, bits);
        unsigned tipo = TipoDaEntrada(e);
        if (tipo == ENTRADA_LITERAL) {
            CONSOME(BitsDaEntrada(e));
            janela[p++ & MASCARA_JANELA] = static_cast<uint8_t>(ValorDaEntrada(e));
        } else if (tipo == ENTRADA_COPIA) {
            CONSOME(BitsDaEntrada(e));
            unsigned comprimento = ValorDaEntrada(e);
            COMPLETA();
            uint32_t d = Procura(distancias, bits);
            if (TipoDaEntrada(d) == ENTRADA_INVALIDA) {
                modo = MODO_ERRO;
                break;
            }
            CONSOME(BitsDaEntrada(d));
            COMPLETA();
            unsigned extra = ExtraDaEntrada(d);
            uint32_t distancia = ValorDaEntrada(d) + (bits >> (32 - extra));
            CONSOME(extra);
            if (distancia + 1u > p) {
                modo = MODO_ERRO;
                break;
            }
            Copia(p, distancia, comprimento);
            p += comprimento;
        } else if (tipo == ENTRADA_ZEROS) {
            CONSOME(BitsDaEntrada(e));
            janela[p++ & MASCARA_JANELA] = 0;
            janela[p++ & MASCARA_JANELA] = 0;
        } else if (tipo == ENTRADA_FIM) {
            CONSOME(BitsDaEntrada(e));
            modo = MODO_FIM;
            break;
        } else {
            modo = MODO_ERRO;
            break;
        }
        if (p - g.entregues >= TAMANHO_SAIDA) {
            g.posicao = p;
            Entrega(false);
            if (g.erroEscrita) {
                modo = MODO_ERRO;
                break;
            }
        }
    }
#undef COMPLETA
#undef CONSOME

    g.leituraPosicao = pos;
    g.bits = bits;
    g.bitsNoBuffer = n;
    g.posicao = p;
    return modo;
}

}  // namespace

bool CabecalhoComprimido(const uint8_t *quatro)
{
    return quatro[0] == CABECALHO_COMPRIMIDO[0] && quatro[1] == CABECALHO_COMPRIMIDO[1] &&
           quatro[2] == CABECALHO_COMPRIMIDO[2] &&
           (quatro[3] == VARIANTE_PEQUENA || quatro[3] == VARIANTE_GRANDE);
}

int ExpandeFluxo(FILE *entrada, FILE *saida)
{
    g.entrada = entrada;
    g.saida = saida;
    g.erroEscrita = false;
    g.leituraCheia = 0;
    g.leituraPosicao = 0;
    g.entradaAcabou = false;
    g.zerosFornecidos = 0;
    g.bits = 0;
    g.bitsNoBuffer = 0;
    g.posicao = 0;
    g.entregues = 0;
    IniciaTokens(saida, &g.erroEscrita);

    uint32_t cargaLiterais[N_LITERAIS];
    uint32_t cargaDistancias[N_DISTANCIAS];
    ModoExpansao modo = MODO_CABECALHO;
    unsigned comprimento = 0;
    uint32_t distancia = 0;
    uint32_t entrada_d = 0;   // the distance slot's entry
    for (;;) {
        switch (modo) {
        case MODO_CABECALHO: {
            uint8_t cabecalho[4];
            for (unsigned k = 0; k < 4; ++k)
                cabecalho[k] = ProximoByte();
            // The variant is chosen by byte 3; the first three are the
            // caller's to check.
            g.pequena = cabecalho[3] == VARIANTE_PEQUENA;
            if (g.zerosFornecidos > 0) {
                modo = MODO_ERRO;   // not even a whole header
                break;
            }
            Cargas(g.pequena, cargaLiterais, cargaDistancias);
            CompletaBits();
            modo = MODO_COMPRIMENTOS_LITERAIS;
            break;
        }
        case MODO_COMPRIMENTOS_LITERAIS:
            modo = ReadCodeLengths(N_LITERAIS, cargaLiterais, g.literais, ENTRADAS_LITERAIS) == 0
                       ? MODO_COMPRIMENTOS_DISTANCIAS
                       : MODO_ERRO;
            break;
        case MODO_COMPRIMENTOS_DISTANCIAS:
            modo = ReadCodeLengths(N_DISTANCIAS, cargaDistancias, g.distancias,
                                   ENTRADAS_DISTANCIAS) == 0
                       ? MODO_SIMBOLO
                       : MODO_ERRO;
            break;
        case MODO_SIMBOLO: {
            if (g.leituraCheia - g.leituraPosicao < MARGEM && !g.entradaAcabou)
                RecarregaLeitura();
            if (g.leituraCheia - g.leituraPosicao >= MARGEM) {
                modo = ExpandeRapido();
                break;
            }
            uint32_t e = DecodeSymbol(g.literais);
            switch (TipoDaEntrada(e)) {
            case ENTRADA_LITERAL:
                g.janela[g.posicao++ & MASCARA_JANELA] = static_cast<uint8_t>(ValorDaEntrada(e));
                break;
            case ENTRADA_ZEROS:
                g.janela[g.posicao++ & MASCARA_JANELA] = 0;
                g.janela[g.posicao++ & MASCARA_JANELA] = 0;
                break;
            case ENTRADA_COPIA:
                comprimento = ValorDaEntrada(e);
                modo = MODO_DISTANCIA;
                break;
            case ENTRADA_FIM:
                modo = MODO_FIM;
                break;
            default:
                modo = MODO_ERRO;
            }
            break;
        }
        case MODO_DISTANCIA:
            entrada_d = DecodeSymbol(g.distancias);
            modo = TipoDaEntrada(entrada_d) == ENTRADA_INVALIDA ? MODO_ERRO : MODO_EXTRA;
            break;
        case MODO_EXTRA: {
            int x = ReadBits(ExtraDaEntrada(entrada_d));
            if (x < 0) {
                modo = MODO_ERRO;
                break;
            }
            distancia = ValorDaEntrada(entrada_d) + static_cast<unsigned>(x);
            modo = distancia + 1u > g.posicao ? MODO_ERRO : MODO_COPIA;
            break;
        }
        case MODO_COPIA:
            Copia(g.posicao, distancia, comprimento);
            g.posicao += comprimento;
            modo = MODO_SIMBOLO;
            break;
        case MODO_FIM:
            Entrega(true);
            return g.erroEscrita ? EXPANSAO_ARQUIVO : EXPANSAO_OK;
        case MODO_ERRO:
            Entrega(true);
            return g.erroEscrita ? EXPANSAO_ARQUIVO : EXPANSAO_FORMATO;
        }
        if (g.posicao - g.entregues >= TAMANHO_SAIDA)
            Entrega(false);
        if (g.erroEscrita)
            modo = MODO_ERRO;
    }
}

int ExpandCapture(const char *entrada, const char *saida)
{
    FILE *in = std::fopen(entrada, "rb");
    ArquivoSaida out {};
    int aberta = AbreSaida(&out, saida, false);
    if (in == nullptr || aberta != 0) {
        if (in != nullptr)
            std::fclose(in);
        if (aberta == 0)
            DescartaSaida(&out);
        return EXPANSAO_ARQUIVO;
    }
    int r = ExpandeFluxo(in, out.arquivo);
    std::fclose(in);
    // A failed expansion keeps what it wrote under the output's name, as a
    // record of how far the stream could be read -- unless the output is the
    // input itself (the capture expanded in place), which then stays whole.
    if (r != EXPANSAO_OK || out.erro) {
        if (std::strcmp(entrada, saida) == 0)
            DescartaSaida(&out);
        else
            FechaSaida(&out);
        return r != EXPANSAO_OK ? r : EXPANSAO_ARQUIVO;
    }
    return FechaSaida(&out) == 0 ? EXPANSAO_OK : EXPANSAO_ARQUIVO;
}
