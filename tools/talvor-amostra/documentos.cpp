// The documents of the sample printer's days: the cupom fiscal with its
// items, discounts, surcharges, payments and the cancelling of the last one,
// the comprovante não-fiscal, the Leitura X, the Leitura da Memória Fiscal
// and the Redução Z, each written into the detail tape as it is printed.
#include <cstdio>
#include <cstring>

#include "maquina.h"

namespace {

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

}  // namespace

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
