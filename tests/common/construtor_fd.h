// Test builder of detail-tape record streams: composes records tag by tag
// (big-endian numbers, fixed-width texts, variable texts, fillers and the
// documents of every kind) into a plain stream, and wraps a stream as an
// "MFD" download (parameter record in front) with its "EAD" line.  Every
// byte is placed here, independently of the library's reader.
#ifndef TALVOR_TESTS_CONSTRUTOR_FD_H
#define TALVOR_TESTS_CONSTRUTOR_FD_H

#include <cstdint>
#include <string>

// A date and time as the stream carries them (packed date, packed time and
// a seconds byte).
struct DataFD {
    unsigned dia, mes, ano, hora, minuto, segundo;
};
uint16_t EmpacotaDataTeste(unsigned dia, unsigned mes, unsigned ano);
uint16_t EmpacotaHoraTeste(unsigned hora, unsigned minuto);

class ConstrutorFD {
public:
    // Raw pieces.
    ConstrutorFD &Byte(uint8_t b);
    ConstrutorFD &Bytes(const std::string &b);
    ConstrutorFD &NumeroBE(uint64_t valor, unsigned largura);
    ConstrutorFD &Texto(const std::string &t, size_t largura, char preenche = ' ');
    ConstrutorFD &DataHora(const DataFD &d);   // 5 bytes: date, time, seconds
    ConstrutorFD &Preenchimento(size_t n = 1, uint8_t b = 0xFF);

    // Print lines and line records.
    ConstrutorFD &LinhaImpressa(const std::string &texto);          // tags 0x00-0x74
    ConstrutorFD &Separador();                                      // 0x75
    ConstrutorFD &ImprimeTextoGuardado();                           // 0x76
    ConstrutorFD &LinhaBR(uint8_t coluna, const std::string &texto);  // 0x7D
    ConstrutorFD &Estilo(uint8_t estilo);                           // 0x7E
    ConstrutorFD &LinhaAtributos(const std::string &caracteres,
                                 const std::string &atributos);     // 0x7F
    ConstrutorFD &Cabecalho();                                      // 0x80
    ConstrutorFD &TextoGuardado(const std::string &texto);          // 0x9E

    // Document starts.
    ConstrutorFD &InicioCupom(const DataFD &d, uint32_t coo, uint32_t ccf);          // 0x81
    ConstrutorFD &InicioLMF(const DataFD &d, uint32_t coo, uint32_t a = 0, uint32_t b = 0);  // 0x82
    ConstrutorFD &InicioReducaoZ(const DataFD &d, uint32_t coo, uint16_t crz);       // 0x83
    ConstrutorFD &InicioLeituraX(const DataFD &d, uint32_t coo);                     // 0x84
    ConstrutorFD &InicioComprovante(const DataFD &d, uint32_t coo, uint32_t gnf);    // 0x85
    ConstrutorFD &InicioGerencial(const DataFD &d, uint32_t coo, uint32_t gnf, uint32_t grg);  // 0x86
    ConstrutorFD &InicioCreditoDebito(const DataFD &d, uint32_t coo, uint32_t gnf, uint16_t cdc);  // 0x87
    ConstrutorFD &InicioCancelamentoCupom(const DataFD &d, uint32_t coo);            // 0x88
    ConstrutorFD &InicioDocumento89(const DataFD &d, uint32_t coo);                  // 0x89
    ConstrutorFD &InicioCancelamentoNaoFiscal(const DataFD &d, uint32_t coo, uint32_t gnf);  // 0x8A
    ConstrutorFD &InicioCancelamentoComprovante(const DataFD &d, uint32_t coo);      // 0x8C
    // Document ends (0xA1-0xAA, 0xAC, 0xB1-0xB5, 0xBA).
    ConstrutorFD &FimDocumento(uint8_t tag, const DataFD &d);

