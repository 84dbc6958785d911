// The sample printer's machine: one working life, kept in its counters and
// totals, written as stream records into the day's detail-tape file and as
// reductions into the fiscal memory.  movimento.cpp holds its records, days
// and events, documentos.cpp the documents it prints.
#ifndef TALVOR_AMOSTRA_MAQUINA_H
#define TALVOR_AMOSTRA_MAQUINA_H

#include <string>
#include <vector>

#include "catalogo.h"

// A number of largura digits with leading zeros; a date as DD/MM/AAAA.
std::string Numero(unsigned largura, uint64_t v);
std::string DataTexto(const DataHora &d);

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

#endif
