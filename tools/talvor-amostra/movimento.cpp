// The sample printer's life, day by day: installation, working days with
// their cupons fiscais, comprovantes não-fiscais, Leituras X and the closing
// Redução Z, and the events in between (software updates with restarts, a
// currency symbol, a second taxpayer, GT codings, detail-tape issues).  Every
// document is written as it happens into the day's detail-tape file, and
// every Redução Z goes into the fiscal memory from the same counters and
// totals, so that the two memories agree.
#include <cstdio>
#include <cstring>

#include "catalogo.h"

namespace {

const char *const kCodificacoes[2] = {"PERNAMBUCO", "CAMBURINHO"};
const char *const kSimbolos[2] = {"Cr$ ", "R$  "};
const char *const kMensagem = "OBRIGADO PELA PREFERENCIA!                      VOLTE SEMPRE - TROCAS EM ATE 7 DIAS";

std::string Numero(unsigned largura, uint64_t v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%0*llu", static_cast<int>(largura), static_cast<unsigned long long>(v));
    return b;
}

std::string DataTexto(const DataHora &d)
{
    char b[16];
    std::snprintf(b, sizeof b, "%02u/%02u/%04u", d.dia, d.mes, d.ano);
    return b;
}

std::string DataHoraTexto(const DataHora &d)
{
    char b[16];
    std::snprintf(b, sizeof b, " %02u:%02u:%02u", d.hora, d.minuto, d.segundo);
    return DataTexto(d) + b;
}

// Item total: quantity (3 decimals) times price (2 decimals) in hundredths,
// truncated or rounded with an exact half going to the even neighbour.
uint64_t TotalItem(uint64_t quantidade, uint64_t preco, bool trunca)
{
    uint64_t p = quantidade * preco;
    uint64_t q = p / 1000, r = p % 1000;
    if (trunca)
        return q;
    if (r > 500 || (r == 500 && (q & 1) != 0))
        ++q;
    return q;
}

// Percentage of an amount (p in hundredths of a percent); an exact half
// goes to the odd neighbour.
uint64_t Porcentagem(uint64_t valor, unsigned p)
{
    uint64_t x = valor * p;
    uint64_t q = x / 10000, r = x % 10000;
    if (r > 5000 || (r == 5000 && (q & 1) == 0))
        ++q;
    return q;
}

class Maquina {
public:
    Maquina(uint64_t semente, Amostra *a) : r_(semente), a_(a) {}
    void Executa(unsigned dias);

private:
    // ---- stream records ----
    void Poe(const Bytes &b) { f_->insert(f_->end(), b.begin(), b.end()); }
    void Escreve(const std::string &linha) { Poe(RegistroLinha(linha)); }
    void Separador() { Escreve(std::string(48, '-')); }
    void Estilo(uint8_t e) { Poe(Bytes{0x7E, e}); }
    Bytes Inicio(uint8_t tag, const Momento &m);
    void Fim(uint8_t tag, const Momento &m);
    void Valor(uint8_t tag, int byte1, uint64_t valor);   // 0xC0 to 0xC5
    void Identificacao();
    void LinhaDocumento(const std::string &contadores);
    void AbreComContador(uint8_t tag, uint32_t contador, const char *sigla);
    void AjusteItem(uint8_t tag, unsigned n, uint64_t quantia, const char *rotulo, const char *sinal);

    // ---- documents ----
    void Cupom(bool aberto);
    void CancelaUltimoCupom();
    void Comprovante();
    void LeituraX();
    void ReducaoZ();
    void LeituraMemoriaFiscal();
    void AtualizaParciais();
    void AtualizaNaoFiscais();

    // ---- days and events ----
    void Instalacao(const DataHora &vespera);
    void Eventos(unsigned k, unsigned dias, const DataHora &d);
    void AbreArquivo(const DataHora &d);
    void DiaDeTrabalho(const DataHora &d, bool atual);
    void Avanca(unsigned minimo, unsigned maximo);
    void NovoCoo();
    void NovaVersao(const Momento &m, uint8_t a, uint8_t b, uint8_t c);
    void Reinicio(const Momento &m, bool intervencao);

