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

std::vector<std::string> Usuario1(uint64_t gt)
{
    return {L().em(0, "Usu\xE1rio:").em(9, "01").em(13, "CRO:").em(17, "001").em(22, DH(kUsuario1)),
            L().em(0, "CNPJ:").em(5, kCnpj1), L().em(0, "IE:").em(4, kIe1), L().em(0, "IM:"),
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

}  // namespace

TEST_F(EspelhoLMF, OneUserCompleteByCrzAndSimplifiedByDate)
{
    ConstrutorMF c = Base();
    std::vector<ReducaoMF> z;
    for (unsigned crz = 1; crz <= 4; ++crz) {
        z.push_back(Reducao(crz, 9 + crz, 1));
        c.Reducao(z.back());
    }
    uint64_t gt = 0;
    for (const auto &r : z)
        gt += r.vendaBruta;

    // Complete, CRZ 2 to 3.
    std::vector<std::string> e = Cabecalho(kCnpj1, kIe1, "", z[3].coo + 1);
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "0002").em(15, "A:").em(18, "0003"));
    Acrescenta(e, Contadores(z[3].gnf, 4, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    Acrescenta(e, Detalhe(z[2]));
    Acrescenta(e, Detalhe(z[1]));
    Soma s;
    s.Mais(z[1]);
    s.Mais(z[2]);
    Acrescenta(e, Total(s, "R$  ", true, 1));
    Acrescenta(e, Total(s, "R$  ", true, 0));
    Acrescenta(e, Fechamento(4, Codificado(gt)));
    ComparaTexto(Gera(c, "0", "1", "0002", "3"), e);

    // Simplified, by date: 11/01 to 31/01 holds CRZ 2 to 4.
    e = Cabecalho(kCnpj1, kIe1, "", z[3].coo + 1);
    e.push_back(L().em(0, "SIMPLIFICADA"));
    e.push_back(L().em(0, "DATA:").em(6, "11/01/2007").em(18, "A:").em(21, "13/01/2007"));
    Acrescenta(e, Contadores(z[3].gnf, 4, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    s = Soma();
    for (int i = 1; i <= 3; ++i)
        s.Mais(z[i]);
    Acrescenta(e, Total(s, "R$  ", false, 1));
    Acrescenta(e, Total(s, "R$  ", false, 0));
    Acrescenta(e, Fechamento(4, Codificado(gt)));
    ComparaTexto(Gera(c, "1", "0", "11012007", "31012007"), e);
}

TEST_F(EspelhoLMF, UserChangeAndMonthBoundary)
{
    ConstrutorMF c = Base();
    c.Usuario(kUsuario2, 3, kCnpj2, kIe2, kIm2, 1, 50000, 2);
    const unsigned dias[5][2] = {{30, 1}, {31, 1}, {31, 1}, {1, 2}, {2, 2}};
    std::vector<ReducaoMF> z;
    for (unsigned crz = 1; crz <= 5; ++crz) {
        z.push_back(Reducao(crz, dias[crz - 1][0], dias[crz - 1][1]));
        c.Reducao(z.back());
    }
    const uint64_t gt = z[3].vendaBruta + z[4].vendaBruta;   // the current user's reductions

    std::vector<std::string> e = Cabecalho(kCnpj2, kIe2, kIm2, z[4].coo + 1);
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "0001").em(15, "A:").em(18, "0005"));
    Acrescenta(e, Contadores(z[4].gnf, 5, 1, 0));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    std::vector<std::string> u1 = Usuario1(50000);
    Acrescenta(e, u1);
    Acrescenta(e, {L().em(0, "Usu\xE1rio:").em(9, "02").em(13, "CRO:").em(17, "001").em(22, DH(kUsuario2)),
                   L().em(0, "CNPJ:").em(5, kCnpj2), L().em(0, "IE:").em(4, kIe2),
                   L().em(0, "IM:").em(4, kIm2),
                   L().em(0, "GT:").em(23, Direita(DinheiroMilhar(gt), 24))});
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    // User 2: CRZ 5 and 4, February.
    Acrescenta(e, CabecalhoReducoes(2, "R$  "));
    Acrescenta(e, Detalhe(z[4]));
    Acrescenta(e, Detalhe(z[3]));
    Soma fev;
    fev.Mais(z[3]);
    fev.Mais(z[4]);
    Acrescenta(e, Total(fev, "R$  ", true, 2));
    Acrescenta(e, Total(fev, "R$  ", true, 0));
    // User 1: CRZ 3 to 1, January.
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    Soma jan;
    for (int i = 2; i >= 0; --i) {
        Acrescenta(e, Detalhe(z[i]));
        jan.Mais(z[i]);
    }
    Acrescenta(e, Total(jan, "R$  ", true, 1));
    Acrescenta(e, Total(jan, "R$  ", true, 0));
    Acrescenta(e, Fechamento(5, Codificado(gt)));
    ComparaTexto(Gera(c, "0", "1", "1", "5"), e);

    // One user whose reductions cross from January into February: the
    // later month's total comes first, the period holds both.  Simplified:
    // no detail and no separator before the month totals.
    ConstrutorMF d = Base();
    z.clear();
    const unsigned dias2[3][2] = {{31, 1}, {1, 2}, {2, 2}};
    for (unsigned crz = 1; crz <= 3; ++crz) {
        z.push_back(Reducao(crz, dias2[crz - 1][0], dias2[crz - 1][1]));
        d.Reducao(z.back());
    }
    const uint64_t gt1 = z[0].vendaBruta + z[1].vendaBruta + z[2].vendaBruta;
    e = Cabecalho(kCnpj1, kIe1, "", z[2].coo + 1);
    e.push_back(L().em(0, "SIMPLIFICADA"));
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "0001").em(15, "A:").em(18, "0003"));
    Acrescenta(e, Contadores(z[2].gnf, 3, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt1));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    fev = Soma();
    fev.Mais(z[2]);
    fev.Mais(z[1]);
    jan = Soma();
    jan.Mais(z[0]);
    Soma periodo = fev;
    periodo.Mais(z[0]);
    Acrescenta(e, Total(fev, "R$  ", false, 2));
    Acrescenta(e, Total(jan, "R$  ", false, 1));
    Acrescenta(e, Total(periodo, "R$  ", false, 0));
    Acrescenta(e, Fechamento(3, Codificado(gt1)));
    ComparaTexto(Gera(d, "1", "1", "   1", "9999"), e);
}

