// The detail-tape mirror: whole mirror files against lines built column by
// column here, selection by date, by COO and all, the closing block, the
// stream-error message and the results of GeraEspelhos.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/construtor_fd.h"
#include "common/util.h"
#include "files/parametros.h"
#include "mfd/espelho_fd.h"
#include "talvor/ecf.h"

namespace {

const std::string kTrailer = "EAD" + std::string(256, '0');
const DataFD kDia1 = {15, 3, 2007, 14, 25, 1};
const DataFD kDia2 = {16, 3, 2007, 9, 5, 30};

// One line of the given width: the values at their columns, then the line end.
std::string L(std::vector<std::pair<size_t, std::string>> campos, size_t largura)
{
    std::string s(largura, ' ');
    for (auto &c : campos) {
        std::string v = c.second.substr(0, c.first < largura ? largura - c.first : 0);
        s.replace(c.first, v.size(), v);
    }
    return s + "\r\n";
}
std::string L(const std::string &texto, size_t largura) { return L({{0, texto}}, largura); }
std::string Tracos(size_t n) { return std::string(n, '-') + "\r\n"; }

void Identificacao(ConstrutorFD &c)
{
    c.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF")
        .VersaoSB(kDia1, 1, 0, 2)
        .Contribuinte(kDia1, "12.345.678/0001-90", "123.456.789.110", "", 2, 123456789, 1)
        .NumerosECF("001", "0002")
        .LinhaCabecalho(0, "MERCADO BOM PRECO LTDA E MAIS UM NOME COMPRIDO")
        .LinhaCabecalho(1, "RUA DAS FLORES, 123")
        .LinhaCabecalho(2, "NAO IMPRESSA", 0)
        .LinhaCabecalho(9, "INDICE FORA DA TABELA")
        .CodificacaoGT(kDia1, "ABCDEFGHIJ");
}

// The taxpayer block of CabecalhoFD for the identification above.
std::string BlocoUsuario(bool comLinhas)
{
    std::string s;
    if (comLinhas)
        s += L("MERCADO BOM PRECO LTDA E MAIS UM NOME COMPRIDO", 33) + L("RUA DAS FLORES, 123", 33);
    return s + L({{0, "CNPJ:"}, {5, "12.345.678/0001-90"}, {25, "IE:"}, {28, "123.456.789.110"}}, 48) +
           Tracos(48);
}

class EspelhoFD : public DiretorioTemporario {
protected:
    // Runs the mirror (after the signature check) over the content and a
    // trailer; the output text.
    int Gera(const std::string &conteudo, bool mfd, uint8_t tipo, uint32_t a, uint32_t b,
             std::string *texto)
    {
        std::string faixa = ParametrosFD("", tipo, a, b);
        GravaArquivo("entrada.MFD", conteudo + kTrailer);
        FILE *f = std::fopen("entrada.MFD", "rb");
        EXPECT_NE(f, nullptr);
        int r = EscreveEspelhoFD(f, conteudo.size() + kTrailer.size(), "espelho.TXT",
                                 reinterpret_cast<const uint8_t *>(faixa.data()), mfd);
        std::fclose(f);
        *texto = ExisteArquivo("espelho.TXT") ? LeArquivo("espelho.TXT") : "<none>";
        return r;
    }
};

// A cupom with compressed and accented print lines, the special lines, a
// Leitura X and an unfinished Redução Z, which brings the closing block.
TEST_F(EspelhoFD, CupomLeituraXAndUnfinishedReducaoZ)
{
    ConstrutorFD c;
    Identificacao(c);
    c.LinhaImpressa("ANTES DE TODO DOCUMENTO")
        .InicioCupom(kDia1, 10, 5)
        .Cabecalho()
        .Estilo(2)
        .LinhaImpressa(std::string("ITEM\x01\x03" "A\x87\xC6O\x02\x14" "X"))
        .Separador()
        .TextoGuardado("OBRIGADO PELA PREFERENCIA")
        .ImprimeTextoGuardado()
        .LinhaAtributos("TOTAL", std::string("\x04\x00\x00\x00\x80", 5))
        .LinhaAtributos("SEM", std::string(3, '\0'))
        .LinhaBR(10, "ECF-IF")
        .LinhaBR(0, "SEM LOGO")
        .LinhaBR(146, "LOGO QUE NAO CABE")
        .FimDocumento(0xA1, kDia1)
        .Estilo(0)
        .InicioLeituraX(kDia1, 11)
        .LinhaImpressa("LEITURA X \x90\xA5")
        .FimDocumento(0xA4, kDia1)
        .IncrementoGT(100)
        .InicioReducaoZ(kDia2, 12, 3)
        .LinhaImpressa("REDUCAO Z");
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD("TV0123", 3) + c.Fluxo(), true, FAIXA_TUDO, 0, 0, &texto), 0);

    std::string esperado = BlocoUsuario(true) +
                           L("ITEM   A\xE7\xE3O---------X", 48) +
                           Tracos(48) +
                           L("OBRIGADO PELA PREFERENCIA", 48) +
                           L("-", 48) + L("TOTAL", 48) + L("    -", 48) +
                           L("SEM", 48) +
                           L("ECF-IF   (BR)", 48) +
                           L("SEM LOGO", 48) +
                           L("LOGO QUE NAO CABE", 48) +
                           L("LEITURA X \xC9\xD1", 33) +
                           L("REDUCAO Z", 33) +
                           // The closing block: the dashes in the style in force.
                           Tracos(33) +
                           L({{0, "TALVOR"}, {27, "7720-QX3"}}, 33) +
                           L({{0, "ECF-IF"}, {10, "VERS\xC3O:"}, {18, "01.00.02"}, {29, "ECF:"},
                              {34, "001"}, {39, "LJ:"}, {43, "0002"}}, 48) +
                           // 123456789 + 1,00 = 123456889 coded with A..J.
                           L("AAAAAAAAABCDEFGIIJ", 48) +
                           L({{0, "FAB:"}, {5, "TV0123456789"}, {43, "(BR)"}}, 48);
    EXPECT_EQ(texto, esperado);
}

