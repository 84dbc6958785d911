// ExpandToken: the token stage of the small capture variant.  Its state
// (the current token, the digits of a number, the output buffer) is
// process-wide, set up afresh by IniciaTokens.
#include "scanner/tokens_captura.h"

namespace {

constexpr unsigned TAMANHO_SAIDA = 512;
constexpr unsigned DIGITOS_MAXIMOS = 200;

struct EstadoTokens {
    FILE *saida;
    bool *erroEscrita;
    uint8_t token;   // 0 when none
    uint8_t digitos[DIGITOS_MAXIMOS + 1];
    unsigned numDigitos;
    uint8_t buffer[TAMANHO_SAIDA];
    unsigned cheio;
};

EstadoTokens t;

// The bytes that begin a token (0x17 to 0x1F) or stand for a zero run
// (0x89 to 0x8F).
struct BytesDeToken {
    bool especial[256];
    constexpr BytesDeToken() : especial()
    {
        for (unsigned b = 0x17; b <= 0x1F; ++b)
            especial[b] = true;
        for (unsigned b = 0x89; b <= 0x8F; ++b)
            especial[b] = true;
    }
};
constexpr BytesDeToken kToken;

inline void PoeByte(uint8_t b)
{
    t.buffer[t.cheio++] = b;
    if (t.cheio == TAMANHO_SAIDA)
        DescarregaTokens();
}

// Writes the digits of a finished number token with its separators.
void EscreveNumero()
{
    const uint8_t *d = t.digitos;
    unsigned n = t.numDigitos;
    char decimal = 0;
    char grupo = 0;
    bool centavos = false;
    switch (t.token) {
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
    t.digitos[t.numDigitos++] = c;
}

}  // namespace

void ExpandToken(uint8_t b)
{
    uint8_t s = t.token;
    if (s == 0) {
        if (b >= 0x17 && b <= 0x1F) {
            t.token = b;
            t.numDigitos = 0;
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
        t.token = 0;
        return;
    }
    if (s == 0x18) {
        for (unsigned k = 0; k <= b; ++k)
            PoeByte('-');
        t.token = 0;
        return;
    }
    bool termina = b >= 100;
    bool cabe = t.numDigitos < DIGITOS_MAXIMOS;
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
        t.token = 0;
    }
}

void IniciaTokens(FILE *saida, bool *erroEscrita)
{
    t.saida = saida;
    t.erroEscrita = erroEscrita;
    t.token = 0;
    t.numDigitos = 0;
    t.cheio = 0;
}

void PassaTokens(const uint8_t *anel, uint32_t mascara, uint64_t de, uint64_t ate)
{
    uint64_t q = de;
    while (q < ate) {
        if (t.token == 0) {
            // Outside a token, bytes that begin none go straight into the
            // buffer, a stretch at a time: as far as the ring goes on
            // without wrapping and the buffer has room.
            uint32_t i = static_cast<uint32_t>(q) & mascara;
            uint64_t trecho = ate - q;
            if (trecho > mascara + 1 - i)
                trecho = mascara + 1 - i;
            if (trecho > TAMANHO_SAIDA - t.cheio)
                trecho = TAMANHO_SAIDA - t.cheio;
            const uint8_t *origem = anel + i;
            uint8_t *destino = t.buffer + t.cheio;
            unsigned k = 0;
            for (; k < trecho; ++k) {
                uint8_t b = origem[k];
                if (kToken.especial[b])
                    break;
                destino[k] = b;
            }
            q += k;
            t.cheio += k;
            if (t.cheio == TAMANHO_SAIDA)
                DescarregaTokens();
            if (k == trecho)
                continue;
        }
        ExpandToken(anel[q++ & mascara]);
    }
}

void DescarregaTokens()
{
    if (t.cheio == 0)
        return;
    if (std::fwrite(t.buffer, 1, t.cheio, t.saida) != t.cheio)
        *t.erroEscrita = true;
    t.cheio = 0;
}