TEST_F(EspelhoLMF, CurrencySymbolInsideTheRangeSplitsThePeriod)
{
    ConstrutorMF c = Base();
    c.Simbolo(kMoeda, 2, "US$");
    std::vector<ReducaoMF> z;
    for (unsigned crz = 1; crz <= 4; ++crz) {
        z.push_back(Reducao(crz, 10 + crz, 1));
        c.Reducao(z.back());
    }
    uint64_t gt = 0;
    for (const auto &r : z)
        gt += r.vendaBruta;
    std::vector<std::string> e = Cabecalho(kCnpj1, kIe1, "", z[3].coo + 1);
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "0001").em(15, "A:").em(18, "0004"));
    Acrescenta(e, Contadores(z[3].gnf, 4, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "US$ "));
    Acrescenta(e, Detalhe(z[3]));
    Acrescenta(e, Detalhe(z[2]));
    Soma dolar;
    dolar.Mais(z[3]);
    dolar.Mais(z[2]);
    Acrescenta(e, Total(dolar, "US$ ", true, 1));
    Acrescenta(e, Total(dolar, "US$ ", true, 0));
    Acrescenta(e, Detalhe(z[1]));
    Acrescenta(e, Detalhe(z[0]));
    Soma real;
    real.Mais(z[1]);
    real.Mais(z[0]);
    Acrescenta(e, Total(real, "R$  ", true, 1));
    Acrescenta(e, Total(real, "R$  ", true, 0));
    Acrescenta(e, Fechamento(4, Codificado(gt)));
    ComparaTexto(Gera(c, "0", "1", "1", "4"), e);
}