// An LMF with its header, a document of kind 0x89 with the shorter header,
// and selection by date; a finished Redução Z brings no closing block.
TEST_F(EspelhoFD, LMFHeaderAndSelectionByDate)
{
    ConstrutorFD c;
    Identificacao(c);
    c.InicioCupom(kDia1, 20, 1).Cabecalho().LinhaImpressa("CUPOM DO DIA 15").FimDocumento(0xA1, kDia1)
        .InicioLMF(kDia2, 21).Cabecalho().Estilo(2).LinhaImpressa("LMF").FimDocumento(0xA2, kDia2)
        .InicioDocumento89(kDia2, 22).Cabecalho().FimDocumento(0xA9, kDia2)
        .InicioReducaoZ(kDia2, 23, 4).LinhaImpressa("Z").FimDocumento(0xA3, kDia2);
    std::string texto;
    uint16_t d = EmpacotaDataTeste(16, 3, 2007);
    ASSERT_EQ(Gera(c.Fluxo(), false, FAIXA_DATAS, d, d, &texto), 0);
    std::string esperado = BlocoUsuario(true) +
                           L({{0, "16/03/2007 09:05:30 "}, {38, "COO:"}, {42, "000021"}}, 48) +
                           L("LEITURA MEM\xD3RIA FISCAL", 48) +
                           L("LMF", 48) +
                           BlocoUsuario(false) +
                           L("Z", 48);
    EXPECT_EQ(texto, esperado);

    // No document in range: an empty mirror.
    uint16_t abril = EmpacotaDataTeste(1, 4, 2007);
    ASSERT_EQ(Gera(c.Fluxo(), false, FAIXA_DATAS, abril, abril, &texto), 0);
    EXPECT_EQ(texto, "");
}

TEST_F(EspelhoFD, SelectionByCOOPrintsExactlyThatDocument)
{
    ConstrutorFD c;
    c.InicioLeituraX(kDia1, 9).LinhaImpressa("NOVE").Separador().FimDocumento(0xA4, kDia1)
        .InicioLeituraX(kDia1, 10).LinhaImpressa("DEZ").FimDocumento(0xA4, kDia1)
        .LinhaImpressa("DEPOIS DO FIM")
        .InicioLeituraX(kDia1, 11).LinhaImpressa("ONZE").Separador().FimDocumento(0xA4, kDia1);
    std::string texto;
    ASSERT_EQ(Gera(ParametrosFD("", 3) + c.Fluxo(), true, FAIXA_CONTADOR32, 10, 10, &texto), 0);
    EXPECT_EQ(texto, L("DEZ", 33) + L("DEPOIS DO FIM", 33));
    // An unknown range kind selects nothing.
    ASSERT_EQ(Gera(ParametrosFD("", 3) + c.Fluxo(), true, 1, 0, 0xFFFF, &texto), 0);
    EXPECT_EQ(texto, "");
}

TEST_F(EspelhoFD, BadTagLeavesTheLinesSoFarAndTheMessage)
{
    ConstrutorFD c;
    c.InicioLeituraX(kDia1, 1).LinhaImpressa("UM").LinhaImpressa("DOIS").LinhaImpressa("TRES")
        .Byte(0xD4).LinhaImpressa("QUATRO");
    std::string texto;
    EXPECT_EQ(Gera(c.Fluxo(), false, FAIXA_TUDO, 0, 0, &texto), 6);
    EXPECT_EQ(texto, L("UM", 33) + L("DOIS", 33) + L("TRES", 33) + "BAD TAG FOUND IN EJ FILE \r\n");
    // A record cut by the stream end is damaged as well.
    std::string cortado = ConstrutorFD().InicioLeituraX(kDia1, 1).LinhaImpressa("UM").Fluxo();
    EXPECT_EQ(Gera(cortado + ConstrutorFD().LinhaImpressa("DOIS").Fluxo().substr(0, 3), false, FAIXA_TUDO, 0, 0, &texto), 6);
    EXPECT_EQ(texto, L("UM", 33) + "BAD TAG FOUND IN EJ FILE \r\n");
}

