// Test builder of detail-tape record streams.
#include "common/construtor_fd.h"

#include <cstdio>

#include "common/util.h"
#include "files/assinatura.h"

uint16_t EmpacotaDataTeste(unsigned dia, unsigned mes, unsigned ano)
{
    return static_cast<uint16_t>(((ano - 1990) << 9) | (mes << 5) | dia);
}

uint16_t EmpacotaHoraTeste(unsigned hora, unsigned minuto)
{
    return static_cast<uint16_t>((hora << 7) | minuto);
}

ConstrutorFD &ConstrutorFD::Byte(uint8_t b)
{
    s_.push_back(static_cast<char>(b));
    return *this;
}

ConstrutorFD &ConstrutorFD::Bytes(const std::string &b)
{
    s_ += b;
    return *this;
}

ConstrutorFD &ConstrutorFD::NumeroBE(uint64_t valor, unsigned largura)
{
    for (unsigned i = largura; i > 0; --i)
        Byte(static_cast<uint8_t>(valor >> (8 * (i - 1))));
    return *this;
}

ConstrutorFD &ConstrutorFD::Texto(const std::string &t, size_t largura, char preenche)
{
    std::string x = t.substr(0, largura);
    x.resize(largura, preenche);
    return Bytes(x);
}

ConstrutorFD &ConstrutorFD::DataHora(const DataFD &d)
{
    NumeroBE(EmpacotaDataTeste(d.dia, d.mes, d.ano), 2);
    NumeroBE(EmpacotaHoraTeste(d.hora, d.minuto), 2);
    return Byte(static_cast<uint8_t>(d.segundo));
}

ConstrutorFD &ConstrutorFD::Preenchimento(size_t n, uint8_t b)
{
    s_.append(n, static_cast<char>(b));
    return *this;
}

ConstrutorFD &ConstrutorFD::LinhaImpressa(const std::string &texto)
{
    return Byte(static_cast<uint8_t>(texto.size())).Bytes(texto);
}

ConstrutorFD &ConstrutorFD::Separador() { return Byte(0x75); }
ConstrutorFD &ConstrutorFD::ImprimeTextoGuardado() { return Byte(0x76); }
ConstrutorFD &ConstrutorFD::Cabecalho() { return Byte(0x80); }

ConstrutorFD &ConstrutorFD::LinhaBR(uint8_t coluna, const std::string &texto)
{
    return Byte(0x7D).Byte(coluna).Byte(static_cast<uint8_t>(texto.size())).Bytes(texto);
}

ConstrutorFD &ConstrutorFD::Estilo(uint8_t estilo) { return Byte(0x7E).Byte(estilo); }

ConstrutorFD &ConstrutorFD::LinhaAtributos(const std::string &caracteres,
                                           const std::string &atributos)
{
    return Byte(0x7F).Byte(static_cast<uint8_t>(caracteres.size())).Bytes(caracteres).Texto(
        atributos, caracteres.size(), '\0');
}

ConstrutorFD &ConstrutorFD::TextoGuardado(const std::string &texto)
{
    return Byte(0x9E).Byte(static_cast<uint8_t>(texto.size())).Bytes(texto);
}

ConstrutorFD &ConstrutorFD::Inicio(uint8_t tag, const DataFD &d, uint32_t coo)
{
    return Byte(tag).DataHora(d).NumeroBE(coo, 4);
}

ConstrutorFD &ConstrutorFD::InicioCupom(const DataFD &d, uint32_t coo, uint32_t ccf)
{
    return Inicio(0x81, d, coo).NumeroBE(ccf, 4);
}

ConstrutorFD &ConstrutorFD::InicioLMF(const DataFD &d, uint32_t coo, uint32_t a, uint32_t b)
{
    return Inicio(0x82, d, coo).NumeroBE(a, 4).NumeroBE(b, 4);
}

ConstrutorFD &ConstrutorFD::InicioReducaoZ(const DataFD &d, uint32_t coo, uint16_t crz)
{
    return Inicio(0x83, d, coo).NumeroBE(crz, 2);
}

ConstrutorFD &ConstrutorFD::InicioLeituraX(const DataFD &d, uint32_t coo)
{
    return Inicio(0x84, d, coo);
}

ConstrutorFD &ConstrutorFD::InicioComprovante(const DataFD &d, uint32_t coo, uint32_t gnf)
{
    return Inicio(0x85, d, coo).NumeroBE(gnf, 4);
}

ConstrutorFD &ConstrutorFD::InicioGerencial(const DataFD &d, uint32_t coo, uint32_t gnf,
                                            uint32_t grg)
{
    return Inicio(0x86, d, coo).NumeroBE(gnf, 4).NumeroBE(grg, 4);
}

ConstrutorFD &ConstrutorFD::InicioCreditoDebito(const DataFD &d, uint32_t coo, uint32_t gnf,
                                                uint16_t cdc)
{
    return Inicio(0x87, d, coo).NumeroBE(gnf, 4).NumeroBE(cdc, 2);
}

