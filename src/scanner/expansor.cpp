// ExpandCapture: the expander of compressed scanner captures.
//
// Stream layout after the 4-byte header: the literal/length code lengths,
// the distance-slot code lengths, then Huffman-coded symbols up to the end
// symbol 256.  Bits are taken most significant first.
//
// Decoder states (in the manner of a table-driven inflater).  The expander
// moves through these modes; every arrow is taken within one call:
//
//     MODO_CABECALHO -> MODO_COMPRIMENTOS_LITERAIS -> MODO_COMPRIMENTOS_DISTANCIAS
//         -> MODO_SIMBOLO
//
//     MODO_SIMBOLO -> MODO_SIMBOLO        (literal byte, or the large
//                                          variant's pair of zero bytes)
//                  -> MODO_DISTANCIA      (a length symbol: 257 in the small
//                                          variant, 258 to 511 in both)
//                  -> MODO_FIM            (symbol 256)
//     MODO_DISTANCIA -> MODO_EXTRA        (slot decoded)
//     MODO_EXTRA -> MODO_COPIA            (extra bits read, distance formed)
//     MODO_COPIA -> MODO_SIMBOLO          (match copied byte by byte)
//
//     any mode -> MODO_ERRO               (bad code, a third missing byte,
//                                          a distance before the start of
//                                          the stream, a write failure)
//
// MODO_FIM flushes the output buffer.  All state lives in one static
// record, set up afresh by every expansion; nothing is allocated.
#include "scanner/expansor.h"

#include <cstring>

#include "files/saida.h"

namespace {

constexpr unsigned N_LITERAIS = 512;
constexpr unsigned N_DISTANCIAS = 64;
constexpr unsigned COMPRIMENTO_MAXIMO = 23;
constexpr uint32_t KRAFT_TOTAL = 1u << 24;
constexpr uint8_t COMPRIMENTO_NENHUM = 255;

// Internal nodes a tree can need: each level d below the deepest (23) holds
// at most min(2^d, n) internal nodes, for any code whose insertions do not
// collide.  512 symbols: 1023 + 13 * 512 = 7679; 64 symbols: 127 + 16 * 64.
constexpr unsigned NOS_LITERAIS = 7680;
constexpr unsigned NOS_DISTANCIAS = 1152;

constexpr unsigned TAMANHO_SAIDA = 512;
constexpr unsigned TAMANHO_LEITURA = 4096;
constexpr unsigned DIGITOS_MAXIMOS = 200;

enum ModoExpansao {
    MODO_CABECALHO,
    MODO_COMPRIMENTOS_LITERAIS,
    MODO_COMPRIMENTOS_DISTANCIAS,
    MODO_SIMBOLO,
    MODO_DISTANCIA,
    MODO_EXTRA,
    MODO_COPIA,
    MODO_FIM,
    MODO_ERRO,
};

struct EstadoExpansor {
    FILE *entrada;
    FILE *saida;
    bool erroEscrita;

    // Input, read in blocks through a buffer of its own.
    uint8_t leitura[TAMANHO_LEITURA];
    unsigned leituraCheia;
    unsigned leituraPosicao;
    bool entradaAcabou;
    unsigned zerosFornecidos;   // zero bytes supplied past the end (at most 2)
    bool faltouByte;            // a third one was needed

    // Bit buffer: the top bitsNoBuffer bits of bits (32 bits wide) are next.
    uint32_t bits;
    unsigned bitsNoBuffer;

    // Trees: children of node i; < n a symbol, >= n internal node - n, -1 unused.
    int16_t zeroLiterais[NOS_LITERAIS];
    int16_t umLiterais[NOS_LITERAIS];
    int16_t zeroDistancias[NOS_DISTANCIAS];
    int16_t umDistancias[NOS_DISTANCIAS];
    uint8_t comprimentos[N_LITERAIS];

    // Window of the LZ77 stage.
    bool pequena;
    uint8_t janela[32768];
    uint32_t mascaraJanela;
    uint32_t posicao;
    uint64_t produzidos;   // bytes the stream has produced so far

    // Token stage (small variant).
    uint8_t token;
    uint8_t digitos[DIGITOS_MAXIMOS + 1];
    unsigned numDigitos;

