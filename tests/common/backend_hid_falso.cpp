// The fake HID backend of the tests (see backend_falso.h).
#include "common/backend_hid_falso.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

BackendFalso *backendFalsoAtual = nullptr;

struct SistemaHid {
    int nada;
};

namespace {

SistemaHid sistemaFalso;

SistemaHid *FAbre() { return backendFalsoAtual->Abre(); }
void FLibera(SistemaHid *) { backendFalsoAtual->Libera(); }
int FProcura(SistemaHid *, uint16_t p, uint16_t u, InfoDispositivoHid *i)
{
    return backendFalsoAtual->Procura(p, u, i);
}
void FFecha(SistemaHid *) { backendFalsoAtual->FechaDispositivo(); }
void FSinaliza(SistemaHid *, EventoHid e) { backendFalsoAtual->Sinaliza(e); }
EventoHid FEspera(SistemaHid *, uint32_t ms) { return backendFalsoAtual->Espera(ms); }
LeituraHid FInicia(SistemaHid *, uint8_t *b, uint32_t n, uint32_t *l)
{
    return backendFalsoAtual->IniciaLeitura(b, n, l);
}
LeituraHid FConclui(SistemaHid *, uint32_t *l) { return backendFalsoAtual->ConcluiLeitura(l); }
int FEscreve(SistemaHid *, const uint8_t *r, uint32_t n, uint32_t, bool *d)
{
    return backendFalsoAtual->Escreve(r, n, d);
}
int FRecurso(SistemaHid *, uint8_t *b, uint32_t n, uint32_t *o)
{
    return backendFalsoAtual->LeRecurso(b, n, o);
}
uint64_t FRelogio() { return backendFalsoAtual->Relogio(); }

const BackendHid kTabela = {FAbre, FLibera, FProcura, FFecha, FSinaliza, FEspera,
                            FInicia, FConclui, FEscreve, FRecurso, FRelogio};

}  // namespace

BackendFalso::BackendFalso()
{
    backendFalsoAtual = this;
}

BackendFalso::~BackendFalso()
{
    backendFalsoAtual = nullptr;
}

const BackendHid *BackendFalso::Tabela() const
{
    return &kTabela;
}

size_t BackendFalso::Acrescenta(uint16_t pagina, uint16_t uso, uint32_t entrada, uint32_t saida,
                                uint32_t recurso)
{
    std::lock_guard<std::mutex> t(m_);
    DispositivoFalso d;
    d.info = {pagina, uso, entrada, saida, recurso, HID_NUMERA_TODOS, ""};
    std::snprintf(d.info.caminho, sizeof d.info.caminho, "falso%zu", dispositivos_.size());
    dispositivos_.push_back(d);
    return dispositivos_.size() - 1;
}

void BackendFalso::Liga(size_t i, bool ligado)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[i].ligado = ligado;
    cv_.notify_all();
}

void BackendFalso::Envia(size_t i, const std::string &relatorio)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[i].entradas.push_back(relatorio);
    cv_.notify_all();
}

void BackendFalso::DefineRecurso(size_t i, int id, const std::string &relatorio)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[i].recurso[id] = relatorio;
}

void BackendFalso::FalhaEscrita(int resultado, bool desconecta)
{
    std::lock_guard<std::mutex> t(m_);
    falhaEscrita_ = resultado;
    falhaDesconecta_ = desconecta;
}

void BackendFalso::Permite(size_t i, bool permitido)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[i].permitido = permitido;
}

void BackendFalso::FalhaLeituras(unsigned quantas)
{
    std::lock_guard<std::mutex> t(m_);
    falhasLeitura_ = quantas;
    cv_.notify_all();
}

void BackendFalso::Avanca(uint64_t ms)
{
    std::lock_guard<std::mutex> t(m_);
    agora_ += ms;
    cv_.notify_all();
}

bool BackendFalso::TemEvento() const
{
    if (parar_ || pedido_)
        return true;
    if (!lendo_ || aberto_ < 0)
        return false;
    const DispositivoFalso &d = dispositivos_[static_cast<size_t>(aberto_)];
    return !d.ligado || !d.entradas.empty();
}

void BackendFalso::AguardaOcioso()
{
    std::unique_lock<std::mutex> t(m_);
    cv_.wait(t, [&] { return esperando_ && !TemEvento() && agora_ < limite_; });
}

std::vector<std::string> BackendFalso::Escritos()
{
    std::lock_guard<std::mutex> t(m_);
    return escritos_;
}

std::vector<int> BackendFalso::RecursosPedidos()
{
    std::lock_guard<std::mutex> t(m_);
    return recursos_;
}

DispositivoFalso BackendFalso::Dispositivo(size_t i)
{
    std::lock_guard<std::mutex> t(m_);
    return dispositivos_[i];
}

unsigned BackendFalso::Leituras()
{
    std::lock_guard<std::mutex> t(m_);
    return leituras_;
}

SistemaHid *BackendFalso::Abre()
{
    std::lock_guard<std::mutex> t(m_);
    parar_ = pedido_ = lendo_ = false;
    return SemHid ? nullptr : &sistemaFalso;
}

