// Type-E records from the detail tape: whole files of E01, E02 and E14 to
// E21 against lines built field by field here, the three modes, range
// selection, the rules of the stream's binary records and bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "common/construtor_fd.h"
#include "common/construtor_mf.h"
#include "common/util.h"
#include "files/item_list.h"
#include "files/saida.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"
#include "tipoe/tipoe.h"
#include "tipoe_fd/esperado_tipoe.h"

namespace {

const std::string kTrailer = "EAD" + std::string(256, '0');
const std::string kSerie = "TV0123456789";
const std::string kModelo = "7720-QX3";
const DataFD kDia1 = {15, 3, 2007, 14, 25, 1};
const DataFD kDia1b = {15, 3, 2007, 14, 26, 0};
const DataFD kDia2 = {16, 3, 2007, 9, 5, 30};
const DataFD kDia2b = {16, 3, 2007, 9, 6, 2};
const DataFD kDia2c = {16, 3, 2007, 18, 0, 59};

std::string Prefixo(const std::string &tipo)
{
    return tipo + Pad(kSerie, 20) + " " + Pad(kModelo, 20);
}

// A record of the given type and length with its prefix and user number.
RegE Novo(const std::string &tipo, size_t n)
{
    RegE r(n);
    r.em(0, Prefixo(tipo)).em(44, "01");
    return r;
}

void Identificacao(ConstrutorFD &c)
{
    c.IdentificacaoECF(kSerie, "TALVOR", kModelo, "ECF-IF")
        .VersaoSB({1, 2, 2007, 10, 20, 30}, 1, 0, 2)
        .Contribuinte({2, 2, 2007, 11, 0, 5}, "12.345.678/0001-90", "123.456.789.110", "IM1", 2,
                      123456789, 1)
        .Decimais(3, 2)
        .NumerosECF("001", "0002")
        .LinhaCabecalho(0, "MERCADO BOM PRECO LTDA E MAIS UM NOME COMPRIDO")
        .LinhaCabecalho(1, "RUA DAS FLORES, 123")
        .LinhaCabecalho(2, "CENTRO - SAO PAULO - SP")
        .LinhaCabecalho(6, "IGNORADA")
        .Aliquota(0, 'T', 1800)
        .Aliquota(1, 'S', 500)
        .NomePagamento(0, "DINHEIRO")
        .NomePagamento(1, "CARTAO")
        .NomeTotalizadorNF(0, "SANGRIA");
}

std::string E01(const std::string &crz1, const std::string &crz2, const std::string &d1,
                const std::string &d2)
{
    RegE r(166);
    r.em(0, "E01").em(3, Pad(kSerie, 20)).em(24, Pad("ECF-IF", 7)).em(31, Pad("TALVOR", 20))
        .em(51, Pad(kModelo, 20)).em(71, "01.00.02  ").em(81, "20070201").em(89, "102030")
        .em(95, "001").em(98, "12345678000190").em(112, "MFD").em(115, crz1).em(121, crz2)
        .em(127, d1).em(135, d2).em(143, "01.00.41").em(151, "AC1704 01.00.00");
    return r.t;
}

std::string E02()
{
    RegE r(272);
    r.em(0, Prefixo("E02")).em(44, "12345678000190").em(58, "00123456789110")
        .em(72, "MERCADO BOM PRECO LTDA E MAIS UM NOME CO").em(112, "RUA DAS FLORES, 123")
        .em(160, "CENTRO - SAO PAULO - SP").em(232, "20070202").em(240, "110005")
        .em(246, "000002").em(252, Zeros(123456789, 18)).em(270, "01");
    return r.t;
}

RegE E14Base(uint32_t ccf, uint32_t coo, const std::string &data)
{
    RegE r = Novo("E14", 191);
    r.em(46, Zeros(ccf, 6)).em(52, Zeros(coo, 6)).em(58, data).em(66, Zeros(0, 14))
        .em(80, Zeros(0, 13)).em(93, "V").em(94, Zeros(0, 13)).em(107, "V").em(108, Zeros(0, 14))
        .em(122, "N").em(123, Zeros(0, 13)).em(177, Zeros(0, 14));
    return r;
}

struct ItemEsperado {
    unsigned n;
    std::string codigo, descricao, unidade;
    uint64_t quantidade, preco, desconto, acrescimo, liquido;
    std::string rotulo, cancelado;
    uint64_t acrescimoCancelado;
    std::string arredonda;
};

std::string E15(uint32_t coo, uint32_t ccf, const ItemEsperado &i)
{
    RegE r = Novo("E15", 267);
    r.em(46, Zeros(coo, 6)).em(52, Zeros(ccf, 6)).em(58, Zeros(i.n, 3)).em(61, Pad(i.codigo, 14))
        .em(75, Pad(i.descricao, 100)).em(175, Zeros(i.quantidade, 7)).em(182, Pad(i.unidade, 3))
        .em(185, Zeros(i.preco, 8)).em(193, Zeros(i.desconto, 8)).em(201, Zeros(i.acrescimo, 8))
        .em(209, Zeros(i.liquido, 14)).em(223, Pad(i.rotulo, 7)).em(230, i.cancelado)
        .em(231, Zeros(0, 7)).em(238, Zeros(0, 13)).em(251, Zeros(i.acrescimoCancelado, 13))
        .em(264, i.arredonda).em(265, "32");
    return r.t;
}

std::string E16(uint32_t coo, uint32_t gnf, uint32_t grg, uint32_t cdc, uint32_t crz,
                const std::string &nome, const std::string &data, const std::string &hora)
{
    RegE r = Novo("E16", 90);
    r.em(46, Zeros(coo, 6)).em(52, Zeros(gnf, 6)).em(58, Zeros(grg, 6)).em(64, Zeros(cdc, 4))
        .em(68, Zeros(crz, 6)).em(74, nome).em(76, data).em(84, hora);
    return r.t;
}

std::string E17E18(const std::string &tipo, uint32_t crz, const std::string &nome, uint64_t valor)
{
    RegE r = Novo(tipo, 80);
    r.em(46, Zeros(crz, 6)).em(52, Pad(nome, 15)).em(67, Zeros(valor, 13));
    return r.t;
}

std::string E21(uint32_t coo, uint32_t ccf, uint32_t gnf, const std::string &meio, uint64_t valor,
                bool estorno, uint64_t estornado)
{
    RegE r = Novo("E21", 106);
    r.em(46, Zeros(coo, 6)).em(52, Zeros(ccf, 6)).em(58, Zeros(gnf, 6)).em(64, Pad(meio, 15))
        .em(79, Zeros(valor, 13)).em(92, estorno ? "S" : "N").em(93, Zeros(estornado, 13));
    return r.t;
}

// The variable that names the system's temporary directory.
#if defined(_WIN32)
const char kVariavelTemp[] = "TMP";
void DefineVariavel(const char *nome, const char *valor)
{
    // "NOME=" with an empty value removes the variable.
    static std::string atribuicao;
    atribuicao = std::string(nome) + "=" + valor;
    _putenv(atribuicao.c_str());
}
#else
const char kVariavelTemp[] = "TMPDIR";
void DefineVariavel(const char *nome, const char *valor)
{
    if (valor[0] != '\0')
        setenv(nome, valor, 1);
    else
        unsetenv(nome);
}
#endif

// Temporary files go to a directory of the test while it lives; the
// budget and the failure aid are put back at its end.
class TemporariosDoTeste {
public:
    explicit TemporariosDoTeste(const std::string &dir) : dir_(dir)
    {
        const char *t = std::getenv(kVariavelTemp);
        if (t != nullptr)
            anterior_ = t;
        CriaDiretorio(dir.c_str());
        DefineVariavel(kVariavelTemp, dir.c_str());
    }
    ~TemporariosDoTeste()
    {
        DefineVariavel(kVariavelTemp, anterior_.c_str());
        DefineOrcamentoFD(ORCAMENTO_PADRAO_FD);
        FalhaDespejoFD(0);
    }
    size_t Restantes() const { return ListaDiretorio(dir_).size(); }

private:
    std::string dir_, anterior_;
};

class TipoEFD : public DiretorioTemporario {
protected:
    // Runs the generator (after the signature check) over a file made of
    // the content and a trailer; the output text, or "<none>".
    int Gera(const std::string &conteudo, int modo, std::string *texto, ItemList *lista = nullptr)
    {
        GravaArquivo("entrada.MFD", conteudo + kTrailer);
        FILE *f = std::fopen("entrada.MFD", "rb");
        EXPECT_NE(f, nullptr);
        bool escrito = false;
        ItemList propria;
        propria.Init();
        int r = EscreveRegistrosFD(f, conteudo.size() + kTrailer.size(), "saida.TXT",
                                   lista != nullptr ? lista : &propria, modo, &escrito);
        std::fclose(f);
        propria.Release();
        *texto = ExisteArquivo("saida.TXT") ? LeArquivo("saida.TXT") : "<none>";
        return r;
    }
};

// A cupom with items, item and subtotal discounts and surcharges, their
// cancellations, a buyer, payments with a refund and a change of method;
// then a comprovante não-fiscal and a Redução Z with its totals.
TEST_F(TipoEFD, CupomComprovanteAndReducaoZ)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 100, 50)
        .TresItens()
        .DescontoItem(1, 500)
        .AcrescimoItemPercentual(2, 1000)
        .CancelaItem(0)
        .CancelaAcrescimoItem(2)
        .TotalizadorParcial(0x00, 350)
        .TotalizadorParcial(0x90, 19500)
        .TotalizadorParcial(0x01, 599)
        .SubtotalValor(true, 1000)
        .SubtotalValor(false, 200)
        .CancelaSubtotal(false)
        .Comprador("CPF 123.456.789-09")
        .Pagamento(0, 0, 10000)
        .Pagamento(1, 1, 5000)
        .Pagamento(1, 1, 4000, 0xD6)
        .Pagamento(2, 0, 300)
        .Pagamento(2, 1, 300)
        .LinhaImpressa("TROCO 0,00")
        .FimDocumento(0xA1, kDia1b)
        .InicioComprovante(kDia2, 101, 7)
        .ItemNaoFiscal(1, 0, 5000)
        .TotalNaoFiscal(0, 5000)
        .Pagamento(0, 0, 5000)
        .FimDocumento(0xA5, kDia2b)
        .InicioReducaoZ(kDia2c, 102, 5)
        .TotalPagamento(0, 15000)
        .Troco(700)
        .FimDocumento(0xA3, kDia2c);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);
    // With a budget of one byte every record but the last of each list goes
    // through a temporary file: the same file.
    TemporariosDoTeste temporarios(dir_ + "/temporarios");
    DefineOrcamentoFD(1);
    std::string comOrcamento;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &comOrcamento), 0);
    EXPECT_EQ(comOrcamento, texto);
    EXPECT_EQ(temporarios.Restantes(), 0u);

    RegE e14 = E14Base(50, 100, "20070315");
    e14.em(66, Zeros(21449, 14)).em(80, Zeros(1000, 13)).em(108, Zeros(20449, 14))
        .em(123, Zeros(200, 13)).em(136, "D").em(137, Pad("CPF 123.456.789-09", 40))
        .em(177, "00012345678909");
    RegE e19 = Novo("E19", 191);
    e19.em(46, "000101").em(52, "000007").em(58, "20070316").em(66, Zeros(5000, 14))
        .em(80, Zeros(0, 13)).em(93, "V").em(94, Zeros(0, 13)).em(107, "V")
        .em(108, Zeros(5000, 14)).em(122, "N").em(123, Zeros(0, 13)).em(177, Zeros(0, 14));
    RegE e20 = Novo("E20", 142);
    e20.em(46, "000101").em(52, "000007").em(58, "001").em(61, Pad("SANGRIA", 15))
        .em(76, Zeros(5000, 13)).em(89, Zeros(0, 13)).em(102, Zeros(0, 13))
        .em(115, Zeros(5000, 13)).em(128, "N").em(129, Zeros(0, 13));

    std::vector<std::string> esperado = {
        E01("000005", "000005", "20070315", "20070316"),
        E02(),
        e14.t,
        // 1,500 x 2,33 = 3,495: the exact half rounds to the even 3,50.
        E15(100, 50, {1, "7891000", "BANANA", "KG", 1500, 233, 0, 0, 350, "01T1800", "S", 0, "A"}),
        // 2,000 x 10,00 = 20,00 less a discount of 5,00.
        E15(100, 50, {2, "7892000", "ARROZ 5KG", "UN", 2000, 1000, 500, 0, 1500, "I1", "N", 0, "T"}),
        // 10 % of 5,99 is 0,599: rounded up to 0,60, then cancelled.
        E15(100, 50, {3, "7893000", "SERVICO", "UN", 1000, 599, 0, 0, 599, "02S0500", "N", 60, "A"}),
        E16(101, 7, 0, 0, 0, "CN", "20070316", "090602"),
        E16(102, 0, 0, 0, 5, "RZ", "20070316", "180059"),
        E17E18("E17", 5, "SANGRIA", 5000),
        E17E18("E18", 5, "DINHEIRO", 15000),
        E17E18("E18", 5, "CARTAO", 0),
        E17E18("E18", 5, "TROCO", 700),
        e19.t,
        e20.t,
        E21(100, 50, 0, "DINHEIRO", 10000, false, 0),
        E21(100, 50, 0, "CARTAO", 5000, true, 1000),
        E21(100, 50, 0, "CARTAO", 300, false, 0),
        E21(100, 50, 0, "DINHEIRO", 300, true, 300),
        E21(101, 0, 7, "DINHEIRO", 5000, false, 0),
    };
    EXPECT_EQ(texto, Juntas(esperado));
}