    // Output buffer.
    uint8_t bufferSaida[TAMANHO_SAIDA];
    unsigned cheioSaida;
};

EstadoExpansor g;

void DescarregaSaida()
{
    if (g.cheioSaida == 0)
        return;
    if (std::fwrite(g.bufferSaida, 1, g.cheioSaida, g.saida) != g.cheioSaida)
        g.erroEscrita = true;
    g.cheioSaida = 0;
}

inline void PoeByte(uint8_t b)
{
    g.bufferSaida[g.cheioSaida++] = b;
    if (g.cheioSaida == TAMANHO_SAIDA)
        DescarregaSaida();
}

// The next input byte; past the end, a zero byte at most twice.
uint8_t ProximoByte()
{
    if (g.leituraPosicao == g.leituraCheia && !g.entradaAcabou) {
        g.leituraCheia = static_cast<unsigned>(std::fread(g.leitura, 1, TAMANHO_LEITURA, g.entrada));
        g.leituraPosicao = 0;
        if (g.leituraCheia == 0)
            g.entradaAcabou = true;
    }
    if (g.leituraPosicao < g.leituraCheia)
        return g.leitura[g.leituraPosicao++];
    if (g.zerosFornecidos < 2)
        ++g.zerosFornecidos;
    else
        g.faltouByte = true;
    return 0;
}

// Keeps at least 16 bits buffered, so that any read of up to 9 bits finds
// them (one byte per refill could fall short after a run of 9-bit reads).
void CompletaBits()
{
    while (g.bitsNoBuffer < 16) {
        g.bits |= static_cast<uint32_t>(ProximoByte()) << (24 - g.bitsNoBuffer);
        g.bitsNoBuffer += 8;
    }
}

// Reads k bits (1 to 9), most significant first.  -1 when a third byte
// past the end of the input had to be supplied.
int ReadBits(unsigned k)
{
    uint32_t v = g.bits >> (32 - k);
    g.bits <<= k;
    g.bitsNoBuffer -= k;
    CompletaBits();
    return g.faltouByte ? -1 : static_cast<int>(v);
}

// Reads the code lengths of one tree and builds it.  0, or -1 for a format
// error: Kraft sum over the limit, a repeat before any length, a length
// that does not fit the code, or a read past the supplied zero bytes.
int ReadCodeLengths(unsigned n, int16_t *zero, int16_t *um, unsigned maxNos)
{
    uint64_t kraft = 0;
    unsigned contagem[COMPRIMENTO_MAXIMO + 1] = {};
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
            if (comprimento > 0) {
                ++contagem[comprimento];
                kraft += KRAFT_TOTAL >> comprimento;
            }
        }
    }
    // The last item escapes the check above; an over-full code cannot be
    // decoded, so it is refused here too.
    if (kraft > KRAFT_TOTAL)
        return -1;

    // Canonical codes as in DEFLATE.
    uint32_t proximo[COMPRIMENTO_MAXIMO + 1] = {};
    uint32_t codigo = 0;
    contagem[0] = 0;
    for (unsigned l = 1; l <= COMPRIMENTO_MAXIMO; ++l) {
        codigo = (codigo + contagem[l - 1]) << 1;
        proximo[l] = codigo;
    }

    zero[0] = -1;
    um[0] = -1;
    unsigned nos = 1;
    for (unsigned s = 0; s < n; ++s) {
        unsigned l = g.comprimentos[s];
        if (l == 0)
            continue;
        uint32_t c = proximo[l]++;
        if (c >> l != 0)
            return -1;   // more codes of this length than it has room for
        unsigned no = 0;
        for (unsigned b = l; b-- > 0;) {
            int16_t *ramo = ((c >> b) & 1) ? &um[no] : &zero[no];
            if (b == 0) {
                if (*ramo != -1)
                    return -1;   // the place is taken: the code is over-full
                *ramo = static_cast<int16_t>(s);
                break;
            }
            if (*ramo == -1) {
                if (nos >= maxNos)
                    return -1;
                zero[nos] = -1;
                um[nos] = -1;
                *ramo = static_cast<int16_t>(n + nos);
                ++nos;
            } else if (static_cast<unsigned>(*ramo) < n) {
                return -1;   // a shorter code is a prefix of this one
            }
            no = static_cast<unsigned>(*ramo) - n;
        }
    }
    return 0;
}

// Walks a tree from the root: the symbol, or -1 for an unused branch or a
// failed read.
int DecodeSymbol(const int16_t *zero, const int16_t *um, unsigned n)
{
    unsigned no = 0;
    for (;;) {
        // ReadBits(1), taken here bit by bit without the call.
        uint32_t b = g.bits >> 31;
        g.bits <<= 1;
        if (--g.bitsNoBuffer < 16) {
            CompletaBits();
            if (g.faltouByte)
                return -1;
        }
        int16_t filho = b ? um[no] : zero[no];
        if (filho < 0)
            return -1;
        if (static_cast<unsigned>(filho) < n)
            return filho;
        no = static_cast<unsigned>(filho) - n;
    }
}