    Aleatorio r_;
    Amostra *a_;
    Bytes *f_ = nullptr;
    Momento agora_{};
    uint32_t coo_ = 0, ccf_ = 0, gnf_ = 0, grg_ = 0, cdc_ = 0;
    unsigned crz_ = 0, cro_ = 0;
    uint64_t gt_ = 0;
    std::vector<Usuario> usuarios_;
    std::vector<Reducao> reducoes_;
    Versao versao_{};
    unsigned versoes_ = 0, codificacoes_ = 0, simbolos_ = 0, dispositivos_ = 0, fitas_ = 0;
    Momento quandoCodificacao_{};
    Totais dia_{};
    uint64_t visto_[NUM_PARCIAIS] = {};       // partial totals as the stream last said them
    uint64_t vistoNaoFiscal_[NUM_NAO_FISCAIS] = {};
    bool todosParciais_ = true, todosNaoFiscais_ = true;
    uint32_t cooMesInicio_ = 0, cooMesFim_ = 0;
    unsigned mes_ = 0;
    // The last document, when it was a completed cupom that may still be cancelled.
    bool ultimoCupom_ = false;
    uint32_t ultimoCoo_ = 0;
    uint64_t ultimoLiquido_[NUM_PARCIAIS] = {}, ultimoTotal_ = 0, ultimoPago_[NUM_PAGAMENTOS] = {};
};

Bytes Maquina::Inicio(uint8_t tag, const Momento &m)
{
    Bytes b{tag};
    PoeBE(&b, 2, m.Data());
    PoeBE(&b, 2, m.Hora());
    b.push_back(m.dh.segundo);
    PoeBE(&b, 4, coo_);
    return b;
}

void Maquina::Fim(uint8_t tag, const Momento &m)
{
    Bytes b{tag};
    PoeBE(&b, 2, m.Data());
    PoeBE(&b, 2, m.Hora());
    b.push_back(m.dh.segundo);
    Poe(b);
}

void Maquina::Valor(uint8_t tag, int byte1, uint64_t valor)
{
    Bytes b{tag};
    if (byte1 >= 0)
        b.push_back(static_cast<uint8_t>(byte1));
    PoeBE(&b, 6, valor);
    if (tag == 0xC1)
        PoeBE(&b, 2, 0);
    Poe(b);
}

void Maquina::Avanca(unsigned minimo, unsigned maximo)
{
    unsigned minutos = agora_.dh.hora * 60 + agora_.dh.minuto + r_.Entre(minimo, maximo);
    if (minutos > 23 * 60 + 58)
        minutos = 23 * 60 + 58;
    agora_.dh.hora = static_cast<uint8_t>(minutos / 60);
    agora_.dh.minuto = static_cast<uint8_t>(minutos % 60);
    agora_.dh.segundo = static_cast<uint8_t>(r_.Entre(0, 59));
}

void Maquina::NovoCoo()
{
    ++coo_;
    if (cooMesInicio_ == 0)
        cooMesInicio_ = coo_;
    cooMesFim_ = coo_;
    ultimoCupom_ = false;
}

void Maquina::LinhaDocumento(const std::string &contadores)
{
    Escreve(Linha(DataHoraTexto(agora_.dh), contadores));
}

// The opening of a document with a counter of its own (the coupon's CCF, the
// receipt's GNF): its start record, the print start and the line of date,
// time and counters.
void Maquina::AbreComContador(uint8_t tag, uint32_t contador, const char *sigla)
{
    Bytes inicio = Inicio(tag, agora_);
    PoeBE(&inicio, 4, contador);
    Poe(inicio);
    Poe(Bytes{0x80});
    LinhaDocumento(std::string(sigla) + ":" + Numero(6, contador) + " COO:" + Numero(6, coo_));
}

// A discount (0xD1, "-") or surcharge (0xD0, "+") on item n: its record and
// its printed line.
void Maquina::AjusteItem(uint8_t tag, unsigned n, uint64_t quantia, const char *rotulo, const char *sinal)
{
    Bytes d{tag};
    PoeBE(&d, 2, n - 1);
    PoeBE(&d, 6, quantia);
    Poe(d);
    Escreve(Linha(std::string(rotulo) + " item " + Numero(3, n), sinal + Dinheiro(quantia)));
}

void Maquina::Identificacao()
{
    const Usuario &u = usuarios_.back();
    Bytes b{0x90};
    PoeTexto(&b, 20, NUMERO_SERIE);
    PoeTexto(&b, 20, MARCA);
    PoeTexto(&b, 20, MODELO);
    PoeTexto(&b, 7, TIPO_ECF);
    Poe(b);
    b = Bytes{0x91};
    PoeBE(&b, 2, versao_.quando.Data());
    PoeBE(&b, 2, versao_.quando.Hora());
    b.push_back(versao_.quando.dh.segundo);
    b.insert(b.end(), versao_.numero, versao_.numero + 3);
    Poe(b);
    b = Bytes{0x92};
    PoeBE(&b, 2, u.quando.Data());
    PoeBE(&b, 2, u.quando.Hora());
    b.push_back(u.quando.dh.segundo);
    PoeTexto(&b, 20, u.cnpj);
    PoeTexto(&b, 20, u.ie);
    PoeTexto(&b, 20, u.im);
    b.push_back(static_cast<uint8_t>(cro_));
    PoeBE(&b, 8, gt_);
    b.push_back(static_cast<uint8_t>(u.numero));
    Poe(b);
    Poe(Bytes{0x93, 3, 2});
    b = Bytes{0x94};
    PoeTexto(&b, 3, "001");
    PoeTexto(&b, 4, "0001");
    Poe(b);
    const std::string cabecalho[3] = {u.nome, "RUA DAS FLORES, 123 - CENTRO", "CAMPINAS - SP   CEP 13010-000"};
    for (unsigned i = 0; i < 6; ++i) {
        b = Bytes{0x95, static_cast<uint8_t>(i), 2};
        PoeTexto(&b, 48, i < 3 ? CodigosImpressora(cabecalho[i]) : std::string());
        b.push_back(i < 3 ? 1 : 0);
        Poe(b);
    }
    for (unsigned i = 0; i < NUM_ALIQUOTAS; ++i) {
        b = Bytes{0x96, static_cast<uint8_t>(i), static_cast<uint8_t>(kAliquotas[i].tipo)};
        PoeBE(&b, 2, kAliquotas[i].taxa);
        b.push_back(0);
        Poe(b);
    }
    for (unsigned i = 0; i < NUM_NAO_FISCAIS; ++i) {
        b = Bytes{0x98, static_cast<uint8_t>(i), 0};
        PoeTexto(&b, 15, kNaoFiscais[i]);
        Poe(b);
    }
    for (unsigned i = 0; i < NUM_PAGAMENTOS; ++i) {
        b = Bytes{0x99, static_cast<uint8_t>(i), 0, 0};
        PoeTexto(&b, 15, kPagamentos[i]);
        Poe(b);
    }
    b = Bytes{0x9C};
    PoeBE(&b, 2, quandoCodificacao_.Data());
    PoeBE(&b, 2, quandoCodificacao_.Hora());
    b.push_back(quandoCodificacao_.dh.segundo);
    PoeTexto(&b, 10, kCodificacoes[codificacoes_ - 1]);
    Poe(b);
    std::string mensagem = CodigosImpressora(kMensagem);
    b = Bytes{0x9E, static_cast<uint8_t>(mensagem.size())};
    b.insert(b.end(), mensagem.begin(), mensagem.end());
    Poe(b);
    Estilo(0x02);
}

// Partial totalizers that changed since the stream last told them.
void Maquina::AtualizaParciais()
{
    // The first time in a file every slot in use is told, so that a file
    // read alone and a file read after the previous day's agree.
    for (unsigned s = 0; s < NUM_PARCIAIS; ++s) {
        if (dia_.parcial[s] != visto_[s] || (todosParciais_ && dia_.parcial[s] != 0)) {
            Valor(0xC3, CodigoDoSlot(s), dia_.parcial[s]);
            visto_[s] = dia_.parcial[s];
        }
    }
    todosParciais_ = false;
}

void Maquina::AtualizaNaoFiscais()
{
    for (unsigned i = 0; i < NUM_NAO_FISCAIS; ++i) {
        if (dia_.porNaoFiscal[i] != vistoNaoFiscal_[i] || (todosNaoFiscais_ && dia_.porNaoFiscal[i] != 0)) {
            Valor(0xC5, static_cast<int>(i), dia_.porNaoFiscal[i]);
            vistoNaoFiscal_[i] = dia_.porNaoFiscal[i];
        }
    }
    todosNaoFiscais_ = false;
}

void Maquina::Cupom(bool aberto)
{
    Avanca(4, 45);
    NovoCoo();
    ++ccf_;
    AbreComContador(0x81, ccf_, "CCF");
    Bytes logo{0x7D, 1};
    Bytes titulo = LinhaComprimida(Centro("CUPOM FISCAL"));
    logo.push_back(static_cast<uint8_t>(titulo.size()));
    logo.insert(logo.end(), titulo.begin(), titulo.end());
    Poe(logo);
    Escreve("ITEM C\xD3" "DIGO       DESCRI\xC7\xC3O");
    Escreve(Linha("QTD.UN.VL UNIT(R$)     ST", "VL ITEM(R$)"));
    Separador();

    const bool cancelado = !aberto && r_.Chance(4);
    unsigned itens = r_.Entre(1, 6);
    uint64_t liquido[NUM_PARCIAIS] = {};
    uint64_t bruto[NUM_PARCIAIS] = {};
    uint64_t subtotal = 0;
    for (unsigned n = 1; n <= itens; ++n) {
        const Produto &p = kProdutos[r_.Entre(0, kNumProdutos - 1)];
        uint32_t quantidade = p.pesado ? r_.Entre(80, 1600) : 1000 * r_.Entre(1, r_.Chance(80) ? 2 : 6);
        uint64_t valor = TotalItem(quantidade, p.preco, p.trunca);
        if (valor == 0)
            valor = 1;
        unsigned slot = SlotDoCodigo(p.totalizador);
        bool iss = SlotIss(slot);
        Bytes b{0xD7};
        PoeBE(&b, 2, n);
        PoeTexto(&b, 14, p.codigo);
        PoeBE(&b, 4, quantidade);
        PoeTexto(&b, 3, p.unidade);
        PoeBE(&b, 4, p.preco);
        b.push_back(p.totalizador);
        b.push_back(p.trunca ? 1 : 0);
        std::string descricao = p.descricao;
        PoeBE(&b, 2, descricao.size());
        b.insert(b.end(), descricao.begin(), descricao.end());
        Poe(b);
        Escreve(Numero(3, n) + " " + p.codigo + " " + descricao);
        char qtd[48];
        std::snprintf(qtd, sizeof qtd, "%6u,%03u%s X %s", quantidade / 1000, quantidade % 1000, p.unidade,
                      Dinheiro(p.preco).c_str());
        Escreve(Linha(std::string(qtd) + " " + RotuloSlot(slot), Dinheiro(valor)));
        gt_ += valor;
        dia_.vendaBruta += valor;
        bruto[slot] += valor;
        if (aberto)
            continue;
        bool alterado = true;   // a discount or surcharge keeps the item
        if (!cancelado && r_.Chance(8) && valor >= 100) {
            uint64_t desconto = valor * r_.Entre(3, 10) / 100;
            AjusteItem(0xD1, n, desconto, "desconto", "-");
            (iss ? dia_.descontoIss : dia_.descontoIcms) += desconto;
            valor -= desconto;
        } else if (!cancelado && r_.Chance(3)) {
            uint64_t acrescimo = 50 * r_.Entre(1, 6);
            AjusteItem(0xD0, n, acrescimo, "acr\xE9scimo", "+");
            (iss ? dia_.acrescimoIss : dia_.acrescimoIcms) += acrescimo;
            gt_ += acrescimo;
            dia_.vendaBruta += acrescimo;
            valor += acrescimo;
        } else {
            alterado = false;
        }
        if (!cancelado && !alterado && itens > 1 && r_.Chance(5)) {
            // The customer gives the item back before paying.
            Bytes d{0xD3};
            PoeBE(&d, 2, n - 1);
            Poe(d);
            Escreve(Linha("cancelamento item " + Numero(3, n), "-" + Dinheiro(valor)));
            (iss ? dia_.cancelIss : dia_.cancelIcms) += valor;
            continue;
        }
        liquido[slot] += valor;
        subtotal += valor;
    }
    if (aberto)
        return;   // the document still being printed
    if (cancelado || subtotal == 0) {
        // Cancelled before payment: what was sold goes to the cancellations.
        for (unsigned s = 0; s < NUM_PARCIAIS; ++s)
            (SlotIss(s) ? dia_.cancelIss : dia_.cancelIcms) += cancelado ? bruto[s] : liquido[s];
        Escreve(Centro("CUPOM FISCAL CANCELADO"));
        AtualizaParciais();
        Avanca(1, 2);
        Fim(0xB1, agora_);
        return;
    }
    Valor(0xC1, -1, subtotal);
    Escreve(Linha("SUBTOTAL R$", Dinheiro(subtotal)));
    // The subtotal discount or surcharge falls on the largest partial of
    // the cupom, which holds at least a sixth of the subtotal (six items at
    // most), more than any discount given here.
    unsigned maior = 0;
    for (unsigned s = 1; s < NUM_PARCIAIS; ++s) {
        if (liquido[s] > liquido[maior])
            maior = s;
    }
    bool issMaior = SlotIss(maior);
    uint64_t total = subtotal;
    if (r_.Chance(10) && subtotal >= 200) {
        uint64_t desconto;
        if (r_.Chance(50)) {
            desconto = subtotal * r_.Entre(2, 10) / 100;
            Bytes d{0xDA, 1};
            PoeBE(&d, 6, desconto);
            Poe(d);
            Escreve(Linha("desconto subtotal", "-" + Dinheiro(desconto)));
        } else {
            unsigned p = 100 * r_.Entre(2, 10);
            desconto = Porcentagem(subtotal, p);
            Bytes d{0xDB, 1};
            PoeBE(&d, 2, p);
            Poe(d);
            Escreve(Linha("desconto subtotal " + Dinheiro(p) + "%", "-" + Dinheiro(desconto)));
        }
        liquido[maior] -= desconto;
        (issMaior ? dia_.descontoIss : dia_.descontoIcms) += desconto;
        total -= desconto;
    } else if (r_.Chance(3)) {
        uint64_t acrescimo = 100 * r_.Entre(1, 5);
        Bytes d{0xDA, 0};
        PoeBE(&d, 6, acrescimo);
        Poe(d);
        Escreve(Linha("acr\xE9scimo subtotal", "+" + Dinheiro(acrescimo)));
        liquido[maior] += acrescimo;
        (issMaior ? dia_.acrescimoIss : dia_.acrescimoIcms) += acrescimo;
        gt_ += acrescimo;
        dia_.vendaBruta += acrescimo;
        total += acrescimo;
    }
    Estilo(0x06);
    Escreve(Linha("TOTAL R$", Dinheiro(total)));
    Estilo(0x02);

    // Payments: cash rounded up to a note (change given), cards exact, or
    // part by card and the rest in cash.
    std::memset(ultimoPago_, 0, sizeof ultimoPago_);
    unsigned forma = r_.Entre(1, 100);
    uint64_t troco = 0;
    struct {
        unsigned metodo;
        uint64_t valor;
    } pagos[2];
    unsigned npagos = 1;
    if (forma <= 55) {
        uint64_t nota = total < 2000 ? 500 : total < 5000 ? 1000 : 5000;
        uint64_t pago = r_.Chance(25) ? total : (total + nota - 1) / nota * nota;
        pagos[0] = {0, pago};
        troco = pago - total;
    } else if (forma <= 80) {
        pagos[0] = {1, total};
    } else if (forma <= 95) {
        pagos[0] = {2, total};
    } else {
        uint64_t parte = total / 2;
        pagos[0] = {r_.Chance(50) ? 3u : 2u, parte};
        pagos[1] = {0, total - parte};
        npagos = 2;
    }
    for (unsigned i = 0; i < npagos; ++i) {
        Bytes d{0xD5, static_cast<uint8_t>(i), static_cast<uint8_t>(pagos[i].metodo), 0};
        PoeBE(&d, 6, pagos[i].valor);
        Poe(d);
        Escreve(Linha(kPagamentos[pagos[i].metodo], Dinheiro(pagos[i].valor)));
        uint64_t liquidoPago = pagos[i].valor - (pagos[i].metodo == 0 ? troco : 0);
        dia_.pagamento[pagos[i].metodo] += liquidoPago;
        ultimoPago_[pagos[i].metodo] += liquidoPago;
    }
    if (troco > 0)
        Escreve(Linha("TROCO R$", Dinheiro(troco)));
    dia_.troco += troco;
    for (unsigned s = 0; s < NUM_PARCIAIS; ++s)
        dia_.parcial[s] += liquido[s];
    AtualizaParciais();
    Poe(Bytes{0x76});
    Avanca(1, 2);
    Fim(0xA1, agora_);
    ultimoCupom_ = true;
    ultimoCoo_ = coo_;
    std::memcpy(ultimoLiquido_, liquido, sizeof liquido);
    ultimoTotal_ = total;
}

void Maquina::CancelaUltimoCupom()
{
    uint32_t cancelado = ultimoCoo_;
    Avanca(1, 5);
    NovoCoo();
    Poe(Inicio(0x88, agora_));
    Poe(Bytes{0x80});
    LinhaDocumento("COO:" + Numero(6, coo_));
    Escreve(Centro("CANCELAMENTO DE CUPOM FISCAL"));
    Escreve(Linha("COO DO CUPOM CANCELADO:", Numero(6, cancelado)));
    Escreve(Linha("VALOR CANCELADO R$", Dinheiro(ultimoTotal_)));
    for (unsigned s = 0; s < NUM_PARCIAIS; ++s) {
        dia_.parcial[s] -= ultimoLiquido_[s];
        (SlotIss(s) ? dia_.cancelIss : dia_.cancelIcms) += ultimoLiquido_[s];
    }
    for (unsigned i = 0; i < NUM_PAGAMENTOS; ++i)
        dia_.pagamento[i] -= ultimoPago_[i];
    AtualizaParciais();
    Avanca(0, 1);
    Fim(0xA8, agora_);
}

void Maquina::Comprovante()
{
    Avanca(4, 40);
    NovoCoo();
    ++gnf_;
    AbreComContador(0x85, gnf_, "GNF");
    Escreve(Centro("COMPROVANTE N\xC3O-FISCAL"));
    unsigned itens = r_.Entre(1, 2);
    uint64_t total = 0;
    uint64_t porTotalizador[NUM_NAO_FISCAIS] = {};
    for (unsigned n = 1; n <= itens; ++n) {
        unsigned indice = r_.Entre(0, NUM_NAO_FISCAIS - 1);
        uint64_t valor = 500 * r_.Entre(2, 40);
        Bytes b{0xDF};
        PoeBE(&b, 2, n);
        b.push_back(static_cast<uint8_t>(indice));
        PoeBE(&b, 6, valor);
        Poe(b);
        Escreve(Linha(Numero(3, n) + " " + kNaoFiscais[indice], Dinheiro(valor)));
        porTotalizador[indice] += valor;
        total += valor;
    }
    Escreve(Linha("TOTAL R$", Dinheiro(total)));
    if (r_.Chance(8)) {
        Escreve(Centro("COMPROVANTE N\xC3O-FISCAL CANCELADO"));
        dia_.cancelNaoFiscal += total;
        Avanca(0, 1);
        Fim(0xB5, agora_);
        return;
    }
    unsigned metodo = r_.Chance(70) ? 0 : 1;
    Bytes d{0xD5, 0, static_cast<uint8_t>(metodo), 0};
    PoeBE(&d, 6, total);
    Poe(d);
    Escreve(Linha(kPagamentos[metodo], Dinheiro(total)));
    dia_.pagamento[metodo] += total;
    dia_.naoFiscal += total;
    for (unsigned i = 0; i < NUM_NAO_FISCAIS; ++i)
        dia_.porNaoFiscal[i] += porTotalizador[i];
    AtualizaNaoFiscais();
    Avanca(0, 1);
    Fim(0xA5, agora_);
}

void Maquina::LeituraX()
{
    Avanca(1, 20);
    NovoCoo();
    ++gnf_;
    Poe(Inicio(0x84, agora_));
    Poe(Bytes{0x80});
    LinhaDocumento("COO:" + Numero(6, coo_));
    Escreve(Centro("LEITURA X"));
    Separador();
    Escreve(Linha("Contador de Redu\xE7\xE3o Z:", Numero(4, crz_)));
    Escreve(Linha("Contador de Rein\xED" "cio de Opera\xE7\xE3o:", Numero(3, cro_)));
    Escreve(Linha("Contador Geral de Opera\xE7\xE3o N\xE3o-Fiscal:", Numero(6, gnf_)));
    Escreve(Linha("Contador de Cupom Fiscal:", Numero(6, ccf_)));
    Separador();
    Escreve(Linha("VENDA BRUTA DI\xC1RIA:", Dinheiro(dia_.vendaBruta)));
    Escreve(Linha("GRANDE TOTAL:", Dinheiro(gt_)));
    Avanca(0, 1);
    Fim(0xA4, agora_);
}

void Maquina::LeituraMemoriaFiscal()
{
    Avanca(1, 10);
    NovoCoo();
    ++gnf_;
    unsigned primeiro = crz_ > 30 ? crz_ - 29 : 1;
    Bytes inicio = Inicio(0x82, agora_);
    PoeBE(&inicio, 4, primeiro);
    PoeBE(&inicio, 4, crz_);
    Poe(inicio);
    Poe(Bytes{0x80});
    Escreve(Centro("SIMPLIFICADA"));
    Escreve("REDU\xC7\xC3O: " + Numero(4, primeiro) + " A: " + Numero(4, crz_));
    Separador();
    Escreve("CRZ  CRO  COO     DATA        VENDA BRUTA");
    for (unsigned c = primeiro; c <= crz_; ++c) {
        const Reducao &z = reducoes_[c - 1];
        Escreve(Linha(Numero(4, z.crz) + " " + Numero(3, z.cro) + "  " + Numero(6, z.coo) + "  " +
                          DataTexto(z.emissao.dh),
                      Dinheiro(z.t.vendaBruta)));
    }
    Separador();
    Escreve(Linha("N\xFAmero de Redu\xE7\xF5" "es Restantes:", Numero(4, 2555 - crz_)));
    Avanca(2, 5);
    Fim(0xA2, agora_);
}

void Maquina::ReducaoZ()
{
    Avanca(5, 30);
    if (agora_.dh.hora < 21) {
        agora_.dh.hora = 21;
        agora_.dh.minuto = static_cast<uint8_t>(r_.Entre(0, 50));
    }
    NovoCoo();
    ++gnf_;
    ++crz_;
    const Momento emissao = agora_;
    Bytes inicio = Inicio(0x83, agora_);
    PoeBE(&inicio, 2, crz_);
    Poe(inicio);
    Poe(Bytes{0x80});
    LinhaDocumento("COO:" + Numero(6, coo_));
    // The title, underlined.
    std::string titulo = CodigosImpressora(Centro("REDU\xC7\xC3O Z"));
    Bytes t{0x7F, static_cast<uint8_t>(titulo.size())};
    t.insert(t.end(), titulo.begin(), titulo.end());
    for (char c : titulo)
        t.push_back(c == ' ' ? 0x00 : 0x80);
    Poe(t);
    Escreve(Linha("MOVIMENTO DO DIA:", DataTexto(agora_.dh)));
    Poe(Bytes{0x75});
    Escreve(Centro("CONTADORES"));
    Escreve(Linha("Contador de Redu\xE7\xE3o Z:", Numero(4, crz_)));
    Escreve(Linha("Contador de Rein\xED" "cio de Opera\xE7\xE3o:", Numero(3, cro_)));
    Escreve(Linha("Contador Geral de Opera\xE7\xE3o N\xE3o-Fiscal:", Numero(6, gnf_)));
    Escreve(Linha("Contador de Cupom Fiscal:", Numero(6, ccf_)));
    Poe(Bytes{0x75});
    Escreve(Centro("TOTALIZADORES"));
    const Totais &d = dia_;
    uint64_t liquida = d.vendaBruta - d.cancelIcms - d.cancelIss - d.descontoIcms - d.descontoIss;
    Escreve(Linha("VENDA BRUTA DI\xC1RIA:", Dinheiro(d.vendaBruta)));
    Escreve(Linha("CANCELAMENTO ICMS:", Dinheiro(d.cancelIcms)));
    Escreve(Linha("DESCONTO ICMS:", Dinheiro(d.descontoIcms)));
    Escreve(Linha("ACR\xC9SCIMO ICMS:", Dinheiro(d.acrescimoIcms)));
    Escreve(Linha("CANCELAMENTO ISSQN:", Dinheiro(d.cancelIss)));
    Escreve(Linha("DESCONTO ISSQN:", Dinheiro(d.descontoIss)));
    Escreve(Linha("ACR\xC9SCIMO ISSQN:", Dinheiro(d.acrescimoIss)));
    Escreve(Linha("VENDA L\xCDQUIDA:", Dinheiro(liquida)));
    Poe(Bytes{0x75});
    Escreve(Linha("TOTALIZADOR", "VALOR(R$)"));
    for (unsigned s = 0; s < NUM_PARCIAIS; ++s) {
        if (s < NUM_ALIQUOTAS || d.parcial[s] != 0)
            Escreve(Linha(RotuloSlot(s), Dinheiro(d.parcial[s])));
    }
    Poe(Bytes{0x75});
    for (unsigned i = 0; i < NUM_NAO_FISCAIS; ++i)
        Escreve(Linha(kNaoFiscais[i], Dinheiro(d.porNaoFiscal[i])));
    Escreve(Linha("TOTAL N\xC3O-FISCAL:", Dinheiro(d.naoFiscal)));
    Escreve(Linha("CANCELAMENTO N\xC3O-FISCAL:", Dinheiro(d.cancelNaoFiscal)));
    Poe(Bytes{0x75});
    for (unsigned i = 0; i < NUM_PAGAMENTOS; ++i)
        Escreve(Linha(kPagamentos[i], Dinheiro(d.pagamento[i])));
    Escreve(Linha("TROCO", Dinheiro(d.troco)));
    Poe(Bytes{0x75});
    Escreve(Linha("GRANDE TOTAL:", Dinheiro(gt_)));
    // The day's totals as the printer keeps them.
    for (unsigned s = 0; s < NUM_PARCIAIS; ++s) {
        if (d.parcial[s] != 0)
            Valor(0xC3, CodigoDoSlot(s), d.parcial[s]);
        visto_[s] = d.parcial[s];
    }
    for (unsigned i = 0; i < NUM_PAGAMENTOS; ++i)
        Valor(0xC4, static_cast<int>(i), d.pagamento[i]);
    for (unsigned i = 0; i < NUM_NAO_FISCAIS; ++i) {
        Valor(0xC5, static_cast<int>(i), d.porNaoFiscal[i]);
        vistoNaoFiscal_[i] = d.porNaoFiscal[i];
    }
    Valor(0xC2, -1, d.troco);
    Valor(0xC0, -1, d.vendaBruta);
    Avanca(1, 2);
    Fim(0xA3, agora_);

    Reducao z{};
    z.emissao = emissao;
    z.movimento = emissao.Data();
    z.crz = crz_;
    z.cro = cro_;
    z.coo = coo_;
    z.ccf = ccf_;
    z.gnf = gnf_;
    z.grg = grg_;
    z.cdc = cdc_;
    z.t = dia_;
    GravaReducaoZ(&a_->mf, z);
    reducoes_.push_back(z);
    dia_ = Totais{};
}

void Maquina::NovaVersao(const Momento &m, uint8_t a, uint8_t b, uint8_t c)
{
    versao_.quando = m;
    versao_.numero[0] = a;
    versao_.numero[1] = b;
    versao_.numero[2] = c;
    GravaVersaoSB(&a_->mf, ++versoes_, versao_);
}

void Maquina::Reinicio(const Momento &m, bool intervencao)
{
    GravaReinicio(&a_->mf, ++cro_, m, intervencao);
}

void Maquina::Instalacao(const DataHora &vespera)
{
    GravaCabecalhoMF(&a_->mf);
    for (unsigned i = 0; i < NUM_ALIQUOTAS; ++i)
        GravaAliquota(&a_->mf, i + 1, kAliquotas[i].tipo, kAliquotas[i].taxa);
    NovaVersao(NoDia(vespera, 14, 5, 12), 1, 0, 0);
    Reinicio(NoDia(vespera, 14, 20, 3), false);
    Usuario u;
    u.quando = NoDia(vespera, 14, 31, 40);
    u.crz = 0;
    u.cro = cro_;
    u.numero = 1;
    u.gt = 0;
    u.cnpj = "12.345.678/0001-95";
    u.ie = "244.123.456.110";
    u.im = "1.234.567-8";
    u.nome = "MERCEARIA BOA VISTA LTDA";
    usuarios_.push_back(u);
    GravaUsuario(&a_->mf, 1, u);
    quandoCodificacao_ = NoDia(vespera, 14, 33, 9);
    GravaCodificacaoGT(&a_->mf, ++codificacoes_, quandoCodificacao_, 0, kCodificacoes[0]);
    GravaSimboloMoeda(&a_->mf, ++simbolos_, NoDia(vespera, 14, 34, 51), 0, kSimbolos[0]);
    GravaDispositivo(&a_->mf, ++dispositivos_, "MFD7720QX3-000173", 1, 'A');
}

void Maquina::Eventos(unsigned k, unsigned dias, const DataHora &d)
{
    if (mes_ != 0 && d.mes != mes_ && cooMesFim_ != 0) {
        // The month's detail tape is printed and its issue recorded.
        GravaFitaDetalhe(&a_->mf, ++fitas_, NoDia(d, 7, 40, 17), usuarios_.back().numero, cooMesInicio_,
                         cooMesFim_);
        cooMesInicio_ = cooMesFim_ = 0;
    }
    mes_ = d.mes;
    if (k == dias / 4) {
        NovaVersao(NoDia(d, 7, 10, 44), 1, 1, 0);
        Reinicio(NoDia(d, 7, 22, 8), false);
    }
    if (k == dias * 3 / 10)
        GravaSimboloMoeda(&a_->mf, ++simbolos_, NoDia(d, 7, 15, 30), crz_, kSimbolos[1]);
    if (k == dias / 2) {
        // The shop is sold: a new taxpayer with its own detail-tape device.
        Reinicio(NoDia(d, 7, 2, 51), false);
        Usuario u;
        u.quando = NoDia(d, 7, 12, 5);
        u.crz = crz_;
        u.cro = cro_;
        u.numero = 2;
        u.gt = gt_;
        u.cnpj = "98.765.432/0001-10";
        u.ie = "244.987.654.119";
        u.im = "7.654.321-0";
        u.nome = "SUPERMERCADO BOA VISTA EIRELI";
        usuarios_.push_back(u);
        GravaUsuario(&a_->mf, static_cast<unsigned>(usuarios_.size()), u);
        GravaDispositivo(&a_->mf, ++dispositivos_, "MFD7720QX3-000284", 2, 'B');
    }
    if (k == dias * 7 / 10) {
        NovaVersao(NoDia(d, 7, 5, 20), 1, 2, 3);
        Reinicio(NoDia(d, 7, 18, 37), true);
        quandoCodificacao_ = NoDia(d, 7, 25, 2);
        GravaCodificacaoGT(&a_->mf, ++codificacoes_, quandoCodificacao_, crz_, kCodificacoes[1]);
    }
    if (k == dias * 33 / 40) {
        // The same taxpayer registers a new state registration.
        Usuario u = usuarios_.back();
        u.quando = NoDia(d, 7, 30, 48);
        u.crz = crz_;
        u.cro = cro_;
        u.gt = gt_;
        u.ie = "244.987.654.127";
        usuarios_.push_back(u);
        GravaUsuario(&a_->mf, static_cast<unsigned>(usuarios_.size()), u);
    }
}

void Maquina::AbreArquivo(const DataHora &d)
{
    agora_ = NoDia(d, 7, 55, r_.Entre(0, 59));
    Identificacao();
    todosParciais_ = todosNaoFiscais_ = true;
}

void Maquina::DiaDeTrabalho(const DataHora &d, bool atual)
{
    if (atual) {
        f_ = &a_->atual;
    } else {
        a_->arquivos.emplace_back();
        f_ = &a_->arquivos.back().dados;
    }
    AbreArquivo(d);
    if (r_.Chance(20))
        LeituraX();
    unsigned cupons = r_.Entre(2, 6);
    for (unsigned i = 0; i < cupons; ++i) {
        Cupom(false);
        if (ultimoCupom_ && r_.Chance(4))
            CancelaUltimoCupom();
        if (r_.Chance(7))
            Comprovante();
    }
    if (atual) {
        Cupom(true);
        return;
    }
    ReducaoZ();
    ArquivoFita &a = a_->arquivos.back();
    char nome[16];
    std::snprintf(nome, sizeof nome, "%04u%02u%02u.MFD", d.ano, d.mes, d.dia);
    a.nome = nome;
    a.fechamento = agora_.dh;
    a.crz = crz_;
    a.ultimoCoo = coo_;
}

void Maquina::Executa(unsigned dias)
{
    DataHora d{};
    d.ano = 2024;
    d.mes = 1;
    d.dia = 2;
    unsigned semana = 1;   // 2 January 2024 is a Tuesday (Monday 0)
    DataHora vespera{};
    vespera.ano = 2023;
    vespera.mes = 12;
    vespera.dia = 28;
    Instalacao(vespera);
    for (unsigned k = 0; k <= dias; ++k) {
        while (semana == 6 || (d.mes == 12 && d.dia == 25) || (d.mes == 1 && d.dia == 1)) {
            d = DiaSeguinte(d);
            semana = (semana + 1) % 7;
        }
        if (k < dias) {
            Eventos(k, dias, d);
            DiaDeTrabalho(d, false);
            if (k == dias * 9 / 10 && crz_ > 0) {
                // An LMF the accountant asked for, printed after the reduction.
                f_ = &a_->arquivos.back().dados;
                agora_.dh.hora = 22;
                agora_.dh.minuto = 30;
                LeituraMemoriaFiscal();
                a_->arquivos.back().fechamento = agora_.dh;
                a_->arquivos.back().ultimoCoo = coo_;
            }
        } else {
            // Today: the current file, with a cupom still being printed.
            DiaDeTrabalho(d, true);
        }
        d = DiaSeguinte(d);
        semana = (semana + 1) % 7;
    }
}

}  // namespace

void GeraAmostra(uint64_t semente, unsigned dias, Amostra *a)
{
    Maquina m(semente, a);
    m.Executa(dias);
}