// Subtotal by percentage, a cupom ended cancelled, a later cancellation of
// the preceding cupom, the buyer kept to its own document and a 0xC1
// subtotal.
TEST_F(TipoEFD, PercentagesCancellationsAndBuyerOfItsOwnDocument)
{
    // A cupom cancelled after its end changes its record after it was
    // gathered: also when the records before it went to temporary files.
    TemporariosDoTeste temporarios(dir_ + "/temporarios");
    for (size_t orcamento : {ORCAMENTO_PADRAO_FD, size_t{1}}) {
    DefineOrcamentoFD(orcamento);
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 200, 60)
        .Item(1, "1", 1000, "UN", 10000, 0x00, 0, "A")
        .TotalizadorParcial(0x00, 10000)
        .Subtotal(10000)
        .SubtotalPercentual(true, 1000)
        .Comprador("CNPJ 11.222.333/0001-44")
        .FimDocumento(0xB1, kDia1b)
        .InicioComprovante(kDia1b, 201, 8)
        .ItemNaoFiscal(1, 0, 250)
        .TotalNaoFiscal(0, 250)
        .FimDocumento(0xA5, kDia1b)
        .InicioCupom(kDia1b, 202, 61)
        .Item(1, "2", 1000, "UN", 100, 0x00, 0, "B")
        .TotalizadorParcial(0x00, 10100)
        .SubtotalValor(false, 5)
        .FimDocumento(0xA1, kDia1b)
        .InicioCancelamentoCupom(kDia1b, 203)
        .FimDocumento(0xA8, kDia1b);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);

    RegE a = E14Base(60, 200, "20070315");
    a.em(66, Zeros(10000, 14)).em(80, Zeros(1000, 13)).em(93, "P").em(108, Zeros(10000, 14))
        .em(122, "S").em(136, "D").em(137, Pad("CNPJ 11.222.333/0001-44", 40))
        .em(177, "11222333000144");
    // Surcharge by amount without 0xC1: subtotal = result - surcharge.
    RegE b = E14Base(61, 202, "20070315");
    b.em(66, Zeros(95, 14)).em(94, Zeros(5, 13)).em(108, Zeros(100, 14)).em(122, "S")
        .em(136, "A");
    RegE e19 = Novo("E19", 191);
    e19.em(46, "000201").em(52, "000008").em(58, "20070315").em(66, Zeros(250, 14))
        .em(80, Zeros(0, 13)).em(93, "V").em(94, Zeros(0, 13)).em(107, "V")
        .em(108, Zeros(250, 14)).em(122, "N").em(123, Zeros(0, 13)).em(177, Zeros(0, 14));
    std::string resto;
    const std::vector<std::string> linhas = Linhas(texto, &resto);
    ASSERT_EQ(linhas.size(), 9u);
    EXPECT_EQ(linhas[2], a.t);
    EXPECT_EQ(linhas[3], b.t);
    EXPECT_EQ(linhas[7], e19.t);
    EXPECT_EQ(temporarios.Restantes(), 0u);
    }
}