TEST_F(EspelhoFD, AnyBytesEndInAResult)
{
    std::mt19937 gerador(11);
    for (int rodada = 0; rodada < 400; ++rodada) {
        ConstrutorFD c;
        Identificacao(c);
        std::string s = c.Fluxo();
        size_t n = gerador() % 1500;
        for (size_t i = 0; i < n; ++i) {
            uint8_t b = static_cast<uint8_t>(gerador());
            if (rodada % 2 == 0 && gerador() % 3 == 0)
                b = static_cast<uint8_t>("\x80\x81\x82\x83\x7D\x7F\x9E\x76\x75\x7E\x95\xA3"[gerador() % 12]);
            s.push_back(static_cast<char>(b));
        }
        std::string texto;
        int r = Gera(s, false, FAIXA_TUDO, 0, 0, &texto);
        EXPECT_TRUE(r == 0 || r == 6);
    }
}

TEST_F(EspelhoFD, ExportResults)
{
    EXPECT_EQ(GeraEspelhos("x.MFD", "9", "", ""), 7);
    EXPECT_EQ(GeraEspelhos("x.MFD", "0", "01012007", "3101200"), 96);
    EXPECT_EQ(GeraEspelhos("x.MFD", "0", "29022001", "01012007"), 103);
    EXPECT_EQ(GeraEspelhos("x.MFD", "0", "02012007", "01012007"), 5);
    EXPECT_EQ(GeraEspelhos("x.MFD", "1", "11", "10"), 5);
    EXPECT_EQ(GeraEspelhos("semextensao", "2", "", ""), 3);
    EXPECT_EQ(GeraEspelhos("nao-existe.MFD", "2", "", ""), 1);
    ASSERT_TRUE(AssinaturaDisponivel());
    ConstrutorFD c;
    c.IdentificacaoECF("AB1234XYZ", "TALVOR", "7720-RP5", "ECF").InicioLeituraX(kDia1, 1)
        .LinhaImpressa("LINHA").FimDocumento(0xA4, kDia1);
    ASSERT_TRUE(GravaComAssinatura("fita.MFD", ParametrosFD("ZZ9876", 3) + c.Fluxo()));
    ASSERT_TRUE(GravaComAssinatura("captura.RZ", c.Fluxo()));
    // No output directory yet.
    EXPECT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 1);
    CriaDiretoriosSaida();
    EXPECT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0);
    EXPECT_EQ(GeraEspelhos("captura.RZ", "1", "1", "1"), 0);
    std::vector<std::string> nomes = ListaDiretorio("Arquivos TXT Espelho");
    ASSERT_EQ(nomes.size(), 2u);
    for (const std::string &n : nomes) {
        EXPECT_TRUE(n.substr(0, 11) == "EMFDZZ9876_" || n.substr(0, 11) == "EMFDAB1234_") << n;
        std::string s = LeArquivo("Arquivos TXT Espelho/" + n);
        ASSERT_GT(s.size(), 259u);
        EXPECT_EQ(s.substr(0, s.size() - 259), L("LINHA", 33));
        ASSERT_TRUE(GravaComAssinatura("conferir.txt", s.substr(0, s.size() - 259)));
        EXPECT_EQ(LeArquivo("conferir.txt"), s);
    }
    // A changed byte: the signature does not match and nothing is written.
    std::string f = LeArquivo("fita.MFD");
    f[35] ^= 0x01;
    GravaArquivo("mudada.MFD", f);
    EXPECT_EQ(GeraEspelhos("mudada.MFD", "2", "", ""), 6);
    // A stream error leaves an unsigned partial file.
    for (const std::string &n : ListaDiretorio("Arquivos TXT Espelho"))
        std::remove(("Arquivos TXT Espelho/" + n).c_str());
    ASSERT_TRUE(GravaComAssinatura("ruim.RZ", c.Fluxo() + "\xD4"));
    EXPECT_EQ(GeraEspelhos("ruim.RZ", "2", "", ""), 6);
    EXPECT_EQ(UnicoConteudo("Arquivos TXT Espelho/"),
              L("LINHA", 33) + "BAD TAG FOUND IN EJ FILE \r\n");
}

#ifdef TALVOR_CLI_PATH
TEST_F(EspelhoFD, CommandLine)
{
    std::string saida;
    EXPECT_EQ(Executa(std::string("\"") + TALVOR_CLI_PATH + "\" gera-espelhos 2>&1", &saida), 2);
    EXPECT_NE(saida.find("Uso: talvor gera-espelhos"), std::string::npos);
    EXPECT_EQ(Executa(std::string("\"") + TALVOR_CLI_PATH + "\" gera-espelhos nada.MFD 0 2>&1", &saida), 2);
    EXPECT_EQ(Executa(std::string("\"") + TALVOR_CLI_PATH + "\" gera-espelhos nada.MFD 2", &saida), 1);
    EXPECT_NE(saida.find("GeraEspelhos: resultado 1"), std::string::npos);
}
#endif

}  // namespace
