// The sample printer's life, day by day: installation, working days with
// their cupons fiscais, comprovantes não-fiscais, Leituras X and the closing
// Redução Z, and the events in between (software updates with restarts, a
// currency symbol, a second taxpayer, GT codings, detail-tape issues).  Every
// document is written as it happens into the day's detail-tape file, and
// every Redução Z goes into the fiscal memory from the same counters and
// totals, so that the two memories agree.
#include <cstdio>
#include <cstring>

#include "maquina.h"

namespace {

const char *const kCodificacoes[2] = {"PERNAMBUCO", "CAMBURINHO"};
const char *const kSimbolos[2] = {"Cr$ ", "R$  "};
const char *const kMensagem = "OBRIGADO PELA PREFERENCIA!                      VOLTE SEMPRE - TROCAS EM ATE 7 DIAS";

std::string DataHoraTexto(const DataHora &d)
{
    char b[16];
    std::snprintf(b, sizeof b, " %02u:%02u:%02u", d.hora, d.minuto, d.segundo);
    return DataTexto(d) + b;
}

// A record's tag and its moment: date, time and seconds.
Bytes ComMomento(uint8_t tag, const Momento &m)
{
    Bytes b{tag};
    PoeBE(&b, 2, m.Data());
    PoeBE(&b, 2, m.Hora());
    b.push_back(m.dh.segundo);
    return b;
}

}  // namespace

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

Bytes Maquina::Inicio(uint8_t tag, const Momento &m)
{
    Bytes b = ComMomento(tag, m);
    PoeBE(&b, 4, coo_);
    return b;
}

void Maquina::Fim(uint8_t tag, const Momento &m)
{
    Poe(ComMomento(tag, m));
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

void GeraAmostra(uint64_t semente, unsigned dias, Amostra *a)
{
    Maquina m(semente, a);
    m.Executa(dias);
}
