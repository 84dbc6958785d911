// The LMF mirror as whole files: complete and simplified, by CRZ and by
// date, one user, a change of user, a currency symbol registered inside the
// range, a month boundary, a damaged reduction, 2500 reductions; results of
// the export and of bad input.
#include <gtest/gtest.h>

#include <cstring>

#include "common/construtor_mf.h"
#include "common/util.h"
#include "mf/espelho_lmf.h"
#include "mf/cenario.h"
#include "mf/esperado.h"
#include "talvor/ecf.h"
#include "text/linha.h"

namespace {

struct Soma {
    uint64_t venda = 0, t18 = 0, s05 = 0, t07 = 0, f1 = 0, n1 = 0, dt = 0, ct = 0, on = 0;
    void Mais(const ReducaoMF &z)
    {
        venda += z.vendaBruta;
        t18 += z.parciais[0] + z.parciais[2];
        s05 += z.parciais[1];
        t07 += z.parciais[3];
        f1 += z.naoTributados[0];
        n1 += z.naoTributados[4];
        dt += z.dt;
        ct += z.ct;
        on += z.on;
    }
};

std::vector<std::string> Itens(const Soma &s)
{
    return FluxoItens({{"DT", s.dt}, {"CT", s.ct}, {"T18,00%", s.t18}, {"T07,00%", s.t07},
                       {"F1 ", s.f1}, {"N1 ", s.n1}, {"S05,00%", s.s05}, {"ON", s.on}});
}

void Acrescenta(std::vector<std::string> &v, const std::vector<std::string> &mais)
{
    v.insert(v.end(), mais.begin(), mais.end());
}

std::vector<std::string> Cabecalho(const std::string &cnpj, const std::string &ie,
                                   const std::string &im, uint32_t coo)
{
    std::vector<std::string> v;
    v.push_back(L().em(0, "CNPJ:").em(5, cnpj).em(25, "IE:").em(28, ie));
    if (!im.empty())
        v.push_back(L().em(0, "IM:").em(5, im));
    v.push_back(kSep);
    v.push_back(L().em(0, kAgora).em(38, "COO:").em(42, Zeros(coo, 6)));
    v.push_back(kSep);
    v.push_back(L().em(0, "LEITURA MEM\xD3RIA FISCAL"));
    return v;
}

std::vector<std::string> Contadores(uint32_t gnf, unsigned crz, unsigned cro, unsigned fitas)
{
    return {kSep,
            L().em(0, "Contador Geral de Opera\xE7\xE3o N\xE3o-Fiscal:").em(42, Zeros(gnf, 6)),
            L().em(0, "Contador de Redu\xE7\xF5" "es Z:").em(44, Zeros(crz, 4)),
            L().em(0, "Contador de Reinicio de Opera\xE7\xE3o:").em(45, Zeros(cro, 3)),
            L().em(0, "Contador de Fita-Detalhe:").em(42, Zeros(fitas, 6)),
            L().em(0, "REINICIO OPERA\xC7\xC3O"),
            L().em(0, "CRO      DATA        HORA"),
            L().em(0, "001").em(9, DH(kReinicio1)),
            L().em(0, "002").em(4, "#").em(9, DH(kReinicio2)),
            L().em(0, "IMPRESS\xC3O FITA DETALHE"),
            L().em(0, "CFD      DATA        HORA       COOi    COOf"),
            L().em(0, "CNPJ:").em(6, kCnpj1),
            L().em(0, "0001").em(9, DH(kFita)).em(32, "     1").em(40, "    40")};
}

std::vector<std::string> Usuario(unsigned n, const DataMF &desde, const std::string &cnpj,
                                 const std::string &ie, const std::string &im, uint64_t gt)
{
    return {L().em(0, "Usu\xE1rio:").em(9, Zeros(n, 2)).em(13, "CRO:").em(17, "001").em(22, DH(desde)),
            L().em(0, "CNPJ:").em(5, cnpj), L().em(0, "IE:").em(4, ie), L().em(0, "IM:").em(4, im),
            L().em(0, "GT:").em(23, Direita(DinheiroMilhar(gt), 24))};
}

std::vector<std::string> CabecalhoReducoes(unsigned usuario, const std::string &simbolo)
{
    return {L().em(18, "Usu\xE1rio:").em(27, Zeros(usuario, 2)),
            L().em(0, "CRZ    CRO   COO      DATA         HORA"),
            L().em(23, "VENDA BRUTA DI\xC1RIA (").em(43, simbolo).em(47, ")"),
            L().em(0, "DT = desconto ICMS").em(26, "DS = desconto ISSQN"),
            L().em(0, "AT = acr\xE9scimo ICMS").em(26, "AS = acr\xE9scimo ISSQN"),
            L().em(0, "CT = canc. ICMS").em(26, "CS = canc. ISSQN"),
            L().em(0, "ON = opera\xE7\xE3o n\xE3o-fiscal"), kSep};
}

std::vector<std::string> Detalhe(const ReducaoMF &z)
{
    std::vector<std::string> v = {
        L().em(0, Zeros(z.crz, 4)).em(7, Zeros(z.cro, 3)).em(13, Zeros(z.coo, 6)).em(22, DH(z.emissao)),
        L().em(30, Direita(" " + Dinheiro(z.vendaBruta), 18))};
    Soma s;
    s.Mais(z);
    Acrescenta(v, Itens(s));
    return v;
}

std::vector<std::string> Total(const Soma &s, const std::string &simbolo, bool completo,
                               unsigned mes)
{
    std::vector<std::string> v;
    if (mes != 0) {
        if (completo)
            v.push_back(kSep);
        v.push_back(L().em(0, "Total do m\xEAs").em(13, Zeros(mes, 2)).em(16, "de").em(19, "2007"));
    } else {
        v.push_back(L().em(0, "Total do per\xEDodo"));
    }
    v.push_back(L().em(0, "Venda Bruta (").em(13, simbolo).em(17, ")").em(
        30, Direita(" " + Dinheiro(s.venda), 18)));
    Acrescenta(v, Itens(s));
    v.push_back(kSep);
    return v;
}

std::vector<std::string> Fechamento(unsigned ultimoCrz, const std::string &gtCodificado)
{
    std::vector<std::string> v = {
        L().em(0, "N\xFAmero de Redu\xE7\xF5" "es Restantes:").em(30, Zeros(2555 - ultimoCrz, 4))};
    if (2555 - ultimoCrz < 60)
        v.push_back(L().em(0, "MEM\xD3RIA EM ESGOTAMENTO - INFORMAR AO CREDENCIADO"));
    Acrescenta(v, {L().em(0, "DADOS GERAIS"), L().em(0, "SOFTWARE B\xC1SICO"),
                   L().em(0, "01.00.02").em(10, DH(kVersao)), kSep, L().em(0, "MFD:"),
                   L().em(0, "MFD000111").em(22, "A"), kSep,
                   L().em(0, "CODIFICA\xC7\xC3O GT a partir de").em(27, DH(kCodificacao)),
                   L().em(0, "0=A, 1=B, 2=C, 3=D, 4=E, 5=F, 6=G, 7=H, 8=I, 9=J"
                             ).em(0, "0=A,").em(5, "1=B,").em(10, "2=C,").em(15, "3=D,")
                       .em(20, "4=E,").em(25, "5=F,").em(30, "6=G,").em(35, "7=H,").em(40, "8=I,")
                       .em(45, "9=J"),
                   kSep, L().em(0, "TALVOR").em(27, "7720-QX3"),
                   L().em(0, "ECF-IF").em(10, "VERS\xC3O:").em(18, "01.00.02").em(29, "ECF:")
                       .em(39, "LJ:"),
                   L().em(0, gtCodificado).em(28, kAgora), L().em(0, "FAB:").em(5, kSerie)});
    return v;
}

// The GT in the coding A..J of the base image: 18 letters.
std::string Codificado(uint64_t gt)
{
    std::string d = Zeros(gt, 18);
    for (char &c : d)
        c = static_cast<char>('A' + (c - '0'));
    return d;
}

class EspelhoLMF : public DiretorioTemporario {
protected:
    std::string Gera(const ConstrutorMF &c, const char *tipo, const char *faixa,
                     const char *inicio, const char *fim, int esperado = 0)
    {
        c.Grava("mf.bin");
        EXPECT_EQ(GeradorEspelhoLMF("mf.bin", "lmf.txt", tipo, faixa, inicio, fim), esperado);
        return LeArquivo("lmf.txt");
    }
};

// One whole mirror: the image (reductions dated by dia, a second user from
// CRZ 3, the symbol "US$" from CRZ 2, a damaged reduction), the export's
// arguments, and what the file shows (the range line, each user's
// reductions in stretches under one currency symbol).
struct DiaMes {
    unsigned dia, mes;
};
struct Trecho {
    const char *simbolo;
    std::vector<int> detalhe;                                  // indices into z; -1 the read-error line
    std::vector<std::pair<unsigned, std::vector<int>>> meses;  // each month's total and what it sums
};
struct Grupo {
    unsigned usuario;
    std::vector<Trecho> trechos;
};
struct CasoLMF {
    const char *nome;
    unsigned reducoes;
    DiaMes (*dia)(unsigned crz);
    bool usuario2, dolar;
    int estragada;                  // index of the damaged reduction, -1 none
    const char *tipo, *faixa, *inicio, *fim;
    const char *de, *ate;           // the range line
    size_t gtDesde;                 // the current user's first reduction
    std::vector<Grupo> grupos;
    const char *restantes;
};
void PrintTo(const CasoLMF &c, std::ostream *os) { *os << c.nome; }

const CasoLMF kCasos[] = {
    {"OneUserCompleteByCrz", 4, [](unsigned crz) { return DiaMes{9 + crz, 1}; }, false, false, -1,
     "0", "1", "0002", "3", "0002", "0003", 0,
     {{1, {{"R$  ", {2, 1}, {{1, {1, 2}}}}}}}, "2551"},
    // 11/01 to 31/01 holds CRZ 2 to 4.
    {"OneUserSimplifiedByDate", 4, [](unsigned crz) { return DiaMes{9 + crz, 1}; }, false, false, -1,
     "1", "0", "11012007", "31012007", "11/01/2007", "13/01/2007", 0,
     {{1, {{"R$  ", {}, {{1, {1, 2, 3}}}}}}}, "2551"},
    // User 2 (CRZ 5 and 4, February) before user 1 (CRZ 3 to 1, January).
    {"UserChange", 5,
     [](unsigned crz) {
         const DiaMes d[] = {{30, 1}, {31, 1}, {31, 1}, {1, 2}, {2, 2}};
         return d[crz - 1];
     },
     true, false, -1, "0", "1", "1", "5", "0001", "0005", 3,
     {{2, {{"R$  ", {4, 3}, {{2, {3, 4}}}}}}, {1, {{"R$  ", {2, 1, 0}, {{1, {0, 1, 2}}}}}}}, "2550"},
    // One user's reductions cross from January into February: the later
    // month's total comes first, the period holds both.  Simplified: no
    // detail and no separator before the month totals.
    {"MonthBoundarySimplified", 3,
     [](unsigned crz) {
         const DiaMes d[] = {{31, 1}, {1, 2}, {2, 2}};
         return d[crz - 1];
     },
     false, false, -1, "1", "1", "   1", "9999", "0001", "0003", 0,
     {{1, {{"R$  ", {}, {{2, {2, 1}}, {1, {0}}}}}}}, "2552"},
    {"CurrencySymbolInsideTheRangeSplitsThePeriod", 4,
     [](unsigned crz) { return DiaMes{10 + crz, 1}; }, false, true, -1, "0", "1", "1", "4", "0001",
     "0004", 0, {{1, {{"US$ ", {3, 2}, {{1, {3, 2}}}}, {"R$  ", {1, 0}, {{1, {1, 0}}}}}}}, "2551"},
    {"DamagedReductionInTheMiddlePrintsTheErrorLine", 5,
     [](unsigned crz) { return DiaMes{10 + crz, 1}; }, false, false, 2, "0", "1", "1", "5", "0001",
     "0005", 0, {{1, {{"R$  ", {4, 3, -1, 1, 0}, {{1, {0, 1, 3, 4}}}}}}}, "2550"},
    // CRZ 2500 is dated in June; the memory is nearly full.
    {"TwoThousandFiveHundredReductions", 2500,
     [](unsigned crz) { return DiaMes{1 + crz % 28, 1 + (crz / 28) % 12}; }, false, false, -1, "0",
     "1", "2500", "2500", "2500", "2500", 0, {{1, {{"R$  ", {2499}, {{6, {2499}}}}}}}, "0055"},
};

// The mirror the case should give, composed line by line.
std::vector<std::string> Esperado(const CasoLMF &k, const std::vector<ReducaoMF> &z)
{
    const bool completo = k.tipo[0] == '0';
    const ReducaoMF &u = z.back();
    uint64_t gt = 0;
    for (size_t i = k.gtDesde; i < z.size(); ++i)
        gt += static_cast<int>(i) == k.estragada ? 0 : z[i].vendaBruta;
    std::vector<std::string> e = k.usuario2 ? Cabecalho(kCnpj2, kIe2, kIm2, u.coo + 1)
                                            : Cabecalho(kCnpj1, kIe1, "", u.coo + 1);
    if (!completo)
        e.push_back(L().em(0, "SIMPLIFICADA"));
    if (k.faixa[0] == '1')
        e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, k.de).em(15, "A:").em(18, k.ate));
    else
        e.push_back(L().em(0, "DATA:").em(6, k.de).em(18, "A:").em(21, k.ate));
    // The detail-tape issue belongs to user 1.
    Acrescenta(e, Contadores(u.gnf, k.reducoes, 1, k.usuario2 ? 0 : 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario(1, kUsuario1, kCnpj1, kIe1, "", k.usuario2 ? 50000 : gt));
    if (k.usuario2)
        Acrescenta(e, Usuario(2, kUsuario2, kCnpj2, kIe2, kIm2, gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    for (const Grupo &g : k.grupos) {
        Acrescenta(e, CabecalhoReducoes(g.usuario, g.trechos[0].simbolo));
        for (const Trecho &t : g.trechos) {
            for (int i : t.detalhe) {
                if (i < 0)
                    e.push_back(L().em(0, "* ERROR DE LEITURA NA MEMORIA FISCAL *"));
                else
                    Acrescenta(e, Detalhe(z[static_cast<size_t>(i)]));
            }
            Soma periodo;
            for (const auto &m : t.meses) {
                Soma s;
                for (int i : m.second) {
                    s.Mais(z[static_cast<size_t>(i)]);
                    periodo.Mais(z[static_cast<size_t>(i)]);
                }
                Acrescenta(e, Total(s, t.simbolo, completo, m.first));
            }
            Acrescenta(e, Total(periodo, t.simbolo, completo, 0));
        }
    }
    std::vector<std::string> f = Fechamento(k.reducoes, Codificado(gt));
    EXPECT_EQ(f[0], std::string(L().em(0, "N\xFAmero de Redu\xE7\xF5" "es Restantes:").em(30, k.restantes)));
    Acrescenta(e, f);
    return e;
}

class EspelhoLMFInteiro : public EspelhoLMF, public ::testing::WithParamInterface<CasoLMF> {};

}  // namespace

TEST_P(EspelhoLMFInteiro, WholeFile)
{
    const CasoLMF &k = GetParam();
    ConstrutorMF c = Base();
    if (k.usuario2)
        c.Usuario(kUsuario2, 3, kCnpj2, kIe2, kIm2, 1, 50000, 2);
    if (k.dolar)
        c.Simbolo(kMoeda, 2, "US$");
    std::vector<ReducaoMF> z;
    for (unsigned crz = 1; crz <= k.reducoes; ++crz) {
        z.push_back(Reducao(crz, k.dia(crz).dia, k.dia(crz).mes));
        c.Reducao(z.back());
    }
    if (k.estragada >= 0)
        c.Estraga(ConstrutorMF::OffsetReducao(static_cast<unsigned>(k.estragada) + 1) + 40);
    ComparaTexto(Gera(c, k.tipo, k.faixa, k.inicio, k.fim), Esperado(k, z));
}

// Listed (and named in CTest) by the case's name.
INSTANTIATE_TEST_SUITE_P(Casos, EspelhoLMFInteiro, ::testing::ValuesIn(kCasos));

TEST_F(EspelhoLMF, ResultsOfTheExportAndOfBadArguments)
{
    ConstrutorMF c = Base();
    for (unsigned crz = 1; crz <= 3; ++crz)
        c.Reducao(Reducao(crz, 10 + crz, 1));
    c.Grava("mf.bin");
    // The mirror directory is missing: 2.
    EXPECT_EQ(GeraEspelhoLMF("mf.bin", "0", "1", "1", "3"), 2);
    CriaDiretoriosSaida();
    EXPECT_EQ(GeraEspelhoLMF("nao-existe.bin", "0", "1", "1", "3"), 1);
    GravaArquivo("curto.bin", std::string(1048575, '\0'));
    EXPECT_EQ(GeraEspelhoLMF("curto.bin", "0", "1", "1", "3"), 1);
    EXPECT_TRUE(ListaDiretorio("Arquivos TXT Espelho").empty());
    ASSERT_EQ(GeraEspelhoLMF("mf.bin", "0", "1", "1", "3"), 0);
    std::vector<std::string> nomes = ListaDiretorio("Arquivos TXT Espelho");
    ASSERT_EQ(nomes.size(), 1u);
    // "EMF", the short identification read back from the file, time stamp.
    EXPECT_EQ(nomes[0].size(), 50u - std::strlen("Arquivos TXT Espelho/"));
    EXPECT_EQ(nomes[0].substr(0, 10), "EMFTL0001_");

    struct { const char *tipo, *faixa, *inicio, *fim; } ruins[] = {
        {"2", "0", "01012007", "31012007"},   // bad tipo: the file stays empty
        {"0", "x", "1", "3"},                 // bad faixa
        {"0", "1", "0", "3"},                 // CRZ 0
        {"0", "1", "3", "2"},                 // start after end
        {"0", "1", "4", "9"},                 // start beyond the last CRZ
        {"0", "1", "1a", "3"},                // bad character
        {"0", "1", "    ", "3"},              // blanks only
        {"0", "0", "01022007", "28022007"},   // no reduction in the dates
        {"0", "0", "31022007", "28022007"},   // impossible date
        {"0", "0", "0102200x", "28022007"},   // bad character in a date
        {"0", "0", "0102", "28022007"},       // short date
        {"0", "0", "28022007", "01022007"},   // start after end
    };
    for (const auto &r : ruins) {
        SCOPED_TRACE(std::string(r.tipo) + r.faixa + " " + r.inicio + " " + r.fim);
        std::string texto = Gera(c, r.tipo, r.faixa, r.inicio, r.fim, 3);
        EXPECT_EQ(texto.find("EAD"), std::string::npos);
        if (r.tipo[0] == '2' || r.faixa[0] == 'x') {
            EXPECT_TRUE(texto.empty());
        }
    }
    // An end beyond the last CRZ is lowered to it.
    std::string texto = Gera(c, "1", "1", "2", "99");
    EXPECT_NE(texto.find(std::string(L().em(0, "REDU\xC7\xC3O:").em(9, "0002").em(15, "A:").em(18, "0003"))),
              std::string::npos);
}

TEST_F(EspelhoLMF, DamagedListRecordLeavesAnUnsignedPartialFile)
{
    ConstrutorMF c = Base();
    c.Reducao(Reducao(1, 10, 1));
    c.Usuario(kUsuario2, 0, kCnpj2, kIe2, kIm2, 1, 0, 2);
    c.Estraga(ConstrutorMF::OffsetUsuario(2) + 8, true);
    std::string texto = Gera(c, "0", "1", "1", "1", 3);
    EXPECT_TRUE(texto.empty());
    // A damaged restart is found while the mirror is being written.
    ConstrutorMF d = Base();
    d.Reducao(Reducao(1, 10, 1));
    d.Estraga(21104 + 16 + 3, true);
    texto = Gera(d, "0", "1", "1", "1", 3);
    EXPECT_NE(texto.find("REINICIO OPERA\xC7\xC3O"), std::string::npos);
    EXPECT_EQ(texto.find("IMPRESS\xC3O FITA DETALHE"), std::string::npos);
    EXPECT_EQ(texto.find("EAD"), std::string::npos);
}

TEST_F(EspelhoLMF, ValuesAtTheirLimits)
{
    ConstrutorMF c = Base();
    // Rate numbers 0 (unused slot, its value ignored), 255 and an erased
    // rate record: summed under their own number, labelled "XXX,XX%".
    ReducaoMF z = Reducao(1, 10, 1);
    z.Parcial(4, 999, 0).Parcial(5, 4200, 255).Parcial(6, 300, 150);
    z.coo = 0xFFFFFFFF;
    z.gnf = 0xFFFFFF;
    z.cro = 255;
    z.vendaBruta = 0xFFFFFFFFFFFFull;
    c.Reducao(z);
    // A detail-tape issue and a device naming users beyond 20, a mark for
    // device 11.
    c.FitaDetalhe(kFita, 200, 0xFFFFFF, 0xFFFFFF).Dispositivo("DEV2", 99).Marca(11, 'Z');
    std::string texto = Gera(c, "0", "1", "1", "1");
    Soma s;
    s.Mais(z);
    std::vector<std::string> itens = FluxoItens(
        {{"DT", s.dt}, {"CT", s.ct}, {"T18,00%", s.t18}, {"T07,00%", s.t07}, {"XXX,XX%", 4200},
         {"XXX,XX%", 300}, {"F1 ", s.f1}, {"N1 ", s.n1}, {"S05,00%", s.s05}, {"ON", s.on}});
    std::string bloco;
    for (const auto &l : itens)
        bloco += l + "\r\n";
    EXPECT_NE(texto.find(bloco), std::string::npos);
    EXPECT_NE(texto.find(std::string(L().em(0, "0001").em(7, "255").em(13, "967295").em(22, DH(z.emissao))) + "\r\n"),
              std::string::npos);
    EXPECT_NE(texto.find(std::string(L().em(0, "CNPJ:")) + "\r\n" +
                         std::string(L().em(0, "0002").em(9, DH(kFita)).em(32, "777215").em(40, "777215"))),
              std::string::npos);
    EXPECT_NE(texto.find(std::string(L().em(0, "DEV2")) + "\r\n"), std::string::npos);
    EXPECT_NE(texto.find(L().em(38, "COO:").em(42, "000000").t.substr(38)), std::string::npos);

    // A user number above 20 cannot be placed: the mirror is refused.
    ConstrutorMF d = Base();
    d.Usuario(kUsuario2, 0, kCnpj2, kIe2, kIm2, 1, 0, 21);
    d.Reducao(Reducao(1, 10, 1));
    Gera(d, "0", "1", "1", "1", 3);
}

TEST_F(EspelhoLMF, AnyBytesConvertOrAreRefused)
{
    uint32_t semente = 12345;
    auto aleatorio = [&]() {
        semente = semente * 1103515245u + 12345u;
        return static_cast<char>(semente >> 16);
    };
    for (int rodada = 0; rodada < 4; ++rodada) {
        std::string bytes(1048576 + 29 + 259, '\0');
        for (char &b : bytes)
            b = aleatorio();
        if (rodada == 1) {
            // Every reduction slot valid, CRZs all 0 but the last.
            ConstrutorMF c;
            for (unsigned n = 1; n <= 2555; ++n) {
                ReducaoMF z;
                z.crz = n == 2555 ? 2555 : 0;
                c.Reducao(z);
            }
            bytes = c.Arquivo();
        }
        if (rodada == 2)
            bytes.assign(1048605, '\0');
        GravaArquivo("lixo.bin", bytes);
        for (const char *faixa : {"0", "1"}) {
            int r = GeradorEspelhoLMF("lixo.bin", "lixo.txt", "0", faixa,
                                      faixa[0] == '0' ? "01011990" : "1",
                                      faixa[0] == '0' ? "31122089" : "2555");
            EXPECT_TRUE(r == 0 || r == 3) << r;
        }
    }
}
