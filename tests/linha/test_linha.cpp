// The mirror line writer and the shared blocks, checked against whole
// files composed here column by column.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/util.h"
#include "text/linha.h"

namespace {

using Linha = Colunas;

// "dd/mm/yyyy hh:ii:ss" and a space or "V", digits in their ranges.
bool DataHoraValida(const std::string &t)
{
    static const char kMolde[] = "39/19/2999 29:59:59?";
    if (t.size() != 20)
        return false;
    for (size_t i = 0; i < 20; ++i) {
        const char m = kMolde[i], c = t[i];
        if (m == '?') {
            if (c != ' ' && c != 'V')
                return false;
        } else if (m >= '1' && m <= '9') {
            if (c < '0' || c > m)
                return false;
        } else if (c != m) {
            return false;
        }
    }
    return t[6] == '2' && t[7] == '0';
}

std::string Tracos(size_t n)
{
    return std::string(n, '-') + "\r\n";
}

class Escritor : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        std::memset(&Identificacao, 0, sizeof Identificacao);
        ASSERT_EQ(AbreSaida(&saida_, "espelho.txt", true), 0);
        SaidaEspelho = &saida_;
        AjustaEstilo(0);
    }
    std::string Texto()
    {
        EXPECT_EQ(FechaSaida(&saida_), 0);
        SaidaEspelho = nullptr;
        return LeArquivo("espelho.txt");
    }
    static void Campo(char *destino, size_t largura, const char *texto)
    {
        std::memset(destino, ' ', largura);
        std::memcpy(destino, texto, std::strlen(texto));
    }
    ArquivoSaida saida_{};
};

}  // namespace

TEST_F(Escritor, WidthsStylesAndSeparators)
{
    const struct {
        uint8_t estilo;
        size_t largura;
    } casos[] = {{0, 33}, {1, 44}, {2, 48}, {3, 57}, {6, 48}, {0x1C, 33}, {0x1D, 44}, {9, 44}, {0x0A, 48}, {0x1F, 57}};
    std::string esperado;
    for (auto c : casos) {
        AjustaEstilo(c.estilo);
        EXPECT_EQ(LarguraLinha(), c.largura);
        LimpaLinha();
        std::memset(LinhaTexto, 'x', TAMANHO_LINHA);  // beyond the width nothing is written
        EscreveLinha();
        esperado += std::string(c.largura, 'x') + "\r\n";
    }
    // Separator before (0x40) and after (0x20) the line, at the width of the
    // remaining style value.
    AjustaEstilo(0x40 | 0x03);
    EXPECT_EQ(LarguraLinha(), 48u);  // 0x43 is not one of the values 0, 1, 3
    AjustaEstilo(0x60 | 0x02);
    EscreveTexto("meio", 4);
    esperado += Tracos(48) + Linha(48).em(0, "meio").fim() + Tracos(48);
    AjustaEstilo(3);
    EscreveTexto("x", 1);
    LinhaSeparadora();  // style 2
    esperado += Linha(57).em(0, "x").fim() + Tracos(48);
    AjustaEstilo(0x1B);  // 0x1B less the attribute bits is 3
    LimpaLinha();
    std::memset(LinhaTexto, '-', LarguraLinha());
    EscreveLinha();
    esperado += Tracos(57);
    EXPECT_EQ(Texto(), esperado);
}

TEST_F(Escritor, TextsAreCutAtTheLineAndNulBytesWrittenAsSpaces)
{
    AjustaEstilo(2);
    LimpaLinha();
    ColocaTexto(40, "0123456789ABCDEF", 16);
    ColocaTexto(140, "longe demais", 12);  // cut at the buffer's end
    ColocaTexto(200, "fora", 4);           // nothing at all
    EscreveLinha();
    char comNulos[6] = {'A', '\0', 'B', '\0', '\0', 'C'};
    EscreveTexto(comNulos, 6);
    LimpaLinha();
    AcrescentaBR(10);
    EXPECT_EQ(Texto(), Linha(48).em(40, "01234567").fim() + Linha(48).em(0, "A B  C").fim() +
                           Linha(48).em(10, "(BR)").fim());
}

TEST_F(Escritor, VersionAndCodedGrandTotal)
{
    Identificacao.versao[0] = 1;
    Identificacao.versao[1] = 0;
    Identificacao.versao[2] = 42;
    char v[8];
    VersaoParaTexto(v);
    EXPECT_EQ(std::string(v, 8), "01.00.42");
    std::memcpy(Identificacao.codificacaoGT, "ABCDEFGHIJ", 10);
    char gt[18];
    GTCodificado(gt);
    EXPECT_EQ(std::string(gt, 18), std::string(18, 'A'));
    const uint64_t valor = 1234567890123ULL;
    for (int i = 0; i < 8; ++i)
        Identificacao.gt[i] = static_cast<uint8_t>(valor >> (8 * i));
    GTCodificado(gt);
    EXPECT_EQ(std::string(gt, 18), "AAAAABCDEFGHIJABCD");
    Texto();
}