// A long stream of every kind of document, with cancellations after the
// end of cupons and comprovantes and reductions: the same file whatever the
// budget, the temporary files gone; a failing temporary file fails the run
// with no file left, signed or not.
// Days of 60 cupons of 1 to 5 items each, with cancellations and
// comprovantes (some cancelled), each day closed by its Redução Z: a stream
// whose lists outgrow any small memory budget.
void DiasDeMovimento(ConstrutorFD *c, uint16_t dias)
{
    uint32_t coo = 1, ccf = 1, gnf = 1;
    for (uint16_t dia = 0; dia < dias; ++dia) {
        for (unsigned k = 0; k < 60; ++k) {
            c->InicioCupom(kDia1, coo++, ccf++);
            for (unsigned i = 1; i <= 1 + k % 5; ++i)
                c->Item(static_cast<uint16_t>(i), "789" + std::to_string(i), 1000 + i, "UN", 100 * i,
                        static_cast<uint8_t>(i % 2), 0, "PRODUTO " + std::to_string(k));
            c->TotalizadorParcial(0x00, 100 * k).Pagamento(0, static_cast<uint8_t>(k % 2), 100 + k)
                .FimDocumento(k % 7 == 3 ? 0xB1 : 0xA1, kDia1);
            if (k % 9 == 4)
                c->InicioCancelamentoCupom(kDia1b, coo++).FimDocumento(0xA8, kDia1b);
            if (k % 11 == 5) {
                c->InicioComprovante(kDia1b, coo++, gnf++).ItemNaoFiscal(1, 0, 250)
                    .TotalNaoFiscal(0, 250).Pagamento(0, 0, 250).FimDocumento(0xA5, kDia1b);
                if (k % 2 == 0)
                    c->InicioCancelamentoComprovante(kDia1b, coo++).FimDocumento(0xAC, kDia1b);
            }
        }
        c->InicioReducaoZ(kDia2c, coo++, static_cast<uint16_t>(dia + 1)).TotalPagamento(0, 1000)
            .TotalNaoFiscal(0, 250).Troco(5).FimDocumento(0xA3, kDia2c);
    }
}