void BackendFalso::Libera()
{
    std::lock_guard<std::mutex> t(m_);
    if (aberto_ >= 0)
        ++dispositivos_[static_cast<size_t>(aberto_)].fechamentos;
    aberto_ = -1;
}

int BackendFalso::Procura(uint16_t pagina, uint16_t uso, InfoDispositivoHid *info)
{
    std::lock_guard<std::mutex> t(m_);
    if (aberto_ >= 0)
        ++dispositivos_[static_cast<size_t>(aberto_)].fechamentos;
    aberto_ = -1;
    int r = HID_AUSENTE;
    for (size_t i = 0; i < dispositivos_.size(); ++i) {
        DispositivoFalso &d = dispositivos_[i];
        if (!d.ligado)
            continue;
        bool procurado = d.info.pagina == pagina && d.info.uso == uso;
        if (!d.permitido) {
            if (procurado && r == HID_AUSENTE) {
                r = HID_SEM_PERMISSAO;
                *info = d.info;
            }
            continue;
        }
        ++d.aberturas;
        if (procurado) {
            aberto_ = static_cast<int>(i);
            lendo_ = false;
            *info = d.info;
            return HID_ACHADO;
        }
        ++d.fechamentos;
    }
    return r;
}

void BackendFalso::FechaDispositivo()
{
    std::lock_guard<std::mutex> t(m_);
    if (aberto_ >= 0)
        ++dispositivos_[static_cast<size_t>(aberto_)].fechamentos;
    aberto_ = -1;
    lendo_ = false;
}

void BackendFalso::Sinaliza(EventoHid e)
{
    std::lock_guard<std::mutex> t(m_);
    (e == HID_EVENTO_PARAR ? parar_ : pedido_) = true;
    cv_.notify_all();
}

EventoHid BackendFalso::Espera(uint32_t ms)
{
    std::unique_lock<std::mutex> t(m_);
    limite_ = agora_ + ms;
    esperando_ = true;
    cv_.notify_all();
    cv_.wait(t, [&] { return TemEvento() || agora_ >= limite_; });
    esperando_ = false;
    if (parar_) {
        parar_ = false;
        return HID_EVENTO_PARAR;
    }
    if (pedido_) {
        pedido_ = false;
        return HID_EVENTO_PEDIDO;
    }
    if (TemEvento())
        return HID_EVENTO_LEITURA;
    return HID_EVENTO_TEMPO;
}

void BackendFalso::Entrega(uint8_t *buffer, uint32_t n, uint32_t *lidos)
{
    DispositivoFalso &d = dispositivos_[static_cast<size_t>(aberto_)];
    std::string r = d.entradas.front();
    d.entradas.pop_front();
    *lidos = static_cast<uint32_t>(std::min<size_t>(r.size(), n));
    std::memcpy(buffer, r.data(), *lidos);
}

LeituraHid BackendFalso::IniciaLeitura(uint8_t *buffer, uint32_t n, uint32_t *lidos)
{
    std::lock_guard<std::mutex> t(m_);
    ++leituras_;
    *lidos = 0;
    if (aberto_ < 0 || !dispositivos_[static_cast<size_t>(aberto_)].ligado)
        return HID_DESCONECTADO;
    if (falhasLeitura_ > 0) {
        --falhasLeitura_;
        return HID_FALHOU;
    }
    DispositivoFalso &d = dispositivos_[static_cast<size_t>(aberto_)];
    if (!d.entradas.empty()) {
        Entrega(buffer, n, lidos);
        return HID_LIDO;
    }
    buffer_ = buffer;
    n_ = n;
    lendo_ = true;
    return HID_PENDENTE;
}

LeituraHid BackendFalso::ConcluiLeitura(uint32_t *lidos)
{
    std::lock_guard<std::mutex> t(m_);
    *lidos = 0;
    if (!lendo_ || aberto_ < 0)
        return HID_FALHOU;
    lendo_ = false;
    if (!dispositivos_[static_cast<size_t>(aberto_)].ligado)
        return HID_DESCONECTADO;
    if (falhasLeitura_ > 0) {
        --falhasLeitura_;
        return HID_FALHOU;
    }
    Entrega(buffer_, n_, lidos);
    return HID_LIDO;
}

int BackendFalso::Escreve(const uint8_t *rel, uint32_t n, bool *desconectado)
{
    std::lock_guard<std::mutex> t(m_);
    *desconectado = falhaDesconecta_;
    if (falhaEscrita_ != 0)
        return falhaEscrita_;
    escritos_.emplace_back(reinterpret_cast<const char *>(rel), n);
    return 0;
}

int BackendFalso::LeRecurso(uint8_t *buffer, uint32_t n, uint32_t *obtidos)
{
    std::lock_guard<std::mutex> t(m_);
    recursos_.push_back(buffer[0]);
    *obtidos = 0;
    if (aberto_ < 0)
        return 1;
    const std::string &r = dispositivos_[static_cast<size_t>(aberto_)].recurso[buffer[0] & 1];
    *obtidos = static_cast<uint32_t>(std::min<size_t>(r.size(), n));
    std::memcpy(buffer, r.data(), *obtidos);
    return 0;
}

uint64_t BackendFalso::Relogio()
{
    std::lock_guard<std::mutex> t(m_);
    return agora_;
}