TEST_F(Escritor, TaxpayerBlock)
{
    LinhaPreformatada linhas[6];
    std::memset(linhas, 0, sizeof linhas);
    linhas[0].presente = 1;
    linhas[0].estilo = 0;
    Campo(linhas[0].texto, 48, "LOJA EXEMPLO LTDA");
    linhas[2].presente = 1;
    linhas[2].estilo = 2;
    Campo(linhas[2].texto, 48, "RUA DAS FLORES, 10");
    linhas[3].presente = 0;
    Campo(linhas[3].texto, 48, "ausente");
    char cnpj[20], ie[20], im[20];
    Campo(cnpj, 20, "12.345.678/0001-90");
    Campo(ie, 20, "123.456.789.012");
    Campo(im, 20, "98765");
    CabecalhoUsuario(linhas, true, cnpj, ie, im);
    std::string esperado = Linha(33).em(0, "LOJA EXEMPLO LTDA").fim() +
                           Linha(48).em(0, "RUA DAS FLORES, 10").fim() +
                           Linha(48).em(0, "CNPJ:12.345.678/0001-90").em(25, "IE:123.456.789.012").fim() +
                           Linha(48).em(0, "IM:").em(5, "98765").fim() + Tracos(48);
    // Without the header lines; CNPJ and IE blank (NUL bytes count as blank), IM filled.
    std::memset(cnpj, 0, 20);
    std::memset(ie, ' ', 20);
    ie[3] = '\0';
    CabecalhoUsuario(linhas, false, cnpj, ie, im);
    esperado += Linha(48).em(0, "IM:").em(5, "98765").fim() + Tracos(48);
    // Only the IE.
    Campo(ie, 20, "ISENTO");
    std::memset(im, 0, 20);
    CabecalhoUsuario(linhas, false, cnpj, ie, im);
    esperado += Linha(48).em(25, "IE:ISENTO").fim() + Tracos(48);
    EXPECT_EQ(Texto(), esperado);
}

TEST_F(Escritor, FooterAndDocumentHeader)
{
    Campo(Identificacao.serie, 20, "TV0123456789");
    Campo(Identificacao.marca, 20, "TALVOR");
    Campo(Identificacao.modelo, 20, "7720-QX3");
    Campo(Identificacao.tipo, 7, "ECF-IF");
    Identificacao.versao[0] = 1;
    Identificacao.versao[2] = 2;
    std::memcpy(Identificacao.codificacaoGT, "QWERTYUIOP", 10);
    Identificacao.gt[0] = 5;  // GT 5: the last letter is that of digit 5
    Campo(Identificacao.cnpj, 20, "11.222.333/0001-44");
    Identificacao.coo[0] = 0x39;
    Identificacao.coo[1] = 0x30;  // COO 12345
    RodapeECF();
    CabecalhoDocumento();
    std::string texto = Texto();
    const std::vector<std::string> linhas = Linhas(texto);
    ASSERT_EQ(linhas.size(), 9u) << texto;
    EXPECT_EQ(linhas[0], std::string(48, '-'));
    EXPECT_EQ(linhas[1], Linha(48).em(0, "TALVOR").em(27, "7720-QX3").t);
    EXPECT_EQ(linhas[2], Linha(48)
                             .em(0, "ECF-IF")
                             .em(10, "VERS\xC3" "O:")
                             .em(18, "01.00.02")
                             .em(29, "ECF:")
                             .em(39, "LJ:")
                             .t);
    // The date and time of both blocks are the current ones: checked for form.
    EXPECT_EQ(linhas[3].substr(0, 28), "QQQQQQQQQQQQQQQQQY          ");
    EXPECT_TRUE(DataHoraValida(linhas[3].substr(28))) << linhas[3];
    EXPECT_EQ(linhas[4], Linha(48).em(0, "FAB:").em(5, "TV0123456789").t);
    EXPECT_EQ(linhas[5], Linha(48).em(0, "CNPJ:").em(5, "11.222.333/0001-44").t);
    EXPECT_EQ(linhas[6], std::string(48, '-'));
    EXPECT_TRUE(DataHoraValida(linhas[7].substr(0, 20))) << linhas[7];
    EXPECT_EQ(linhas[7].substr(20), Linha(28).em(18, "COO:012345").t);
    EXPECT_EQ(linhas[8], std::string(48, '-'));
}