// Writes the digits of a finished number token with its separators.
void EscreveNumero()
{
    const uint8_t *d = g.digitos;
    unsigned n = g.numDigitos;
    char decimal = 0;
    char grupo = 0;
    bool centavos = false;
    switch (g.token) {
    case 0x19: decimal = '.'; centavos = true; break;
    case 0x1A: decimal = ','; centavos = true; break;
    case 0x1B: break;
    case 0x1C: decimal = '.'; grupo = ','; centavos = true; break;
    case 0x1D: grupo = ','; break;
    case 0x1E: decimal = ','; grupo = '.'; centavos = true; break;
    default: grupo = '.'; break;   // 0x1F
    }
    unsigned i = 0;
    if (centavos) {
        // The integer part, grouped when asked and long enough; with fewer
        // than three digits there is nothing to group and the decimal
        // separator comes before the (at most two) digits held.
        unsigned inteira = n > 2 ? n - 2 : 0;
        if (grupo != 0 && n >= 3) {
            unsigned primeiro = n % 3 + 1;
            for (; i < primeiro; ++i)
                PoeByte(d[i]);
            while (inteira - i >= 3) {
                PoeByte(static_cast<uint8_t>(grupo));
                for (unsigned k = 0; k < 3; ++k)
                    PoeByte(d[i++]);
            }
        }
        for (; i < inteira; ++i)
            PoeByte(d[i]);
        PoeByte(static_cast<uint8_t>(decimal));
        for (; i < n; ++i)
            PoeByte(d[i]);
    } else if (grupo != 0) {
        unsigned primeiro = n > 0 ? (n - 1) % 3 + 1 : 0;
        for (; i < primeiro; ++i)
            PoeByte(d[i]);
        while (i < n) {
            PoeByte(static_cast<uint8_t>(grupo));
            for (unsigned k = 0; k < 3; ++k)
                PoeByte(d[i++]);
        }
    } else {
        for (; i < n; ++i)
            PoeByte(d[i]);
    }
}

inline void AcrescentaDigito(uint8_t c)
{
    g.digitos[g.numDigitos++] = c;
}

// The token stage: every byte of the LZ77 stage passes through here.
void ExpandToken(uint8_t b)
{
    if (!g.pequena) {
        PoeByte(b);
        return;
    }
    uint8_t s = g.token;
    if (s == 0) {
        if (b >= 0x17 && b <= 0x1F) {
            g.token = b;
            g.numDigitos = 0;
        } else if (b >= 0x89 && b <= 0x8F) {
            for (unsigned k = 0; k < static_cast<unsigned>(b - 0x87); ++k)
                PoeByte(0);
        } else {
            PoeByte(b);
        }
        return;
    }
    if (s == 0x17) {
        PoeByte(b);
        g.token = 0;
        return;
    }
    if (s == 0x18) {
        for (unsigned k = 0; k <= b; ++k)
            PoeByte('-');
        g.token = 0;
        return;
    }
    bool termina = b >= 100;
    bool cabe = g.numDigitos < DIGITOS_MAXIMOS;
    if (b < 200) {
        unsigned v = b < 100 ? b : b - 100u;
        if (cabe) {
            AcrescentaDigito(static_cast<uint8_t>('0' + v / 10));
            AcrescentaDigito(static_cast<uint8_t>('0' + v % 10));
        }
    } else if (cabe) {
        AcrescentaDigito(static_cast<uint8_t>(b - 152));
    }
    if (termina) {
        EscreveNumero();
        g.token = 0;
    }
}

inline void GuardaEPassa(uint8_t b)
{
    g.janela[g.posicao & g.mascaraJanela] = b;
    ++g.posicao;
    ++g.produzidos;
    ExpandToken(b);
}