TEST_F(TipoEFD, MemoryBudgetGivesTheSameFileAndFailsWhole)
{
    ConstrutorFD c;
    Identificacao(c);
    DiasDeMovimento(&c, 6);
    const std::string fluxo = ParametrosFD(kSerie, 3) + c.Fluxo();
    std::string inteiro;
    ASSERT_EQ(Gera(fluxo, MODO_FD_SOZINHO, &inteiro), 0);
    ASSERT_GT(inteiro.size(), 100000u);
    EXPECT_NE(inteiro.find("\r\nE19"), std::string::npos);

    TemporariosDoTeste temporarios(dir_ + "/temporarios");
    for (size_t orcamento : {size_t{1}, size_t{700}, size_t{20000}}) {
        DefineOrcamentoFD(orcamento);
        std::string texto;
        ASSERT_EQ(Gera(fluxo, MODO_FD_SOZINHO, &texto), 0);
        EXPECT_EQ(texto, inteiro) << "budget " << orcamento;
        EXPECT_EQ(temporarios.Restantes(), 0u);
    }
    // A captured reduction: E17 to E21 went to temporary files and are
    // still left out.
    std::string reducao;
    DefineOrcamentoFD(ORCAMENTO_PADRAO_FD);
    ASSERT_EQ(Gera(c.Fluxo(), MODO_FD_REDUCAO, &reducao), 0);
    DefineOrcamentoFD(1);
    std::string texto;
    ASSERT_EQ(Gera(c.Fluxo(), MODO_FD_REDUCAO, &texto), 0);
    EXPECT_EQ(texto, reducao);
    EXPECT_EQ(texto.find("\r\nE21"), std::string::npos);

    // The whole generator over a signed input: a temporary file that fails
    // half-way, or cannot be made, gives an error and no output file.
    ASSERT_TRUE(AssinaturaDisponivel());
    ASSERT_TRUE(GravaComAssinatura("fita.MFD", fluxo));
    for (unsigned falha : {1u, 500u}) {
        FalhaDespejoFD(falha);
        std::remove("saida.TXT");
        EXPECT_EQ(GeraRegistrosFD("fita.MFD", "saida.TXT", nullptr, MODO_FD_SOZINHO), 1);
        EXPECT_FALSE(ExisteArquivo("saida.TXT"));
        EXPECT_EQ(temporarios.Restantes(), 0u);
    }
    FalhaDespejoFD(0);
    DefineVariavel(kVariavelTemp, (dir_ + "/nao-existe").c_str());
    EXPECT_EQ(GeraRegistrosFD("fita.MFD", "saida.TXT", nullptr, MODO_FD_SOZINHO), 1);
    EXPECT_FALSE(ExisteArquivo("saida.TXT"));
    // The default budget needs no temporary file: the signed file as ever.
    DefineOrcamentoFD(ORCAMENTO_PADRAO_FD);
    ASSERT_EQ(GeraRegistrosFD("fita.MFD", "saida.TXT", nullptr, MODO_FD_SOZINHO), 0);
    std::string assinado = LeArquivo("saida.TXT");
    ASSERT_EQ(assinado.size(), inteiro.size() + 259);
    EXPECT_EQ(assinado.substr(0, inteiro.size()), inteiro);
}