TEST_F(EspelhoLMF, DamagedReductionInTheMiddlePrintsTheErrorLine)
{
    ConstrutorMF c = Base();
    std::vector<ReducaoMF> z;
    for (unsigned crz = 1; crz <= 5; ++crz) {
        z.push_back(Reducao(crz, 10 + crz, 1));
        c.Reducao(z.back());
    }
    c.Estraga(ConstrutorMF::OffsetReducao(3) + 40);
    const uint64_t gt = z[0].vendaBruta + z[1].vendaBruta + z[3].vendaBruta + z[4].vendaBruta;
    std::vector<std::string> e = Cabecalho(kCnpj1, kIe1, "", z[4].coo + 1);
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "0001").em(15, "A:").em(18, "0005"));
    Acrescenta(e, Contadores(z[4].gnf, 5, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    Acrescenta(e, Detalhe(z[4]));
    Acrescenta(e, Detalhe(z[3]));
    e.push_back(L().em(0, "* ERROR DE LEITURA NA MEMORIA FISCAL *"));
    Acrescenta(e, Detalhe(z[1]));
    Acrescenta(e, Detalhe(z[0]));
    Soma s;
    for (int i : {0, 1, 3, 4})
        s.Mais(z[i]);
    Acrescenta(e, Total(s, "R$  ", true, 1));
    Acrescenta(e, Total(s, "R$  ", true, 0));
    Acrescenta(e, Fechamento(5, Codificado(gt)));
    ComparaTexto(Gera(c, "0", "1", "1", "5"), e);
}

TEST_F(EspelhoLMF, TwoThousandFiveHundredReductions)
{
    ConstrutorMF c = Base();
    std::vector<ReducaoMF> z;
    uint64_t gt = 0;
    for (unsigned crz = 1; crz <= 2500; ++crz) {
        z.push_back(Reducao(crz, 1 + crz % 28, 1 + (crz / 28) % 12));
        c.Reducao(z.back());
        gt += z.back().vendaBruta;
    }
    const ReducaoMF &u = z.back();
    std::vector<std::string> e = Cabecalho(kCnpj1, kIe1, "", u.coo + 1);
    e.push_back(L().em(0, "REDU\xC7\xC3O:").em(9, "2500").em(15, "A:").em(18, "2500"));
    Acrescenta(e, Contadores(u.gnf, 2500, 1, 1));
    e.push_back(L().em(0, "USU\xC1RIOS"));
    Acrescenta(e, Usuario1(gt));
    e.push_back(L().em(0, "REDU\xC7\xD5" "ES DI\xC1RIAS"));
    Acrescenta(e, CabecalhoReducoes(1, "R$  "));
    Acrescenta(e, Detalhe(u));
    Soma s;
    s.Mais(u);
    Acrescenta(e, Total(s, "R$  ", true, u.emissao.mes));
    Acrescenta(e, Total(s, "R$  ", true, 0));
    std::vector<std::string> f = Fechamento(2500, Codificado(gt));
    EXPECT_EQ(f[0], std::string(L().em(0, "N\xFAmero de Redu\xE7\xF5" "es Restantes:").em(30, "0055")));
    Acrescenta(e, f);
    ComparaTexto(Gera(c, "0", "1", "2500", "2500"), e);
}

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
    // A damaged restart is found while the document is being written.
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
    z.parciais[4] = 999;
    z.aliquotas[4] = 0;
    z.parciais[5] = 4200;
    z.aliquotas[5] = 255;
    z.parciais[6] = 300;
    z.aliquotas[6] = 150;
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