ConstrutorFD &ConstrutorFD::InicioCancelamentoCupom(const DataFD &d, uint32_t coo)
{
    return Inicio(0x88, d, coo);
}

ConstrutorFD &ConstrutorFD::InicioDocumento89(const DataFD &d, uint32_t coo)
{
    return Inicio(0x89, d, coo);
}

ConstrutorFD &ConstrutorFD::InicioCancelamentoNaoFiscal(const DataFD &d, uint32_t coo,
                                                        uint32_t gnf)
{
    return Inicio(0x8A, d, coo).NumeroBE(gnf, 4);
}

ConstrutorFD &ConstrutorFD::InicioCancelamentoComprovante(const DataFD &d, uint32_t coo)
{
    return Inicio(0x8C, d, coo);
}

ConstrutorFD &ConstrutorFD::FimDocumento(uint8_t tag, const DataFD &d)
{
    return Byte(tag).DataHora(d);
}

ConstrutorFD &ConstrutorFD::Comprador(const std::string &texto30)
{
    // 130 bytes; only bytes 21 to 50 carry the identification.
    return Byte(0x8B).Texto("", 20, '\x11').Texto(texto30, 30).Texto("", 79, '\x22');
}

ConstrutorFD &ConstrutorFD::IdentificacaoECF(const std::string &serie, const std::string &marca,
                                             const std::string &modelo, const std::string &tipo)
{
    return Byte(0x90).Texto(serie, 20).Texto(marca, 20).Texto(modelo, 20).Texto(tipo, 7);
}

ConstrutorFD &ConstrutorFD::VersaoSB(const DataFD &d, uint8_t v1, uint8_t v2, uint8_t v3)
{
    return Byte(0x91).DataHora(d).Byte(v1).Byte(v2).Byte(v3);
}

ConstrutorFD &ConstrutorFD::Contribuinte(const DataFD &d, const std::string &cnpj,
                                         const std::string &ie, const std::string &im,
                                         uint8_t cro, uint64_t gt, uint8_t usuario)
{
    return Byte(0x92).DataHora(d).Texto(cnpj, 20).Texto(ie, 20).Texto(im, 20).Byte(cro).NumeroBE(
        gt, 8).Byte(usuario);
}

ConstrutorFD &ConstrutorFD::Decimais(uint8_t quantidade, uint8_t preco)
{
    return Byte(0x93).Byte(quantidade).Byte(preco);
}

ConstrutorFD &ConstrutorFD::NumerosECF(const std::string &ecf3, const std::string &loja4)
{
    return Byte(0x94).Texto(ecf3, 3).Texto(loja4, 4);
}

ConstrutorFD &ConstrutorFD::LinhaCabecalho(uint8_t indice, const std::string &texto48,
                                           uint8_t presente)
{
    return Byte(0x95).Byte(indice).Byte(0x66).Texto(texto48, 48).Byte(presente);
}

ConstrutorFD &ConstrutorFD::Aliquota(uint8_t indice, char tipo, uint16_t taxa)
{
    return Byte(0x96).Byte(indice).Byte(static_cast<uint8_t>(tipo)).NumeroBE(taxa, 2).Byte(0);
}

ConstrutorFD &ConstrutorFD::NomeTotalizadorNF(uint8_t indice, const std::string &nome)
{
    return Byte(0x98).Byte(indice).Byte(0).Texto(nome, 15);
}

ConstrutorFD &ConstrutorFD::NomePagamento(uint8_t indice, const std::string &nome)
{
    return Byte(0x99).Byte(indice).Byte(0).Byte(0).Texto(nome, 15);
}

ConstrutorFD &ConstrutorFD::CodificacaoGT(const DataFD &d, const std::string &letras10)
{
    return Byte(0x9C).DataHora(d).Texto(letras10, 10);
}

ConstrutorFD &ConstrutorFD::IncrementoGT(uint64_t valor) { return Byte(0xC0).NumeroBE(valor, 6); }

ConstrutorFD &ConstrutorFD::Subtotal(uint64_t valor)
{
    return Byte(0xC1).NumeroBE(valor, 6).NumeroBE(0, 2);
}

ConstrutorFD &ConstrutorFD::Troco(uint64_t valor) { return Byte(0xC2).NumeroBE(valor, 6); }

