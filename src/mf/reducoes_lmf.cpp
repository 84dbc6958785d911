// The reductions section of the LMF mirror: users from the last of the
// range down to the first, each user's reductions from the most recent
// down, with the totals of each month and of each period (a period ends
// where the currency symbol changes), and the item flow that prints the
// non-zero totals of a reduction or of an accumulator.
#include <cstring>

#include "mf/estado_lmf.h"
#include "text/linha.h"
#include "text/numeros.h"

namespace {

// The rate numbers are bytes: every value 1 to 255 has its own total, so a
// number beyond the 200 rate records is still summed and shown.
constexpr unsigned NUM_TRIBUTADOS = 256;

struct AcumuladorTotais {
    uint16_t data;
    uint8_t vendaBruta[8];
    uint8_t tributados[NUM_TRIBUTADOS][8];
    uint8_t ordem[NUM_TRIBUTADOS];
    unsigned numAliquotas;
    uint8_t naoTributados[12][8];   // F1 F2 I1 I2 N1 N2 FS1 FS2 IS1 IS2 NS1 NS2
    uint8_t ct[8], cs[8], dt[8], ds[8], at[8], as[8], on[8];
    char simbolo[4];
    unsigned somadas;
};

AcumuladorTotais mes, periodo, detalhe;

void Limpa(AcumuladorTotais &a)
{
    std::memset(&a, 0, sizeof a);
    std::memset(a.simbolo, ' ', 4);
}

bool Soma8(uint8_t *destino, const uint8_t *origem6)
{
    SomaSubtrai(8, destino, 6, origem6, 0);
    return IndicadorEstouro == 0;
}

// Adds one reduction (host order) to an accumulator.  0 or 64.
int Soma(AcumuladorTotais &a, const uint8_t *z, const char *simbolo)
{
    bool ok = Soma8(a.vendaBruta, z + RZ_VENDA_BRUTA);
    for (unsigned i = 0; i < 16; ++i) {
        uint8_t n = z[RZ_ALIQUOTAS + i];
        if (n == 0)
            continue;
        bool visto = false;
        for (unsigned k = 0; k < a.numAliquotas; ++k)
            visto = visto || a.ordem[k] == n;
        if (!visto)
            a.ordem[a.numAliquotas++] = n;
        ok = Soma8(a.tributados[n], z + RZ_TOTALIZADORES + 6 * i) && ok;
    }
    for (unsigned i = 0; i < 6; ++i) {
        ok = Soma8(a.naoTributados[i], z + RZ_NAO_TRIBUTADOS_ICMS + 6 * i) && ok;
        ok = Soma8(a.naoTributados[6 + i], z + RZ_NAO_TRIBUTADOS_ISSQN + 6 * i) && ok;
    }
    ok = Soma8(a.ct, z + RZ_CT) && ok;
    ok = Soma8(a.cs, z + RZ_CS) && ok;
    ok = Soma8(a.dt, z + RZ_DT) && ok;
    ok = Soma8(a.ds, z + RZ_DS) && ok;
    ok = Soma8(a.at, z + RZ_AT) && ok;
    ok = Soma8(a.as, z + RZ_AS) && ok;
    ok = Soma8(a.on, z + RZ_ON) && ok;
    a.data = Campo16(z, RZ_DATA);
    std::memcpy(a.simbolo, simbolo, 4);
    ++a.somadas;
    return ok ? 0 : ERRO_ESTOURO;
}

// Kind and label of a rate number: "T18,00%".  A number whose rate record
// is erased, damaged or beyond the 200 records shows as "XXX,XX%" and is
// listed with the ICMS totals.
char RotuloAliquota(uint8_t numero, char *rotulo7)
{
    uint8_t reg[TAM_ALIQUOTA];
    if (LeAliquota(numero, reg) != MF_OK) {
        std::memcpy(rotulo7, "XXX,XX%", 7);
        return 'X';
    }
    char tipo = reg[ALI_TIPO] == 'S' ? 'S' : reg[ALI_TIPO] == 'T' ? 'T' : 'X';
    rotulo7[0] = tipo;
    std::memset(rotulo7 + 1, ' ', 5);
    FormataNumero(5, rotulo7 + 1, 2, reg + ALI_VALOR, FORMATO_MOEDA);
    for (int i = 1; i <= 5; ++i) {
        if (rotulo7[i] == ' ')
            rotulo7[i] = '0';
    }
    rotulo7[6] = '%';
    return tipo;
}

// The item flow: "label = value " pieces one after the other, lines of 48
// characters, a piece split across two lines where it does not fit.
struct Fluxo {
    size_t coluna;
    int erro;
};

void Item(Fluxo &f, const char *rotulo, size_t n, const uint8_t *valor8)
{
    if (f.erro != 0 || ValorNulo(valor8, 8, 0) == 0)
        return;
    char numero[32];
    std::memset(numero, ' ', sizeof numero);
    FormataNumero(sizeof numero, numero, 8, valor8, FORMATO_MOEDA);
    size_t i = 0;
    while (i < sizeof numero && numero[i] == ' ')
        ++i;
    char peca[48];
    size_t t = 0;
    std::memcpy(peca, rotulo, n);
    t += n;
    std::memcpy(peca + t, " = ", 3);
    t += 3;
    std::memcpy(peca + t, numero + i, sizeof numero - i);
    t += sizeof numero - i;
    peca[t++] = ' ';
    PoeN(f.coluna, peca, t);
    f.coluna += t;
    if (f.coluna > 48) {
        f.erro = EscreveLinha();
        char resto[TAMANHO_LINHA];
        size_t r = f.coluna - 48;
        std::memcpy(resto, LinhaTexto + 48, r);
        LimpaLinha();
        PoeN(0, resto, r);
        f.coluna = r;
    }
}

void Tributados(Fluxo &f, const AcumuladorTotais &a, bool issqn)
{
    for (unsigned k = 0; k < a.numAliquotas; ++k) {
        char rotulo[7];
        char tipo = RotuloAliquota(a.ordem[k], rotulo);
        if ((tipo == 'S') == issqn)
            Item(f, rotulo, 7, a.tributados[a.ordem[k]]);
    }
}

int FluxoDeItens(const AcumuladorTotais &a)
{
    static const char *const kNaoTributados[12] = {"F1 ", "F2 ", "I1 ", "I2 ", "N1 ", "N2 ",
                                                   "FS1", "FS2", "IS1", "IS2", "NS1", "NS2"};
    Fluxo f{0, 0};
    LimpaLinha();
    Item(f, "DT", 2, a.dt);
    Item(f, "DS", 2, a.ds);
    Item(f, "AT", 2, a.at);
    Item(f, "AS", 2, a.as);
    Item(f, "CT", 2, a.ct);
    Item(f, "CS", 2, a.cs);
    Tributados(f, a, false);
    for (int i = 0; i < 6; ++i)
        Item(f, kNaoTributados[i], 3, a.naoTributados[i]);
    Tributados(f, a, true);
    for (int i = 6; i < 12; ++i)
        Item(f, kNaoTributados[i], 3, a.naoTributados[i]);
    Item(f, "ON", 2, a.on);
    if (f.erro == 0 && f.coluna > 0)
        f.erro = EscreveLinha();
    return f.erro;
}

int Totais(AcumuladorTotais &a, bool doMes)
{
    int r;
    if (doMes && Estado.completo && (r = LinhaSeparadora()) != 0)
        return r;
    AjustaEstilo(2);
    LimpaLinha();
    if (doMes) {
        DataHora d{};
        DesempacotaData(a.data, &d);
        Poe(0, "Total do m\xEAs");
        PoeNumero(13, 2, d.mes);
        Poe(16, "de");
        PoeNumero(19, 4, d.ano);
    } else {
        Poe(0, "Total do per\xEDodo");
    }
    if ((r = EscreveLinha()) != 0)
        return r;
    LimpaLinha();
    Poe(0, "Venda Bruta (");
    PoeN(13, a.simbolo, 4);
    Poe(17, ")");
    if (ValorNulo(a.vendaBruta, 8, 0) != 0)
        FormataNumero(18, LinhaTexto + 30, 8, a.vendaBruta, FORMATO_MOEDA);
    if ((r = EscreveLinha()) != 0)
        return r;
    if ((r = FluxoDeItens(a)) != 0)
        return r;
    if ((r = LinhaSeparadora()) != 0)
        return r;
    Limpa(a);
    return 0;
}

int Detalhe(const uint8_t *z, const char *simbolo)
{
    AjustaEstilo(2);
    LimpaLinha();
    PoeNumero(0, 4, Campo16(z, RZ_CRZ));
    PoeNumero(7, 3, z[RZ_CRO]);
    PoeNumero(13, 6, CampoNumero(z, RZ_COO, 4));
    PoeDataHora(22, Campo16(z, RZ_DATA), Campo16(z, RZ_HORA), z[RZ_SEGUNDOS]);
    int r = EscreveLinha();
    if (r != 0)
        return r;
    if (ValorNulo(z + RZ_VENDA_BRUTA, 6, 0) != 0) {
        LimpaLinha();
        FormataNumero(18, LinhaTexto + 30, 6, z + RZ_VENDA_BRUTA, FORMATO_MOEDA);
        if ((r = EscreveLinha()) != 0)
            return r;
    }
    Limpa(detalhe);
    Soma(detalhe, z, simbolo);
    return FluxoDeItens(detalhe);
}

// The last symbol entry whose CRZ lies below crz; -1 when there is none.
int MoedaEmVigor(int crz)
{
    int k = -1;
    for (unsigned i = 0; i < NumMoedas; ++i) {
        if (static_cast<int>(TabelaMoeda[i].crz) < crz)
            k = static_cast<int>(i);
    }
    return k;
}

int CabecalhoUsuarioReducoes(unsigned u, const char *simbolo)
{
    int r;
    AjustaEstilo(2);
    LimpaLinha();
    Poe(18, "Usu\xE1rio:");
    PoeNumero(27, 2, u);
    if ((r = EscreveLinha()) != 0)
        return r;
    if ((r = Linha("CRZ    CRO   COO      DATA         HORA")) != 0)
        return r;
    LimpaLinha();
    Poe(23, "VENDA BRUTA DI\xC1RIA (");
    PoeN(43, simbolo, 4);
    Poe(47, ")");
    if ((r = EscreveLinha()) != 0)
        return r;
    static const char *const kLegenda[3][2] = {
        {"DT = desconto ICMS", "DS = desconto ISSQN"},
        {"AT = acr\xE9scimo ICMS", "AS = acr\xE9scimo ISSQN"},
        {"CT = canc. ICMS", "CS = canc. ISSQN"}};
    for (const auto &l : kLegenda) {
        LimpaLinha();
        Poe(0, l[0]);
        Poe(26, l[1]);
        if ((r = EscreveLinha()) != 0)
            return r;
    }
    if ((r = Linha("ON = opera\xE7\xE3o n\xE3o-fiscal")) != 0)
        return r;
    return LinhaSeparadora();
}

}  // namespace