// The combined file ("2") from a stream past the budget: the detail tape's
// records kept on disk are written by the fiscal-memory side in their
// order, the file is the one a roomy budget gives, and a temporary file
// that fails makes the conversion fail with nothing kept behind.
TEST_F(TipoEFD, CombinedFileWithinTheBudget)
{
    ASSERT_TRUE(AssinaturaDisponivel());
    CriaDiretoriosSaida();
    MemoriaSimples(1, 200, 16).Grava("memoria.MF");

    ConstrutorFD c;
    Identificacao(c);
    DiasDeMovimento(&c, 2);
    ASSERT_TRUE(GravaComAssinatura("fita.MFD", ParametrosFD(kSerie, 3) + c.Fluxo()));

    const std::string pasta = "Arquivos TXT Formatados";
    auto Combinado = [&](int esperado) {
        for (const std::string &n : ListaDiretorio(pasta))
            std::remove((pasta + "/" + n).c_str());
        EXPECT_EQ(GeraRegistrosTipoE("memoria.MF", "fita.MFD", "2"), esperado);
        std::vector<std::string> nomes = ListaDiretorio(pasta);
        if (nomes.size() != 1)
            return std::string("<none>");
        // Compared without the signature line and the E11's date and time
        // of generation, which follow the clock.
        std::string texto = LeArquivo(pasta + "/" + nomes[0]);
        if (texto.size() < 259)
            return texto;
        texto.resize(texto.size() - 259);
        size_t e11 = texto.find("\r\nE11");
        size_t fim = e11 == std::string::npos ? e11 : texto.find("\r\n", e11 + 2);
        if (fim != std::string::npos && fim >= 14)
            texto.replace(fim - 14, 14, 14, '#');
        return texto;
    };
    const std::string inteiro = Combinado(0);
    ASSERT_GT(inteiro.size(), 20000u);
    EXPECT_NE(inteiro.find("\r\nE15"), std::string::npos);

    TemporariosDoTeste temporarios(dir_ + "/temporarios");
    for (size_t orcamento : {size_t{1}, size_t{700}, size_t{20000}}) {
        DefineOrcamentoFD(orcamento);
        EXPECT_EQ(Combinado(0), inteiro) << "budget " << orcamento;
        EXPECT_EQ(temporarios.Restantes(), 0u);
    }
    DefineOrcamentoFD(1);
    for (unsigned falha : {1u, 300u}) {
        FalhaDespejoFD(falha);
        Combinado(3);
        EXPECT_EQ(temporarios.Restantes(), 0u);
    }
}