ConstrutorFD &ConstrutorFD::TotalizadorParcial(uint8_t codigo, uint64_t valor)
{
    return Byte(0xC3).Byte(codigo).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::TotalPagamento(uint8_t indice, uint64_t valor)
{
    return Byte(0xC4).Byte(indice).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::TotalNaoFiscal(uint8_t indice, uint64_t valor)
{
    return Byte(0xC5).Byte(indice).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::Item(uint16_t numero, const std::string &codigo, uint32_t quantidade,
                                 const std::string &unidade, uint32_t preco, uint8_t totalizador,
                                 uint8_t truncamento, const std::string &descricao)
{
    return Byte(0xD7).NumeroBE(numero, 2).Texto(codigo, 14, '\0').NumeroBE(quantidade, 4).Texto(
        unidade, 3).NumeroBE(preco, 4).Byte(totalizador).Byte(truncamento).NumeroBE(
        descricao.size(), 2).Bytes(descricao);
}

ConstrutorFD &ConstrutorFD::TresItens()
{
    return Item(1, "7891000", 1500, "KG", 233, 0x00, 0, "BANANA")
        .Item(2, "7892000", 2000, "UN", 1000, 0x90, 1, "ARROZ 5KG")
        .Item(3, "7893000", 1000, "UN", 599, 0x01, 0, "SERVICO");
}

ConstrutorFD &ConstrutorFD::ItemComprimento(uint16_t numero, uint16_t comprimento,
                                            const std::string &descricao)
{
    return Byte(0xD7).NumeroBE(numero, 2).Texto("789", 14).NumeroBE(1000, 4).Texto("UN", 3)
        .NumeroBE(100, 4).Byte(0).Byte(0).NumeroBE(comprimento, 2).Bytes(descricao);
}

ConstrutorFD &ConstrutorFD::AcrescimoItem(uint16_t posicao, uint64_t valor)
{
    return Byte(0xD0).NumeroBE(posicao, 2).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::DescontoItem(uint16_t posicao, uint64_t valor)
{
    return Byte(0xD1).NumeroBE(posicao, 2).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::CancelaItem(uint16_t posicao) { return Byte(0xD3).NumeroBE(posicao, 2); }

ConstrutorFD &ConstrutorFD::CancelaAcrescimoItem(uint16_t posicao)
{
    return Byte(0xD8).NumeroBE(posicao, 2);
}

ConstrutorFD &ConstrutorFD::CancelaDescontoItem(uint16_t posicao)
{
    return Byte(0xD9).NumeroBE(posicao, 2);
}

ConstrutorFD &ConstrutorFD::AcrescimoItemPercentual(uint16_t posicao, uint16_t p)
{
    return Byte(0xDD).NumeroBE(posicao, 2).NumeroBE(p, 2);
}

ConstrutorFD &ConstrutorFD::DescontoItemPercentual(uint16_t posicao, uint16_t p)
{
    return Byte(0xDE).NumeroBE(posicao, 2).NumeroBE(p, 2);
}

ConstrutorFD &ConstrutorFD::ItemNaoFiscal(uint16_t numero, uint8_t indice, uint64_t valor)
{
    return Byte(0xDF).NumeroBE(numero, 2).Byte(indice).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::SubtotalValor(bool desconto, uint64_t valor)
{
    return Byte(0xDA).Byte(desconto ? 1 : 0).NumeroBE(valor, 6);
}

ConstrutorFD &ConstrutorFD::SubtotalPercentual(bool desconto, uint16_t p)
{
    return Byte(0xDB).Byte(desconto ? 1 : 0).NumeroBE(p, 2);
}

ConstrutorFD &ConstrutorFD::CancelaSubtotal(bool desconto)
{
    return Byte(0xDC).Byte(desconto ? 1 : 0);
}

ConstrutorFD &ConstrutorFD::Pagamento(uint8_t linha, uint8_t meio, uint64_t valor, uint8_t tag)
{
    return Byte(tag).Byte(linha).Byte(meio).Byte(0).NumeroBE(valor, 6);
}

std::string ParametrosFD(const std::string &id20, uint8_t tipo, uint32_t inicio, uint32_t fim)
{
    std::string p = id20.substr(0, 20);
    p.resize(20, ' ');
    p.push_back(static_cast<char>(tipo));
    std::string limites(8, ' ');
    auto le = [&limites](size_t pos, uint32_t v, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            limites[pos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    if (tipo == 2) {
        le(0, inicio, 4);
        le(4, fim, 4);
    } else if (tipo == 0 || tipo == 1) {
        le(0, inicio, 2);
        le(2, fim, 2);
    }
    return p + limites;
}

bool AssinaturaDisponivel()
{
    static int disponivel = -1;
    if (disponivel < 0) {
        // Probed once, in the calling test's working directory.
        std::string caminho = "talvor-assinatura-sonda.tmp";
        GravaArquivo(caminho, "abc");
        disponivel = AppendSignatureLine(caminho.c_str()) == 0 ? 1 : 0;
        std::remove(caminho.c_str());
    }
    return disponivel == 1;
}

bool GravaComAssinatura(const std::string &caminho, const std::string &conteudo)
{
    GravaArquivo(caminho, conteudo);
    if (AssinaturaDisponivel() && AppendSignatureLine(caminho.c_str()) == 0)
        return true;
    GravaArquivo(caminho, conteudo + "EAD" + std::string(256, '0'));
    return false;
}