    // Identification records.
    ConstrutorFD &Comprador(const std::string &texto30);            // 0x8B
    ConstrutorFD &IdentificacaoECF(const std::string &serie, const std::string &marca,
                                   const std::string &modelo, const std::string &tipo);  // 0x90
    ConstrutorFD &VersaoSB(const DataFD &d, uint8_t v1, uint8_t v2, uint8_t v3);      // 0x91
    ConstrutorFD &Contribuinte(const DataFD &d, const std::string &cnpj, const std::string &ie,
                               const std::string &im, uint8_t cro, uint64_t gt,
                               uint8_t usuario);                    // 0x92
    ConstrutorFD &Decimais(uint8_t quantidade, uint8_t preco);      // 0x93
    ConstrutorFD &NumerosECF(const std::string &ecf3, const std::string &loja4);  // 0x94
    ConstrutorFD &LinhaCabecalho(uint8_t indice, const std::string &texto48,
                                 uint8_t presente = 1);             // 0x95
    ConstrutorFD &Aliquota(uint8_t indice, char tipo, uint16_t taxa);  // 0x96
    ConstrutorFD &NomeTotalizadorNF(uint8_t indice, const std::string &nome);  // 0x98
    ConstrutorFD &NomePagamento(uint8_t indice, const std::string &nome);      // 0x99
    ConstrutorFD &CodificacaoGT(const DataFD &d, const std::string &letras10);  // 0x9C

    // Amounts and totals.
    ConstrutorFD &IncrementoGT(uint64_t valor);                     // 0xC0
    ConstrutorFD &Subtotal(uint64_t valor);                         // 0xC1
    ConstrutorFD &Troco(uint64_t valor);                            // 0xC2
    ConstrutorFD &TotalizadorParcial(uint8_t codigo, uint64_t valor);   // 0xC3
    ConstrutorFD &TotalPagamento(uint8_t indice, uint64_t valor);   // 0xC4
    ConstrutorFD &TotalNaoFiscal(uint8_t indice, uint64_t valor);   // 0xC5

    // Items and their changes (positions count from 0).
    ConstrutorFD &Item(uint16_t numero, const std::string &codigo, uint32_t quantidade,
                       const std::string &unidade, uint32_t preco, uint8_t totalizador,
                       uint8_t truncamento, const std::string &descricao);   // 0xD7
    // 0xD7 whose length field says comprimento while descricao is what follows.
    ConstrutorFD &ItemComprimento(uint16_t numero, uint16_t comprimento,
                                  const std::string &descricao);
    ConstrutorFD &AcrescimoItem(uint16_t posicao, uint64_t valor);     // 0xD0
    ConstrutorFD &DescontoItem(uint16_t posicao, uint64_t valor);      // 0xD1
    ConstrutorFD &CancelaItem(uint16_t posicao);                       // 0xD3
    ConstrutorFD &CancelaAcrescimoItem(uint16_t posicao);              // 0xD8
    ConstrutorFD &CancelaDescontoItem(uint16_t posicao);               // 0xD9
    ConstrutorFD &AcrescimoItemPercentual(uint16_t posicao, uint16_t p);   // 0xDD
    ConstrutorFD &DescontoItemPercentual(uint16_t posicao, uint16_t p);    // 0xDE
    // Items 1 to 3: 1,500 KG "BANANA" at 2,33 (totaliser 0), 2,000 UN
    // "ARROZ 5KG" at 10,00 (0x90, truncated), 1,000 UN "SERVICO" at 5,99 (1).
    ConstrutorFD &TresItens();
    ConstrutorFD &ItemNaoFiscal(uint16_t numero, uint8_t indice, uint64_t valor);  // 0xDF
    ConstrutorFD &SubtotalValor(bool desconto, uint64_t valor);        // 0xDA
    ConstrutorFD &SubtotalPercentual(bool desconto, uint16_t p);       // 0xDB
    ConstrutorFD &CancelaSubtotal(bool desconto);                      // 0xDC
    ConstrutorFD &Pagamento(uint8_t linha, uint8_t meio, uint64_t valor, uint8_t tag = 0xD5);

    const std::string &Fluxo() const { return s_; }
    size_t Tamanho() const { return s_.size(); }

private:
    ConstrutorFD &Inicio(uint8_t tag, const DataFD &d, uint32_t coo);
    std::string s_;
};

// The 29-byte download parameter record: identification (20), kind, bounds
// (kinds 0 and 1: two 16-bit little-endian values; kind 2: two 32-bit).
std::string ParametrosFD(const std::string &id20, uint8_t tipo, uint32_t inicio = 0,
                         uint32_t fim = 0);

// True when this build can sign files (the signature routines exist).
bool AssinaturaDisponivel();

// Writes the content and appends its "EAD" line.  When the build cannot
// sign, a line of 256 zeros stands in (so readers still find a trailer) and
// the result is false.
bool GravaComAssinatura(const std::string &caminho, const std::string &conteudo);

#endif