// Distance value of a slot and its extra bits, per variant.
void Slot(unsigned s, bool pequena, unsigned *extra, unsigned *base)
{
    if (s < 2) { *extra = 1; *base = 2 * s; return; }
    if (s == 2) { *extra = 2; *base = 4; return; }
    if (s < 6) { *extra = 3; *base = 8 * s - 16; return; }
    if (s < 12) { *extra = 4; *base = 16 * (s - 4); return; }
    if (pequena) {
        if (s < 24) { *extra = 5; *base = 32 * (s - 8); return; }
        if (s < 48) { *extra = 6; *base = 64 * (s - 16); return; }
        *extra = 7; *base = 128 * (s - 32);
        return;
    }
    if (s < 16) { *extra = 5; *base = 32 * (s - 8); return; }
    if (s < 20) { *extra = 6; *base = 64 * (s - 12); return; }
    if (s < 32) { *extra = 7; *base = 128 * (s - 16); return; }
    if (s < 40) { *extra = 8; *base = 256 * (s - 24); return; }
    *extra = 9; *base = 512 * (s - 32);
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
    g.faltouByte = false;
    g.bits = 0;
    g.bitsNoBuffer = 0;
    g.posicao = 0;
    g.produzidos = 0;
    g.token = 0;
    g.numDigitos = 0;
    g.cheioSaida = 0;

    ModoExpansao modo = MODO_CABECALHO;
    unsigned comprimento = 0;
    unsigned slot = 0;
    uint32_t distancia = 0;
    for (;;) {
        switch (modo) {
        case MODO_CABECALHO: {
            uint8_t cabecalho[4];
            for (unsigned k = 0; k < 4; ++k)
                cabecalho[k] = ProximoByte();
            // The variant is chosen by byte 3; the first three are the
            // caller's to check.  Supplied bytes count against the input.
            g.pequena = cabecalho[3] == VARIANTE_PEQUENA;
            g.mascaraJanela = g.pequena ? 8191u : 32767u;
            if (g.zerosFornecidos > 0) {
                modo = MODO_ERRO;   // not even a whole header
                break;
            }
            for (unsigned k = 0; k < 3; ++k) {
                g.bits |= static_cast<uint32_t>(ProximoByte()) << (24 - g.bitsNoBuffer);
                g.bitsNoBuffer += 8;
            }
            modo = g.faltouByte ? MODO_ERRO : MODO_COMPRIMENTOS_LITERAIS;
            break;
        }
        case MODO_COMPRIMENTOS_LITERAIS:
            modo = ReadCodeLengths(N_LITERAIS, g.zeroLiterais, g.umLiterais, NOS_LITERAIS) == 0
                       ? MODO_COMPRIMENTOS_DISTANCIAS
                       : MODO_ERRO;
            break;
        case MODO_COMPRIMENTOS_DISTANCIAS:
            modo = ReadCodeLengths(N_DISTANCIAS, g.zeroDistancias, g.umDistancias,
                                   NOS_DISTANCIAS) == 0
                       ? MODO_SIMBOLO
                       : MODO_ERRO;
            break;
        case MODO_SIMBOLO: {
            int s = DecodeSymbol(g.zeroLiterais, g.umLiterais, N_LITERAIS);
            if (s < 0) {
                modo = MODO_ERRO;
            } else if (s < 256) {
                GuardaEPassa(static_cast<uint8_t>(s));
            } else if (s == 256) {
                modo = MODO_FIM;
            } else if (s == 257 && !g.pequena) {
                GuardaEPassa(0);
                GuardaEPassa(0);
            } else {
                comprimento = static_cast<unsigned>(s) - 255;
                modo = MODO_DISTANCIA;
            }
            break;
        }
        case MODO_DISTANCIA: {
            int s = DecodeSymbol(g.zeroDistancias, g.umDistancias, N_DISTANCIAS);
            slot = static_cast<unsigned>(s);
            modo = s < 0 ? MODO_ERRO : MODO_EXTRA;
            break;
        }
        case MODO_EXTRA: {
            unsigned extra = 0;
            unsigned base = 0;
            Slot(slot, g.pequena, &extra, &base);
            int x = ReadBits(extra);
            if (x < 0) {
                modo = MODO_ERRO;
                break;
            }
            distancia = base + static_cast<unsigned>(x);
            // A match may not reach before the first byte of this stream:
            // the window still holds an earlier capture's bytes.
            modo = distancia + 1u > g.produzidos ? MODO_ERRO : MODO_COPIA;
            break;
        }
        case MODO_COPIA:
            for (unsigned i = 0; i < comprimento; ++i)
                GuardaEPassa(g.janela[(g.posicao - distancia - 1) & g.mascaraJanela]);
            modo = MODO_SIMBOLO;
            break;
        case MODO_FIM:
            DescarregaSaida();
            return g.erroEscrita ? EXPANSAO_ARQUIVO : EXPANSAO_OK;
        case MODO_ERRO:
            DescarregaSaida();
            return g.erroEscrita ? EXPANSAO_ARQUIVO : EXPANSAO_FORMATO;
        }
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
    // Only a complete expansion takes the name (saida may be entrada itself,
    // which it then replaces whole).
    if (r != EXPANSAO_OK || out.erro) {
        DescartaSaida(&out);
        return r != EXPANSAO_OK ? r : EXPANSAO_ARQUIVO;
    }
    return FechaSaida(&out) == 0 ? EXPANSAO_OK : EXPANSAO_ARQUIVO;
}
