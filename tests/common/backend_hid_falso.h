// A fake HID backend for the tests: devices that can be plugged and
// unplugged or be there without access, input reports queued by the test,
// feature reports, reads that fail, a log of the output reports written,
// and a clock that only moves when the test moves it.  The reader thread's waits end when the test's clock passes
// their deadline, so no test sleeps.
#ifndef TALVOR_TESTS_COMMON_BACKEND_HID_FALSO_H
#define TALVOR_TESTS_COMMON_BACKEND_HID_FALSO_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

struct DispositivoFalso {
    InfoDispositivoHid info;
    bool ligado = true;
    bool permitido = true;              // false: found, but cannot be opened
    std::deque<std::string> entradas;   // input reports waiting to be read
    std::string recurso[2];             // feature reports 0 and 1
    unsigned aberturas = 0;
    unsigned fechamentos = 0;
};

class BackendFalso {
public:
    BackendFalso();
    ~BackendFalso();
    const BackendHid *Tabela() const;

    // Test side.  Every call may wake the reader thread.
    size_t Acrescenta(uint16_t pagina, uint16_t uso, uint32_t entrada, uint32_t saida,
                      uint32_t recurso);
    void Liga(size_t i, bool ligado);
    void Envia(size_t i, const std::string &relatorio);
    void DefineRecurso(size_t i, int id, const std::string &relatorio);
    void FalhaEscrita(int resultado, bool desconecta);   // next writes
    void Permite(size_t i, bool permitido);
    void FalhaLeituras(unsigned quantas);   // the next reads fail, device still there
    void Avanca(uint64_t ms);
    // Blocks until the reader thread is waiting with nothing to do.
    void AguardaOcioso();
    std::vector<std::string> Escritos();
    std::vector<int> RecursosPedidos();
    DispositivoFalso Dispositivo(size_t i);
    bool SemHid = false;   // Abre fails as when the HID library is missing
    unsigned Leituras();  // reads started

    // Backend side (through the table).
    SistemaHid *Abre();
    void Libera();
    int Procura(uint16_t pagina, uint16_t uso, InfoDispositivoHid *info);
    void FechaDispositivo();
    void Sinaliza(EventoHid e);
    EventoHid Espera(uint32_t ms);
    LeituraHid IniciaLeitura(uint8_t *buffer, uint32_t n, uint32_t *lidos);
    LeituraHid ConcluiLeitura(uint32_t *lidos);
    int Escreve(const uint8_t *rel, uint32_t n, bool *desconectado);
    int LeRecurso(uint8_t *buffer, uint32_t n, uint32_t *obtidos);
    uint64_t Relogio();

private:
    bool TemEvento() const;
    void Entrega(uint8_t *buffer, uint32_t n, uint32_t *lidos);

    std::mutex m_;
    std::condition_variable cv_;
    std::vector<DispositivoFalso> dispositivos_;
    int aberto_ = -1;
    bool parar_ = false, pedido_ = false, lendo_ = false;
    uint8_t *buffer_ = nullptr;
    uint32_t n_ = 0;
    uint64_t agora_ = 1000000;
    bool esperando_ = false;
    uint64_t limite_ = 0;
    int falhaEscrita_ = 0;
    bool falhaDesconecta_ = false;
    unsigned leituras_ = 0;
    unsigned falhasLeitura_ = 0;
    std::vector<std::string> escritos_;
    std::vector<int> recursos_;
};

// The fake the table's functions call (one at a time).
extern BackendFalso *backendFalsoAtual;

#endif