int SecaoReducoes(unsigned a, unsigned b)
{
    int fim = static_cast<int>(b);
    for (int u = static_cast<int>(UltimoUsuario); u >= static_cast<int>(PrimeiroUsuario); --u) {
        const int inicio = TabelaInicioUsuario[u];
        if (u == static_cast<int>(UltimoUsuario) && fim < inicio)
            continue;
        if (inicio == TabelaInicioUsuario[u + 1])
            continue;
        // Never below the range (nor below CRZ 1), whatever the user table says.
        int baixo = inicio > static_cast<int>(a) ? inicio : static_cast<int>(a);
        if (baixo < 1)
            baixo = 1;
        int k = MoedaEmVigor(fim);
        char simbolo[4];
        std::memset(simbolo, ' ', 4);
        if (k >= 0)
            std::memcpy(simbolo, TabelaMoeda[k].simbolo, 4);
        int r = CabecalhoUsuarioReducoes(static_cast<unsigned>(u), simbolo);
        if (r != 0)
            return r;
        Limpa(mes);
        Limpa(periodo);
        for (int crz = fim; crz >= baixo; --crz) {
            uint8_t z[TAM_REDUCAO_Z];
            if (LeReducaoZ(static_cast<unsigned>(crz), z) != MF_OK) {
                if ((r = Linha("* ERROR DE LEITURA NA MEMORIA FISCAL *")) != 0)
                    return r;
                continue;
            }
            const uint16_t data = Campo16(z, RZ_DATA);
            if (mes.somadas > 0 && (data >> 5) != (mes.data >> 5)) {
                if ((r = Totais(mes, true)) != 0)
                    return r;
            }
            if (k >= 0 && crz <= static_cast<int>(TabelaMoeda[k].crz)) {
                k = MoedaEmVigor(crz);
                std::memset(simbolo, ' ', 4);
                if (k >= 0)
                    std::memcpy(simbolo, TabelaMoeda[k].simbolo, 4);
                if (periodo.somadas > 0) {
                    if (mes.somadas > 0 && (r = Totais(mes, true)) != 0)
                        return r;
                    if ((r = Totais(periodo, false)) != 0)
                        return r;
                }
            }
            if (Estado.completo && (r = Detalhe(z, simbolo)) != 0)
                return r;
            if ((r = Soma(mes, z, simbolo)) != 0 || (r = Soma(periodo, z, simbolo)) != 0)
                return r;
        }
        if (mes.somadas > 0 && (r = Totais(mes, true)) != 0)
            return r;
        if ((r = Totais(periodo, false)) != 0)
            return r;
        fim = inicio - 1;
    }
    return 0;
}