// Only the documents in range give records; the payments are those of the
// document that made them.
TEST_F(TipoEFD, RangeByCOOAndPaymentsOfTheirOwnDocument)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 99, 1).Pagamento(0, 0, 111).FimDocumento(0xA1, kDia1)
        .InicioCupom(kDia1, 100, 2).Pagamento(0, 0, 222).FimDocumento(0xA1, kDia1)
        .InicioCupom(kDia2, 101, 3).Pagamento(0, 1, 333).FimDocumento(0xA1, kDia2)
        .InicioLeituraX(kDia2, 102).FimDocumento(0xA4, kDia2);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 2, 100, 100) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);
    std::vector<std::string> esperado = {
        E01("      ", "      ", "20070315", "20070316"),
        E02(),
        E14Base(2, 100, "20070315").t,
        E21(100, 2, 0, "DINHEIRO", 222, false, 0),
    };
    EXPECT_EQ(texto, Juntas(esperado));

    // A stream's only document keeps its payments.
    ConstrutorFD u;
    Identificacao(u);
    u.InicioComprovante(kDia1, 5, 9).Pagamento(0, 1, 444).FimDocumento(0xA5, kDia1);
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 0, EmpacotaDataTeste(1, 3, 2007), EmpacotaDataTeste(31, 3, 2007)) + u.Fluxo(),
                   MODO_FD_SOZINHO, &texto), 0);
    EXPECT_NE(texto.find(E21(5, 0, 9, "CARTAO", 444, false, 0) + "\r\n"), std::string::npos);

    // Dates outside the range: no document records, identification kept.
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 0, EmpacotaDataTeste(1, 4, 2007), EmpacotaDataTeste(30, 4, 2007)) + u.Fluxo(),
                   MODO_FD_SOZINHO, &texto), 0);
    EXPECT_EQ(texto, Juntas({E01("      ", "      ", "20070315", "20070315"), E02()}));
}

TEST_F(TipoEFD, CapturedReductionKeepsE01E02E14E15E16Only)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 10, 4).Item(1, "9", 1000, "UN", 100, 0x00, 1, "X")
        .TotalizadorParcial(0, 100).Pagamento(0, 0, 100).FimDocumento(0xA1, kDia1)
        .InicioReducaoZ(kDia1b, 11, 3).TotalPagamento(0, 100).FimDocumento(0xA3, kDia1b);
    std::string texto;
    ASSERT_EQ(Gera(c.Fluxo(), MODO_FD_REDUCAO, &texto), 0);
    RegE e14 = E14Base(4, 10, "20070315");
    e14.em(66, Zeros(100, 14)).em(108, Zeros(100, 14));
    std::vector<std::string> esperado = {
        E01("000003", "000003", "20070315", "20070315"),
        E02(),
        e14.t,
        E15(10, 4, {1, "9", "X", "UN", 1000, 100, 0, 0, 100, "01T1800", "N", 0, "T"}),
        E16(11, 0, 0, 0, 3, "RZ", "20070315", "142600"),
    };
    EXPECT_EQ(texto, Juntas(esperado));
}

