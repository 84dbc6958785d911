// Writes the seed corpus of the detail-tape fuzz target: streams composed
// by the test builder (identification, cupons with items and their changes,
// non-fiscal documents, reductions, special lines), with and without their
// download record, each behind an options byte and a selecting record.
#include <cstdio>
#include <string>

#include "common/construtor_fd.h"
#include "semente.h"

namespace {

const DataFD kDia1 = {15, 3, 2007, 14, 25, 1};
const DataFD kDia2 = {16, 3, 2007, 9, 5, 30};

void Identificacao(ConstrutorFD &c)
{
    c.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF")
        .VersaoSB(kDia1, 1, 0, 2)
        .Contribuinte(kDia1, "12.345.678/0001-90", "123.456.789.110", "", 2, 123456789, 1)
        .Decimais(3, 2)
        .NumerosECF("001", "0002")
        .LinhaCabecalho(0, "MERCADO BOM PRECO LTDA")
        .LinhaCabecalho(1, "RUA DAS FLORES, 123")
        .Aliquota(0, 'T', 1800)
        .Aliquota(1, 'S', 500)
        .NomeTotalizadorNF(0, "SANGRIA")
        .NomePagamento(0, "DINHEIRO")
        .NomePagamento(1, "CARTAO")
        .CodificacaoGT(kDia1, "ABCDEFGHIJ");
}

void Cupom(ConstrutorFD &c, uint32_t coo)
{
    c.InicioCupom(kDia1, coo, coo / 2)
        .Cabecalho()
        .Estilo(2)
        .LinhaImpressa(std::string("ITEM\x01\x03" "A\x87\xC6O\x02\x14" "X"))
        .TresItens()
        .AcrescimoItem(0, 50)
        .DescontoItem(1, 100)
        .CancelaItem(2)
        .CancelaAcrescimoItem(0)
        .AcrescimoItemPercentual(1, 500)
        .DescontoItemPercentual(0, 250)
        .CancelaDescontoItem(1)
        .Subtotal(3500)
        .SubtotalValor(true, 100)
        .SubtotalPercentual(false, 300)
        .CancelaSubtotal(true)
        .Comprador("COMPRADOR DE TESTE")
        .Pagamento(0, 0, 2000)
        .Pagamento(1, 1, 1500)
        .Pagamento(0, 0, 100, 0xD6)
        .Troco(100)
        .IncrementoGT(3500)
        .LinhaBR(4, "LINHA BR")
        .LinhaAtributos("NEGRITO", std::string(7, '\x01'))
        .TextoGuardado("TEXTO GUARDADO")
        .ImprimeTextoGuardado()
        .Separador()
        .FimDocumento(0xA1, kDia1);
}

void Outros(ConstrutorFD &c)
{
    c.InicioComprovante(kDia1, 200, 7)
        .ItemNaoFiscal(1, 0, 5000)
        .TotalNaoFiscal(0, 5000)
        .FimDocumento(0xA5, kDia1)
        .InicioGerencial(kDia1, 201, 8, 1)
        .LinhaImpressa("RELATORIO GERENCIAL")
        .FimDocumento(0xA6, kDia1)
        .InicioCreditoDebito(kDia1, 202, 9, 1)
        .FimDocumento(0xA7, kDia1)
        .InicioCancelamentoCupom(kDia1, 203)
        .FimDocumento(0xA8, kDia1)
        .InicioCancelamentoNaoFiscal(kDia1, 204, 10)
        .FimDocumento(0xAA, kDia1)
        .InicioCancelamentoComprovante(kDia1, 205)
        .FimDocumento(0xAC, kDia1)
        .InicioDocumento89(kDia1, 206)
        .FimDocumento(0xA9, kDia1)
        .InicioLeituraX(kDia2, 207)
        .LinhaImpressa("LEITURA X")
        .FimDocumento(0xA4, kDia2)
        .InicioLMF(kDia2, 208, 1, 2)
        .FimDocumento(0xA2, kDia2)
        .InicioReducaoZ(kDia2, 209, 12)
        .TotalizadorParcial(0, 3500)
        .TotalizadorParcial(1, 500)
        .TotalPagamento(0, 2000)
        .TotalPagamento(1, 1500)
        .FimDocumento(0xA3, kDia2);
}

// Options byte, selecting record, stream.
std::string Entrada(uint8_t opcoes, const std::string &faixa, const std::string &fluxo)
{
    return std::string(1, static_cast<char>(opcoes)) + faixa + fluxo;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    std::string tudo = ParametrosFD("TV0123456789", 3);
    std::string datas = ParametrosFD("TV0123456789", 0, EmpacotaDataTeste(15, 3, 2007),
                                     EmpacotaDataTeste(16, 3, 2007));
    std::string coos = ParametrosFD("TV0123456789", 2, 100, 205);
    std::string crz = ParametrosFD("TV0123456789", 1, 12, 12);

    ConstrutorFD completo;
    Identificacao(completo);
    completo.LinhaImpressa("ANTES DE TODO DOCUMENTO").Preenchimento(3);
    Cupom(completo, 100);
    Outros(completo);
    ConstrutorFD curto;
    Identificacao(curto);
    Cupom(curto, 150);
    ConstrutorFD longo;
    longo.ItemComprimento(1, 400, std::string(40, 'D'));
    ConstrutorFD reducao;
    Identificacao(reducao);
    Outros(reducao);

    int n = 0;
    const std::string faixas[4] = {tudo, datas, coos, crz};
    for (int m = 0; m < 3; ++m) {
        for (const std::string &f : faixas) {
            GravaSemente(dir, n++, Entrada(static_cast<uint8_t>(m << 1), f, completo.Fluxo()));
            GravaSemente(dir, n++, Entrada(static_cast<uint8_t>(1 | m << 1), f, f + curto.Fluxo()));
        }
        GravaSemente(dir, n++, Entrada(static_cast<uint8_t>(m << 1), crz, reducao.Fluxo()));
        GravaSemente(dir, n++, Entrada(static_cast<uint8_t>(m << 1), tudo, longo.Fluxo()));
    }
    return 0;
}