TEST_F(TipoEFD, CombinedModeLeavesTheRecordsInTheList)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioLeituraX(kDia1, 7).FimDocumento(0xA4, kDia1b)
        .InicioGerencial(kDia1b, 8, 3, 2).FimDocumento(0xA6, kDia1b)
        .InicioCreditoDebito(kDia1b, 9, 4, 12345).FimDocumento(0xA7, kDia1b);
    ItemList lista;
    lista.Init();
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_COMBINADO, &texto, &lista), 0);
    // Left open (under its temporary name) for the fiscal-memory side.
    EXPECT_EQ(texto, "<none>");
    ASSERT_NE(SaidaCombinadaFD(), nullptr);
    DescartaSaida(SaidaCombinadaFD());
    std::vector<std::string> itens;
    for (ItemListNode *n = lista.head; n != nullptr; n = n->next)
        itens.push_back(static_cast<const char *>(n->item));
    lista.Release();
    std::vector<std::string> esperado = {
        E01("      ", "      ", "20070315", "20070315"),
        E02(),
        E16(7, 0, 0, 0, 0, "LX", "20070315", "142600"),
        E16(8, 3, 2, 0, 0, "RG", "20070315", "142600"),
        E16(9, 4, 0, 2345, 0, "CC", "20070315", "142600"),
    };
    EXPECT_EQ(itens, esperado);
}

TEST_F(TipoEFD, EmptyStreamGivesNoFileAndBadTagIsReportedFirst)
{
    std::string texto;
    EXPECT_EQ(Gera(ParametrosFD(kSerie, 3), MODO_FD_SOZINHO, &texto), 0);
    EXPECT_EQ(texto, "<none>");
    EXPECT_EQ(Gera("", MODO_FD_SOZINHO, &texto), 0);
    EXPECT_EQ(texto, "<none>");
    EXPECT_EQ(Gera("", MODO_FD_REDUCAO, &texto), 0);
    EXPECT_EQ(texto, "<none>");
    EXPECT_EQ(Gera(std::string(10, 'x'), MODO_FD_SOZINHO, &texto), 1);   // no parameter record

    ConstrutorFD c;
    Identificacao(c);
    c.InicioLeituraX(kDia1, 7).FimDocumento(0xA4, kDia1).Byte(0xD4).InicioLeituraX(kDia1, 8);
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);
    EXPECT_EQ(texto, "BAD TAG FOUND READ \r\n" +
                         Juntas({E01("      ", "      ", "20070315", "20070315"), E02(),
                                 E16(7, 0, 0, 0, 0, "LX", "20070315", "142501")}));
}

TEST_F(TipoEFD, ItemThousandAndMoreThanThirtyRefunds)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 1, 1);
    for (unsigned n = 1; n <= 1000; ++n)
        c.Item(static_cast<uint16_t>(n), "C", 1000, "UN", 1, 0, 1, "I");
    c.Item(1001, "C", 1000, "UN", 1, 0, 1, "IGNORADO").DescontoItem(5000, 1).CancelaItem(999);
    // 40 changes of method on one payment line: 40 refunds.
    for (unsigned k = 0; k <= 40; ++k)
        c.Pagamento(0, static_cast<uint8_t>(k % 2), 10 + k);
    c.FimDocumento(0xA1, kDia1);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);
    size_t e15 = 0, e21 = 0;
    for (size_t p = 0; (p = texto.find("\r\nE15", p)) != std::string::npos; ++p)
        ++e15;
    for (size_t p = 0; (p = texto.find("\r\nE21", p)) != std::string::npos; ++p)
        ++e21;
    EXPECT_EQ(e15, 1000u);
    EXPECT_EQ(e21, 31u);   // the line itself and the 30 refunds the table holds
    EXPECT_EQ(EstornosDescartadosFD(), 10u);
    std::string ultimo = E15(1, 1, {1000, "C", "I", "UN", 1000, 1, 0, 0, 1, "01T1800", "S", 0, "T"});
    EXPECT_NE(texto.find(ultimo + "\r\n"), std::string::npos);
}

// Indexes beyond their tables and records out of place are ignored.
TEST_F(TipoEFD, IndexesOutOfRangeAndAnyBytes)
{
    ConstrutorFD c;
    Identificacao(c);
    c.Aliquota(16, 'T', 1).Aliquota(255, 'T', 1).NomePagamento(30, "X").NomeTotalizadorNF(200, "Y")
        .TotalPagamento(30, 1).TotalNaoFiscal(255, 1).TotalizadorParcial(0xFF, 1)
        .Item(1, "C", 1, "U", 1, 0, 0, "FORA").ItemNaoFiscal(1, 0, 1).Pagamento(31, 0, 1)
        .InicioCupom(kDia1, 1, 1).Item(1, "C", 1000, "UN", 1, 0xBF, 0, "X").Pagamento(30, 0, 1)
        .DescontoItemPercentual(65535, 5000).AcrescimoItem(1000, 1).FimDocumento(0xA1, kDia1);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD(kSerie, 3) + c.Fluxo(), MODO_FD_SOZINHO, &texto), 0);
    EXPECT_NE(texto.find(E15(1, 1, {1, "C", "X", "UN", 1000, 1, 0, 0, 1, "X16", "N", 0, "A"})),
              std::string::npos);

    std::mt19937 gerador(7);
    ConstrutorFD base;
    Identificacao(base);
    const char kTags[] = "\x81\x85\x83\x84\x88\x8C\xA1\xB1\xA5\xB5\xA3\xA8\xAC\xD7\xDF\xD5\xD0\xD1"
                         "\xD3\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xC1\xC3\xC4\xC5\x96\x98\x99\x8B\xFF";
    for (int rodada = 0; rodada < 300; ++rodada) {
        std::string s = base.Fluxo();
        size_t n = gerador() % 400;
        for (size_t i = 0; i < n; ++i) {
            unsigned comprimento = 0;
            uint8_t tag = static_cast<uint8_t>(kTags[gerador() % (sizeof kTags - 1)]);
            if (rodada % 4 == 0)
                tag = static_cast<uint8_t>(gerador());
            s.push_back(static_cast<char>(tag));
            if (tag <= 0x74)
                comprimento = tag + 1;
            else if (tag == 0xD7)
                comprimento = 32;
            else
                comprimento = 10;
            for (unsigned k = 1; k < comprimento && gerador() % 50 != 0; ++k)
                s.push_back(static_cast<char>(gerador() % 3 == 0 ? gerador() : gerador() % 40));
        }
        int r = Gera(ParametrosFD(kSerie, static_cast<uint8_t>(gerador() % 4), 0, 0xFFFF) + s,
                     static_cast<int>(gerador() % 3), &texto);
        EXPECT_EQ(r, 0);
    }
}

TEST_F(TipoEFD, ExportResults)
{
    EXPECT_EQ(GeraRegistrosTipoE("", "nao-existe.MFD", "1"), 3);
    EXPECT_EQ(GeraRegistrosTipoE("", "nao-existe.RZ", "3"), 1);
    EXPECT_EQ(GeraRegistrosTipoE("", "", "9"), 0);
    ASSERT_TRUE(AssinaturaDisponivel());
    ConstrutorFD c;
    Identificacao(c);
    c.InicioLeituraX(kDia1, 7).FimDocumento(0xA4, kDia1);
    ASSERT_TRUE(GravaComAssinatura("fita.MFD", ParametrosFD("ID1234" + std::string(14, ' '), 3) + c.Fluxo()));
    // No output directory: the generator fails, the export says 3.
    EXPECT_EQ(GeraRegistrosTipoE("", "fita.MFD", "1"), 3);
    CriaDiretoriosSaida();
    EXPECT_EQ(GeraRegistrosTipoE("", "fita.MFD", "1"), 0);
    std::string saida = UnicoConteudo("Arquivos TXT Formatados/", "MFDID1234_");
    ASSERT_GT(saida.size(), 259u);
    GravaArquivo("conferir.txt", saida.substr(0, saida.size() - 259));
    ASSERT_TRUE(GravaComAssinatura("conferir.txt", saida.substr(0, saida.size() - 259)));
    EXPECT_EQ(LeArquivo("conferir.txt"), saida);
    EXPECT_EQ(saida.substr(0, 3), "E01");

    // One byte changed: the signature no longer matches.
    std::string f = LeArquivo("fita.MFD");
    f[40] ^= 1;
    GravaArquivo("fita2.MFD", f);
    EXPECT_EQ(GeraRegistrosTipoE("", "fita2.MFD", "1"), 3);

    // A captured reduction: named from its 0x90 record, prefix "RZ".
    for (const std::string &n : ListaDiretorio("Arquivos TXT Formatados"))
        std::remove(("Arquivos TXT Formatados/" + n).c_str());
    ASSERT_TRUE(GravaComAssinatura("captura.RZ", c.Fluxo()));
    EXPECT_EQ(GeraRegistrosTipoE("", "captura.RZ", "3"), 0);
    saida = UnicoConteudo("Arquivos TXT Formatados/", "RZTV0123_");
    ASSERT_GT(saida.size(), 259u);
    EXPECT_EQ(saida.substr(0, saida.size() - 259),
              Juntas({E01("      ", "      ", "20070315", "20070315"), E02(),
                      E16(7, 0, 0, 0, 0, "LX", "20070315", "142501")}));
}

}  // namespace
