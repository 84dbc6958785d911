// Type-E records from the detail tape: GeraRegistrosFD walks the record
// stream once, keeps one working record of each type E01, E02 and E14 to
// E21, fills them as the binary records go by, copies the finished ones
// into per-type lists and at the end joins the lists in their fixed order
// (written and signed here, or handed to the fiscal-memory generator in
// combined mode).  The lists are kept within a memory budget: past it, all
// but the last record of each list move to a temporary file of that list,
// copied back into the output in type order (in combined mode by the
// fiscal-memory generator, through EscreveRestoFD).
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "files/assinatura.h"
#include "files/item_list.h"
#include "files/parametros.h"
#include "files/nomes.h"
#include "files/saida.h"
#include "mfd/registro_fd.h"
#include "platform/plataforma.h"
#include "text/datas.h"
#include "text/numeros.h"
#include "tipoe/prefixo_tipoe.h"
#include "tipoe/registros_fd.h"
#include "tipoe/tipoe.h"

namespace {

constexpr uint64_t MASCARA_48 = 0xFFFFFFFFFFFFull;   // 6-byte amounts
constexpr unsigned MAX_ITENS = 1000;                  // item numbers 1 to 1000
constexpr unsigned MAX_PAGAMENTOS = 30;
constexpr unsigned MAX_ESTORNOS = 30;

constexpr uint8_t SAIDA_COMBINADA = 0x10;
constexpr uint8_t SAIDA_REDUCAO = 0x20;

// Document states.
constexpr int DOC_NENHUM = 0;
constexpr int CUPOM_ABERTO = 1;
constexpr int OUTRO_DOCUMENTO = 3;

struct ItemCupom {
    char e15[TAM_E15 + 1];
    uint64_t liquido, desconto, acrescimo;
};

struct ItemComprovante {
    char e20[TAM_E20 + 1];
    uint64_t liquido, desconto, acrescimo;
};

// A name defined by 0x98 or 0x99 with the value of its 0xC5 or 0xC4.
struct EntradaNome {
    char nome[15];
    char valor[13];
    bool definida;
};

struct Pagamento {
    uint8_t meio;
    uint64_t valor;
    uint64_t estornado;
};

// Totals of the open cupom or comprovante.
struct TotaisDocumento {
    uint64_t base;        // sum of the slots at the end of the previous document
    uint64_t desconto;    // subtotal discount amount
    uint64_t acrescimo;   // subtotal surcharge amount
    uint16_t percentualDesconto;
    uint16_t percentualAcrescimo;
    uint64_t subtotal;
};

// The fields of E14 and E19 written by the subtotal records (E19 has the
// layout of E14).
struct DocumentoAberto {
    char *registro;
    TotaisDocumento *totais;
};

enum Lista { L_E14, L_E15, L_E16, L_E17, L_E18, L_E19, L_E20, L_E21, N_LISTAS };

// The temporary file that holds the older records of one list, each as the
// output gets it: its characters and a "\n".
struct Despejo {
    FILE *arquivo;
    char caminho[2 * TAMANHO_NOME + 300];
};

// The length of the records of each list (E19 has the layout of E14).
constexpr size_t kTamanhoLista[N_LISTAS] = {TAM_E14, TAM_E15, TAM_E16, TAM_E17,
                                            TAM_E18, TAM_E14, TAM_E20, TAM_E21};

// Bytes a record costs in memory beyond its text: its list node and the
// allocator's headers of both blocks.
constexpr size_t CUSTO_NO = 48;

size_t g_orcamento = ORCAMENTO_PADRAO_FD;
unsigned g_falhaDespejo = 0;   // test aid: the n-th record written to a temporary file fails

struct EstadoTipoEFD {
    RegistrosTipoEFD r;
    uint8_t parametros[TAMANHO_PARAMETROS];
    uint8_t flags;
    int EstadoCupom;
    int EstadoComprovante;
    bool NoIntervalo;           // the current document lies in the range
    bool intervaloPagamentos;   // in-range flag of the document that made the payments

    struct {
        char tipo;
        uint16_t taxa;
    } aliquotas[16];
    EntradaNome naoFiscais[30];
    EntradaNome meios[30];
    uint64_t parciais[28];
    uint64_t slotsComprovante[30];
    TotaisDocumento cupom;
    TotaisDocumento comprovante;

    ItemCupom itensCupom[MAX_ITENS];
    unsigned nItensCupom;
    ItemComprovante itensComprovante[MAX_ITENS];
    unsigned nItensComprovante;

    Pagamento pagamentos[MAX_PAGAMENTOS];
    Pagamento estornos[MAX_ESTORNOS];
    unsigned nEstornos;
    unsigned estornosDescartados;   // refunds beyond the table, dropped

    char troco[13];
    unsigned decimais;
    bool primeiraDataGravada;
    bool primeiroCRZGravado;
    bool subtotalDado;
    bool descontoOuAcrescimoDado;

    char *ultimoE14;   // the E14 appended for the last cupom, if any
    char *ultimoE19;
    ItemList listas[N_LISTAS];
    Despejo despejos[N_LISTAS];
    size_t emMemoria;        // bytes held by the lists (records and their overhead)
    bool podeDespejar;       // records may go to temporary files
    bool restoPendente;      // combined: E14 to E21 kept for EscreveRestoFD
    bool falhaDespejo;       // a temporary file could not be created or written
    unsigned gravadosDespejo;
};

EstadoTipoEFD E;

// The output of a run.  In combined mode it stays open after a run that
// succeeded: the fiscal-memory generator writes on and finishes it.
ArquivoSaida Saida;

uint64_t Num(const uint8_t *r, size_t n)
{
    return LeNumero(r, n);
}

// Copies a finished record into a new heap block and appends it.  0 or 4.
int Anexa(ItemList *lista, const char *registro, size_t tamanho, char **copia = nullptr)
{
    char *bloco = static_cast<char *>(std::malloc(tamanho + 1));
    if (bloco == nullptr)
        return 4;
    std::memcpy(bloco, registro, tamanho + 1);
    if (lista->Append(bloco) != 0) {
        std::free(bloco);
        return 4;
    }
    if (copia != nullptr)
        *copia = bloco;
    return 0;
}

// Moves all but the last record of every list to the list's temporary file
// (the last ones may still change: a cupom cancelled after its end).  0, or
// 1 with falhaDespejo set.
int Despeja()
{
    for (int l = 0; l < N_LISTAS; ++l) {
        ItemList &lista = E.listas[l];
        if (lista.head == lista.tail)
            continue;
        Despejo &d = E.despejos[l];
        if (d.arquivo == nullptr) {
            if (CriaArquivoTemporario(d.caminho, sizeof d.caminho) != 0) {
                E.falhaDespejo = true;
                return 1;
            }
            d.arquivo = std::fopen(d.caminho, "w+b");
            if (d.arquivo == nullptr) {
                RemoveArquivo(d.caminho);
                d.caminho[0] = '\0';
                E.falhaDespejo = true;
                return 1;
            }
            std::setvbuf(d.arquivo, nullptr, _IOFBF, 64 * 1024);
        }
        while (lista.head != lista.tail) {
            char *texto = static_cast<char *>(lista.PopFront());
            size_t n = std::strlen(texto);
            texto[n] = '\n';
            bool ok = std::fwrite(texto, 1, n + 1, d.arquivo) == n + 1;
            std::free(texto);
            E.emMemoria -= kTamanhoLista[l] + 1 + CUSTO_NO;
            if (g_falhaDespejo != 0 && ++E.gravadosDespejo == g_falhaDespejo)
                ok = false;
            if (!ok) {
                E.falhaDespejo = true;
                return 1;
            }
        }
    }
    return 0;
}

// Anexa to one of the per-type lists, within the memory budget.  0, or
// non-zero when memory or the temporary file failed.
int AnexaLista(Lista l, const char *registro, size_t tamanho, char **copia = nullptr)
{
    if (Anexa(&E.listas[l], registro, tamanho, copia) != 0)
        return 4;
    E.emMemoria += tamanho + 1 + CUSTO_NO;
    if (E.podeDespejar && E.emMemoria > g_orcamento)
        return Despeja();
    return 0;
}

// Closes and removes every temporary file.
void FechaDespejos()
{
    for (Despejo &d : E.despejos) {
        if (d.arquivo != nullptr) {
            std::fclose(d.arquivo);
            d.arquivo = nullptr;
        }
        if (d.caminho[0] != '\0') {
            RemoveArquivo(d.caminho);
            d.caminho[0] = '\0';
        }
    }
}

// Writes one list to the output: its temporary file, then what is still in
// memory.  0, or 1 when the temporary file cannot be read back.
int EscreveLista(ArquivoSaida *out, Lista l)
{
    Despejo &d = E.despejos[l];
    if (d.arquivo != nullptr) {
        static char pedaco[64 * 1024];
        if (std::fflush(d.arquivo) != 0 || std::fseek(d.arquivo, 0, SEEK_SET) != 0)
            return 1;
        size_t lidos;
        while ((lidos = std::fread(pedaco, 1, sizeof pedaco, d.arquivo)) > 0)
            WriteOutput(out, pedaco, lidos);
        if (std::ferror(d.arquivo))
            return 1;
    }
    for (ItemListNode *n = E.listas[l].head; n != nullptr; n = n->next) {
        const char *texto = static_cast<const char *>(n->item);
        WriteOutput(out, texto, std::strlen(texto));
        WriteOutput(out, "\n", 1);
    }
    return 0;
}

bool NoIntervaloFD(const uint8_t *registro)
{
    switch (E.flags & 0x0F) {
    case FAIXA_DATAS: {
        uint16_t data = static_cast<uint16_t>(Num(registro + 1, 2));
        return data >= LimiteInicio16(E.parametros) && data <= LimiteFim16(E.parametros);
    }
    case FAIXA_CONTADOR32: {
        uint32_t coo = static_cast<uint32_t>(Num(registro + 6, 4));
        return coo >= LimiteInicio32(E.parametros) && coo <= LimiteFim32(E.parametros);
    }
    default:
        return true;
    }
}

void DatasE01(const uint8_t *registro)
{
    uint16_t data = static_cast<uint16_t>(Num(registro + 1, 2));
    if (!E.primeiraDataGravada) {
        DataParaTexto(data, E.r.e01 + 127);
        E.primeiraDataGravada = true;
    }
    DataParaTexto(data, E.r.e01 + 135);
}

void PoeDataHora(char *data8, char *hora6, const uint8_t *registro)
{
    DataParaTexto(static_cast<uint16_t>(Num(registro + 1, 2)), data8);
    HoraParaTexto(static_cast<uint16_t>(Num(registro + 3, 2)), registro[5], hora6);
}

uint64_t Percentual(uint64_t valor, uint16_t p)
{
    // Hundredths of a percent; an exact half goes to the odd neighbour.
    uint64_t x = (valor & MASCARA_48) * p;
    uint64_t q = x / 10000;
    uint64_t resto = x % 10000;
    if (resto > 5000 || (resto == 5000 && q % 2 == 0))
        ++q;
    return q;
}

// Net total of an item: quantity x unit price scaled to hundredths;
// truncated, or rounded with an exact half to the even neighbour.
uint64_t TotalItem(uint32_t quantidade, uint32_t preco, bool truncar)
{
    uint64_t produto = static_cast<uint64_t>(quantidade) * preco;
    if (E.decimais < 2) {
        for (unsigned i = E.decimais; i < 2; ++i)
            produto *= 10;
        return produto & MASCARA_48;
    }
    unsigned expoente = E.decimais - 2;
    if (expoente == 0)
        return produto & MASCARA_48;
    if (expoente >= 20)
        return 0;
    uint64_t divisor = 1;
    for (unsigned i = 0; i < expoente; ++i)
        divisor *= 10;
    uint64_t q = produto / divisor;
    uint64_t resto = produto % divisor;
    if (!truncar) {
        uint64_t metade = divisor / 2;
        if (resto > metade || (resto == metade && q % 2 == 1))
            ++q;
    }
    return q & MASCARA_48;
}

void RotuloTotalizador(char *destino7, uint8_t codigo)
{
    char rotulo[8];
    std::memset(rotulo, ' ', 7);
    unsigned n = codigo & 0x0F;
    if ((codigo & 0x80) == 0) {
        PoeNumeroTipoE(rotulo, 2, n + 1);
        char tipo = E.aliquotas[n].tipo;
        rotulo[2] = tipo == '\0' ? ' ' : tipo;
        PoeNumeroTipoE(rotulo + 3, 4, E.aliquotas[n].taxa);
    } else {
        static const char kLetras[4] = {'F', 'I', 'N', 'X'};
        size_t i = 0;
        rotulo[i++] = kLetras[(codigo >> 4) & 0x03];
        if (codigo & 0x40)
            rotulo[i++] = 'S';
        if (n + 1 >= 10)
            rotulo[i++] = static_cast<char>('0' + (n + 1) / 10);
        rotulo[i++] = static_cast<char>('0' + (n + 1) % 10);
    }
    std::memcpy(destino7, rotulo, 7);
}

int SlotParcial(uint8_t codigo)
{
    unsigned n = codigo & 0x0F;
    if ((codigo & 0x80) == 0)
        return static_cast<int>(n);
    unsigned slot = 16 + 2 * ((codigo >> 6) & 1) + 4 * ((codigo >> 4) & 3) + n;
    return slot < 28 ? static_cast<int>(slot) : -1;
}

// Payments gathered since the last flush become E21 records when the
// document that made them was in range; in every case they are cleared.
int DescarregaPagamentos()
{
    if (E.intervaloPagamentos) {
        char e21[TAM_E21 + 1];
        for (unsigned i = 0; i < MAX_PAGAMENTOS && E.pagamentos[i].valor != 0; ++i) {
            const Pagamento &p = E.pagamentos[i];
            std::memcpy(e21, E.r.e21, sizeof e21);
            if (p.meio < 30)
                PoeTextoTipoE(e21 + 64, reinterpret_cast<const uint8_t *>(E.meios[p.meio].nome), 15);
            PoeNumeroTipoE(e21 + 79, 13, p.valor);
            if (p.estornado != 0) {
                e21[92] = 'S';
                PoeNumeroTipoE(e21 + 93, 13, (p.valor - p.estornado) & MASCARA_48);
            } else {
                e21[92] = 'N';
                PoeRepetidoTipoE(e21 + 93, '0', 13);
            }
            if (AnexaLista(L_E21, e21, TAM_E21) != 0)
                return 4;
        }
        for (unsigned i = 0; i < E.nEstornos; ++i) {
            const Pagamento &p = E.estornos[i];
            std::memcpy(e21, E.r.e21, sizeof e21);
            if (p.meio < 30)
                PoeTextoTipoE(e21 + 64, reinterpret_cast<const uint8_t *>(E.meios[p.meio].nome), 15);
            PoeNumeroTipoE(e21 + 79, 13, p.valor);
            e21[92] = 'S';
            PoeNumeroTipoE(e21 + 93, 13, p.estornado);
            if (AnexaLista(L_E21, e21, TAM_E21) != 0)
                return 4;
        }
    }
    std::memset(E.pagamentos, 0, sizeof E.pagamentos);
    std::memset(E.estornos, 0, sizeof E.estornos);
    E.nEstornos = 0;
    RestauraE21(E.r.e21);
    return 0;
}

void RegistraPagamento(const uint8_t *r)
{
    if (r[1] >= MAX_PAGAMENTOS)
        return;
    Pagamento &slot = E.pagamentos[r[1]];
    uint8_t meio = r[2];
    uint64_t valor = Num(r + 4, 6);
    if (slot.valor == 0) {
        slot.meio = meio;
        slot.valor = valor;
    } else if (slot.meio != meio) {
        // The line now holds another method: the earlier one was refunded.
        if (E.nEstornos < MAX_ESTORNOS) {
            Pagamento &estorno = E.estornos[E.nEstornos++];
            estorno.meio = slot.meio;
            estorno.valor = slot.valor;
            estorno.estornado = slot.valor;
        } else {
            ++E.estornosDescartados;
        }
        slot.meio = meio;
        slot.valor = valor;
        slot.estornado = 0;
    } else if (slot.valor != valor) {
        slot.estornado = valor;
    }
}

// Clears what a cupom (or comprovante) leaves behind in its working record
// and totals, so that nothing of an unfinished document reaches the next.
void LimpaDocumento(char *registro, TotaisDocumento *t, bool comprovante)
{
    if (comprovante)
        RestauraE19(registro);
    else
        RestauraE14(registro);
    uint64_t base = t->base;
    std::memset(t, 0, sizeof *t);
    t->base = base;
    E.subtotalDado = false;
    E.descontoOuAcrescimoDado = false;
}

void SubtotalPorValor(DocumentoAberto d, const uint8_t *r)
{
    uint64_t valor = Num(r + 2, 6);
    bool desconto = r[1] == 1;
    if (desconto) {
        PoeNumeroTipoE(d.registro + 80, 13, valor);
        d.registro[93] = 'V';
        d.totais->desconto = valor;
    } else {
        PoeNumeroTipoE(d.registro + 94, 13, valor);
        d.registro[107] = 'V';
        d.totais->acrescimo = valor;
    }
    if (d.registro[136] == ' ')
        d.registro[136] = desconto ? 'D' : 'A';
    E.descontoOuAcrescimoDado = true;
}

void SubtotalPorPercentual(DocumentoAberto d, const uint8_t *r)
{
    uint16_t p = static_cast<uint16_t>(Num(r + 2, 2));
    bool desconto = r[1] == 1;
    TotaisDocumento *t = d.totais;
    if (desconto) {
        if (t->subtotal != 0) {
            t->desconto = Percentual(t->subtotal, p);
            t->subtotal = (t->subtotal - t->desconto) & MASCARA_48;
        }
        PoeNumeroTipoE(d.registro + 80, 13, p);
        d.registro[93] = 'P';
        t->percentualDesconto = p;
    } else {
        if (t->subtotal != 0) {
            t->acrescimo = Percentual(t->subtotal, p);
            t->subtotal = (t->subtotal + t->acrescimo) & MASCARA_48;
        }
        PoeNumeroTipoE(d.registro + 94, 13, p);
        d.registro[107] = 'P';
        t->percentualAcrescimo = p;
    }
    if (d.registro[136] == ' ')
        d.registro[136] = desconto ? 'D' : 'A';
    E.descontoOuAcrescimoDado = true;
}

void CancelaSubtotal(DocumentoAberto d, const uint8_t *r)
{
    TotaisDocumento *t = d.totais;
    if (r[1] == 1) {
        t->subtotal = (t->subtotal + t->desconto) & MASCARA_48;
        PoeRepetidoTipoE(d.registro + 80, '0', 13);
        t->desconto = 0;
        t->percentualDesconto = 0;
    } else {
        t->subtotal = (t->subtotal - t->acrescimo) & MASCARA_48;
        PoeNumeroTipoE(d.registro + 123, 13, t->acrescimo);
        PoeRepetidoTipoE(d.registro + 94, '0', 13);
        t->acrescimo = 0;
        t->percentualAcrescimo = 0;
    }
}

// Result, subtotal and closing fields shared by the cupom and comprovante
// ends; appends the record when in range.  0 or 4.
int FechaDocumento(char *registro, TotaisDocumento *t, const uint64_t *slots, unsigned nSlots,
                   bool cancelado, Lista lista, char **ultimo)
{
    uint64_t soma = 0;
    for (unsigned i = 0; i < nSlots; ++i)
        soma += slots[i];
    soma &= MASCARA_48;
    uint64_t resultado = (soma - t->base) & MASCARA_48;
    t->base = soma;
    PoeNumeroTipoE(registro + 108, 14, resultado);
    if (!E.subtotalDado) {
        t->subtotal = resultado;
        if (E.descontoOuAcrescimoDado && registro[93] == 'V' && registro[107] == 'V')
            t->subtotal = (resultado - t->acrescimo + t->desconto) & MASCARA_48;
        PoeNumeroTipoE(registro + 66, 14, t->subtotal);
    }
    t->desconto = 0;
    t->acrescimo = 0;
    t->percentualDesconto = 0;
    t->percentualAcrescimo = 0;
    registro[122] = cancelado ? 'S' : 'N';
    *ultimo = nullptr;
    if (E.NoIntervalo && AnexaLista(lista, registro, TAM_E14, ultimo) != 0)
        return 4;
    E.subtotalDado = false;
    E.descontoOuAcrescimoDado = false;
    return 0;
}

int FimCupom(bool cancelado)
{
    if (FechaDocumento(E.r.e14, &E.cupom, E.parciais, 28, cancelado, L_E14, &E.ultimoE14) != 0)
        return 4;
    RestauraE14(E.r.e14);
    for (unsigned i = 0; i < E.nItensCupom; ++i) {
        ItemCupom &it = E.itensCupom[i];
        PoeNumeroTipoE(it.e15 + 209, 14, it.liquido);
        PoeNumeroTipoE(it.e15 + 193, 8, it.desconto);
        PoeNumeroTipoE(it.e15 + 201, 8, it.acrescimo);
        if (E.NoIntervalo && AnexaLista(L_E15, it.e15, TAM_E15) != 0)
            return 4;
    }
    return 0;
}

int FimComprovante(bool cancelado)
{
    if (FechaDocumento(E.r.e19, &E.comprovante, E.slotsComprovante, 30, cancelado, L_E19,
                       &E.ultimoE19) != 0)
        return 4;
    RestauraE19(E.r.e19);
    for (unsigned i = 0; i < E.nItensComprovante; ++i) {
        ItemComprovante &it = E.itensComprovante[i];
        PoeNumeroTipoE(it.e20 + 115, 13, it.liquido);
        PoeNumeroTipoE(it.e20 + 89, 13, it.desconto);
        PoeNumeroTipoE(it.e20 + 102, 13, it.acrescimo);
        if (E.NoIntervalo && AnexaLista(L_E20, it.e20, TAM_E20) != 0)
            return 4;
    }
    return 0;
}

const char *NomeDocumentoE16(uint8_t tag)
{
    switch (tag) {
    case 0xA2: case 0xB2: return "MF";
    case 0xA3: case 0xB3: return "RZ";
    case 0xA4: case 0xB4: return "LX";
    case 0xA5: return "CN";
    case 0xA6: return "RG";
    case 0xA7: return "CC";
    default: return "NC";   // 0xAA, 0xB5, 0xBA
    }
}

int FimE16(const uint8_t *r)
{
    std::memcpy(E.r.e16 + 74, NomeDocumentoE16(r[0]), 2);
    PoeDataHora(E.r.e16 + 76, E.r.e16 + 84, r);
    if (E.NoIntervalo && AnexaLista(L_E16, E.r.e16, TAM_E16) != 0)
        return 4;
    RestauraE16(E.r.e16);
    return 0;
}

// E17 and E18 of a Redução Z, with the change of the day as "TROCO".
int TotaisReducao()
{
    for (const EntradaNome &t : E.naoFiscais) {
        if (!t.definida)
            continue;
        PoeTextoTipoE(E.r.e17 + 52, reinterpret_cast<const uint8_t *>(t.nome), 15);
        std::memcpy(E.r.e17 + 67, t.valor, 13);
        if (AnexaLista(L_E17, E.r.e17, TAM_E17) != 0)
            return 4;
    }
    for (const EntradaNome &m : E.meios) {
        if (!m.definida)
            continue;
        PoeTextoTipoE(E.r.e18 + 52, reinterpret_cast<const uint8_t *>(m.nome), 15);
        std::memcpy(E.r.e18 + 67, m.valor, 13);
        if (AnexaLista(L_E18, E.r.e18, TAM_E18) != 0)
            return 4;
    }
    std::memcpy(E.r.e18 + 52, "TROCO          ", 15);
    std::memcpy(E.r.e18 + 67, E.troco, 13);
    if (AnexaLista(L_E18, E.r.e18, TAM_E18) != 0)
        return 4;
    PoeRepetidoTipoE(E.troco, '0', 13);
    return 0;
}

// The item entry of a position (counted from 0) in the open cupom.
ItemCupom *ItemDoCupom(const uint8_t *r)
{
    unsigned posicao = static_cast<unsigned>(Num(r + 1, 2));
    if (E.EstadoCupom != CUPOM_ABERTO || posicao >= MAX_ITENS)
        return nullptr;
    return &E.itensCupom[posicao];
}

ItemComprovante *ItemDoComprovante(const uint8_t *r)
{
    unsigned posicao = static_cast<unsigned>(Num(r + 1, 2));
    if (E.EstadoComprovante != OUTRO_DOCUMENTO || posicao >= MAX_ITENS)
        return nullptr;
    return &E.itensComprovante[posicao];
}

// Applies an item change to the open cupom's and comprovante's item.
template <typename F>
void MudaItem(const uint8_t *r, F muda)
{
    if (ItemCupom *i = ItemDoCupom(r))
        muda(i->liquido, i->desconto, i->acrescimo, i->e15 + 251);
    if (ItemComprovante *i = ItemDoComprovante(r))
        muda(i->liquido, i->desconto, i->acrescimo, i->e20 + 129);
}

void ItemVendido(const uint8_t *r)
{
    unsigned n = static_cast<unsigned>(Num(r + 1, 2));
    if (n < 1 || n > MAX_ITENS)
        return;
    ItemCupom &it = E.itensCupom[n - 1];
    char *e15 = it.e15;
    std::memcpy(e15, E.r.e15, sizeof it.e15);
    PoeNumeroTipoE(e15 + 58, 3, n);
    PoeTextoTipoE(e15 + 61, r + 3, 14);
    unsigned comprimento = static_cast<unsigned>(Num(r + 30, 2));   // the reader allows 28
    if (comprimento > 28)
        comprimento = 28;
    PoeRepetidoTipoE(e15 + 75, ' ', 100);
    PoeTextoTipoE(e15 + 75, r + 32, comprimento);
    uint32_t quantidade = static_cast<uint32_t>(Num(r + 17, 4));
    uint32_t preco = static_cast<uint32_t>(Num(r + 24, 4));
    PoeNumeroTipoE(e15 + 175, 7, quantidade);
    PoeTextoTipoE(e15 + 182, r + 21, 3);
    PoeNumeroTipoE(e15 + 185, 8, preco);
    e15[230] = 'N';
    bool truncar = r[29] == 1;
    e15[264] = truncar ? 'T' : 'A';
    RotuloTotalizador(e15 + 223, r[28]);
    it.desconto = 0;
    it.acrescimo = 0;
    it.liquido = TotalItem(quantidade, preco, truncar);
    if (E.nItensCupom < MAX_ITENS)
        ++E.nItensCupom;
}

void ItemNaoFiscal(const uint8_t *r)
{
    unsigned n = static_cast<unsigned>(Num(r + 1, 2));
    if (n < 1 || n > MAX_ITENS)
        return;
    ItemComprovante &it = E.itensComprovante[n - 1];
    char *e20 = it.e20;
    std::memcpy(e20, E.r.e20, sizeof it.e20);
    PoeNumeroTipoE(e20 + 58, 3, n);
    uint8_t indice = r[3];
    if (indice < 30 && E.naoFiscais[indice].definida)
        PoeTextoTipoE(e20 + 61, reinterpret_cast<const uint8_t *>(E.naoFiscais[indice].nome), 15);
    uint64_t valor = Num(r + 4, 6);
    PoeNumeroTipoE(e20 + 76, 13, valor);
    e20[128] = 'N';
    it.liquido = valor;
    it.desconto = 0;
    it.acrescimo = 0;
    if (E.nItensComprovante < MAX_ITENS)
        ++E.nItensComprovante;
}

// Identification records: E01, E02 and the prefix of every record.
void IdentificacaoTipoE(const uint8_t *r)
{
    char *e01 = E.r.e01;
    switch (r[0]) {
    case 0x90: {
        char *registros[] = {E.r.e02, E.r.e14, E.r.e15, E.r.e16, E.r.e17,
                             E.r.e18, E.r.e19, E.r.e20, E.r.e21};
        for (char *reg : registros) {
            char tipo[3] = {reg[0], reg[1], reg[2]};
            PrefixoTipoE(reg, tipo, r + 1, r + 41);
        }
        PoeTextoTipoE(e01 + 3, r + 1, 20);
        e01[23] = ' ';
        PoeTextoTipoE(e01 + 24, r + 61, 7);
        PoeTextoTipoE(e01 + 31, r + 21, 20);
        PoeTextoTipoE(e01 + 51, r + 41, 20);
        break;
    }
    case 0x91:
        for (int i = 0; i < 3; ++i) {
            char *d = e01 + 71 + 3 * i;
            if (r[6 + i] >= 100)
                std::memcpy(d, "XX", 2);
            else
                PoeNumeroTipoE(d, 2, r[6 + i]);
            if (i < 2)
                d[2] = '.';
        }
        std::memcpy(e01 + 79, "  ", 2);
        PoeDataHora(e01 + 81, e01 + 89, r);
        break;
    case 0x92: {
        const char *cnpj = reinterpret_cast<const char *>(r + 6);
        ExtraiDigitos(e01 + 98, cnpj, 20);
        ExtraiDigitos(E.r.e02 + 44, cnpj, 20);
        ExtraiDigitos(E.r.e02 + 58, reinterpret_cast<const char *>(r + 26), 20);
        PoeDataHora(E.r.e02 + 232, E.r.e02 + 240, r);
        PoeNumeroTipoE(E.r.e02 + 246, 6, r[66]);
        PoeNumeroTipoE(E.r.e02 + 252, 18, Num(r + 67, 8));
        PoeNumeroTipoE(E.r.e02 + 270, 2, r[75]);
        char *registros[] = {E.r.e14, E.r.e15, E.r.e16, E.r.e17, E.r.e18,
                             E.r.e19, E.r.e20, E.r.e21};
        for (char *reg : registros)
            PoeNumeroTipoE(reg + 44, 2, r[75]);
        break;
    }
    case 0x94:
        PoeTextoTipoE(e01 + 95, r + 1, 3);
        break;
    case 0x95:
        // Header lines 1 to 3 (indexes 0 to 2) are the name and the address.
        if (r[1] == 0)
            PoeTextoTipoE(E.r.e02 + 72, r + 3, 40);
        else if (r[1] == 1)
            PoeTextoTipoE(E.r.e02 + 112, r + 3, 48);
        else if (r[1] == 2)
            PoeTextoTipoE(E.r.e02 + 160, r + 3, 48);
        break;
    default:
        break;
    }
}

void InicioCupom(const uint8_t *r)
{
    LimpaDocumento(E.r.e14, &E.cupom, false);
    E.EstadoCupom = CUPOM_ABERTO;
    E.nItensCupom = 0;
    E.ultimoE14 = nullptr;
    uint32_t coo = static_cast<uint32_t>(Num(r + 6, 4));
    uint32_t ccf = static_cast<uint32_t>(Num(r + 10, 4));
    PoeNumeroTipoE(E.r.e14 + 46, 6, ccf);
    PoeNumeroTipoE(E.r.e14 + 52, 6, coo);
    DataParaTexto(static_cast<uint16_t>(Num(r + 1, 2)), E.r.e14 + 58);
    PoeNumeroTipoE(E.r.e15 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e15 + 52, 6, ccf);
    PoeNumeroTipoE(E.r.e21 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e21 + 52, 6, ccf);
}

void InicioComprovante(const uint8_t *r)
{
    LimpaDocumento(E.r.e19, &E.comprovante, true);
    E.EstadoComprovante = OUTRO_DOCUMENTO;
    E.nItensComprovante = 0;
    E.ultimoE19 = nullptr;
    uint32_t coo = static_cast<uint32_t>(Num(r + 6, 4));
    uint32_t gnf = static_cast<uint32_t>(Num(r + 10, 4));
    PoeNumeroTipoE(E.r.e19 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e19 + 52, 6, gnf);
    DataParaTexto(static_cast<uint16_t>(Num(r + 1, 2)), E.r.e19 + 58);
    PoeNumeroTipoE(E.r.e20 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e20 + 52, 6, gnf);
    PoeNumeroTipoE(E.r.e21 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e21 + 58, 6, gnf);
    PoeNumeroTipoE(E.r.e16 + 46, 6, coo);
    PoeNumeroTipoE(E.r.e16 + 52, 6, gnf);
}

// Other documents: LMF, Leitura X, relatório gerencial, crédito ou débito,
// non-fiscal cancellation.
void InicioOutroDocumento(const uint8_t *r)
{
    if (E.NoIntervalo)
        DatasE01(r);
    if (E.EstadoCupom != DOC_NENHUM)
        return;
    E.EstadoCupom = OUTRO_DOCUMENTO;
    PoeNumeroTipoE(E.r.e16 + 46, 6, Num(r + 6, 4));
    switch (r[0]) {
    case 0x86:
        PoeNumeroTipoE(E.r.e16 + 52, 6, Num(r + 10, 4));
        PoeNumeroTipoE(E.r.e16 + 58, 6, Num(r + 14, 4));
        break;
    case 0x87:
        PoeNumeroTipoE(E.r.e16 + 52, 6, Num(r + 10, 4));
        PoeNumeroTipoE(E.r.e16 + 64, 4, Num(r + 14, 2));
        break;
    case 0x8A:
        PoeNumeroTipoE(E.r.e16 + 52, 6, Num(r + 10, 4));
        break;
    default:
        break;
    }
}

void InicioReducao(const uint8_t *r)
{
    E.cupom.base = 0;
    std::memset(E.parciais, 0, sizeof E.parciais);
    std::memset(E.slotsComprovante, 0, sizeof E.slotsComprovante);
    std::memset(&E.comprovante, 0, sizeof E.comprovante);
    uint16_t crz = static_cast<uint16_t>(Num(r + 10, 2));
    if (E.NoIntervalo) {
        if (!E.primeiroCRZGravado) {
            PoeNumeroTipoE(E.r.e01 + 115, 6, crz);
            E.primeiroCRZGravado = true;
        }
        PoeNumeroTipoE(E.r.e01 + 121, 6, crz);
        DatasE01(r);
    }
    if (E.EstadoCupom == DOC_NENHUM) {
        E.EstadoCupom = OUTRO_DOCUMENTO;
        PoeNumeroTipoE(E.r.e16 + 46, 6, Num(r + 6, 4));
        PoeNumeroTipoE(E.r.e16 + 68, 6, crz);
    }
    PoeNumeroTipoE(E.r.e17 + 46, 6, crz);
    PoeNumeroTipoE(E.r.e18 + 46, 6, crz);
}

// Acts on one record.  0, or 4 when a record copy cannot be obtained.
int ProcessaRegistro(const uint8_t *r)
{
    uint8_t tag = r[0];
    switch (tag) {
    case 0x81:
        if (DescarregaPagamentos() != 0)
            return 4;
        DatasE01(r);
        InicioCupom(r);
        E.intervaloPagamentos = E.NoIntervalo;
        break;
    case 0x85:
        if (DescarregaPagamentos() != 0)
            return 4;
        DatasE01(r);
        InicioComprovante(r);
        E.intervaloPagamentos = E.NoIntervalo;
        break;
    case 0x82: case 0x84: case 0x86: case 0x87: case 0x8A:
        InicioOutroDocumento(r);
        break;
    case 0x83:
        InicioReducao(r);
        break;
    case 0x88:
        if (E.EstadoCupom == DOC_NENHUM) {
            E.EstadoCupom = OUTRO_DOCUMENTO;
            if (E.NoIntervalo && E.ultimoE14 != nullptr)
                E.ultimoE14[122] = 'S';
        }
        break;
    case 0x8C:
        if (E.EstadoComprovante == DOC_NENHUM) {
            E.EstadoComprovante = OUTRO_DOCUMENTO;
            if (E.NoIntervalo && E.ultimoE19 != nullptr)
                E.ultimoE19[122] = 'S';
        }
        break;
    case 0x8B: {
        // The buyer belongs to the document open when it was given.
        char *registros[2] = {E.EstadoCupom == CUPOM_ABERTO ? E.r.e14 : nullptr,
                              E.EstadoComprovante == OUTRO_DOCUMENTO ? E.r.e19 : nullptr};
        for (char *reg : registros) {
            if (reg == nullptr)
                continue;
            PoeRepetidoTipoE(reg + 137, ' ', 40);
            PoeTextoTipoE(reg + 137, r + 21, 30);
            ExtraiDigitos(reg + 177, reg + 137, 30);
        }
        break;
    }
    case 0x90: case 0x91: case 0x92: case 0x94: case 0x95:
        IdentificacaoTipoE(r);
        break;
    case 0x93:
        PoeNumeroTipoE(E.r.e15 + 265, 1, r[1]);
        PoeNumeroTipoE(E.r.e15 + 266, 1, r[2]);
        E.decimais = static_cast<unsigned>(r[1]) + r[2];
        break;
    case 0x96:
        if (r[1] < 16) {
            E.aliquotas[r[1]].tipo = static_cast<char>(r[2]);
            E.aliquotas[r[1]].taxa = static_cast<uint16_t>(Num(r + 3, 2));
        }
        break;
    case 0x98: case 0x99: {
        if (r[1] >= 30)
            break;
        EntradaNome &e = tag == 0x98 ? E.naoFiscais[r[1]] : E.meios[r[1]];
        std::memcpy(e.nome, r + (tag == 0x98 ? 3 : 4), 15);
        PoeRepetidoTipoE(e.valor, '0', 13);
        e.definida = true;
        break;
    }
    case 0xA1: case 0xB1:
        if (E.EstadoCupom == CUPOM_ABERTO) {
            E.EstadoCupom = DOC_NENHUM;
            return FimCupom(tag == 0xB1);
        }
        break;
    case 0xA2: case 0xA3: case 0xA4: case 0xA6: case 0xA7: case 0xAA:
    case 0xB2: case 0xB3: case 0xB4: case 0xBA:
        if (E.EstadoCupom == OUTRO_DOCUMENTO) {
            E.EstadoCupom = DOC_NENHUM;
            if (FimE16(r) != 0)
                return 4;
            if (tag == 0xA3 && E.NoIntervalo)
                return TotaisReducao();
        }
        break;
    case 0xA5: case 0xB5:
        if (E.EstadoComprovante == OUTRO_DOCUMENTO) {
            E.EstadoComprovante = DOC_NENHUM;
            if (FimE16(r) != 0)
                return 4;
            return FimComprovante(tag == 0xB5);
        }
        break;
    case 0xA8:
        if (E.EstadoCupom == OUTRO_DOCUMENTO) {
            E.EstadoCupom = DOC_NENHUM;
            uint64_t soma = 0;
            for (uint64_t v : E.parciais)
                soma += v;
            E.cupom.base = soma & MASCARA_48;
        }
        break;
    case 0xAC:
        if (E.EstadoComprovante == OUTRO_DOCUMENTO) {
            E.EstadoComprovante = DOC_NENHUM;
            uint64_t soma = 0;
            for (uint64_t v : E.slotsComprovante)
                soma += v;
            E.comprovante.base = soma & MASCARA_48;
        }
        break;
    case 0xC1: {
        uint64_t valor = Num(r + 1, 6);
        if (E.EstadoCupom == CUPOM_ABERTO) {
            PoeNumeroTipoE(E.r.e14 + 66, 14, valor);
            E.cupom.subtotal = valor;
            E.subtotalDado = true;
        }
        if (E.EstadoComprovante == OUTRO_DOCUMENTO) {
            PoeNumeroTipoE(E.r.e19 + 66, 14, valor);
            E.comprovante.subtotal = valor;
            E.subtotalDado = true;
        }
        break;
    }
    case 0xC2:
        PoeNumeroTipoE(E.troco, 13, Num(r + 1, 6));
        break;
    case 0xC3: {
        int slot = SlotParcial(r[1]);
        if (slot >= 0)
            E.parciais[slot] = Num(r + 2, 6);
        break;
    }
    case 0xC4:
        if (r[1] < 30)
            PoeNumeroTipoE(E.meios[r[1]].valor, 13, Num(r + 2, 6));
        break;
    case 0xC5:
        if (r[1] < 30) {
            E.slotsComprovante[r[1]] = Num(r + 2, 6);
            PoeNumeroTipoE(E.naoFiscais[r[1]].valor, 13, Num(r + 2, 6));
        }
        break;
    case 0xD0: case 0xD1: {
        uint64_t valor = Num(r + 3, 6);
        bool acrescimo = tag == 0xD0;
        MudaItem(r, [&](uint64_t &liquido, uint64_t &desconto, uint64_t &acr, char *) {
            if (acrescimo) {
                acr = valor;
                liquido = (liquido + valor) & MASCARA_48;
            } else {
                desconto = valor;
                liquido = (liquido - valor) & MASCARA_48;
            }
        });
        break;
    }
    case 0xD3:
        if (ItemCupom *i = ItemDoCupom(r))
            i->e15[230] = 'S';
        if (ItemComprovante *i = ItemDoComprovante(r))
            i->e20[128] = 'S';
        break;
    case 0xD5: case 0xD6:
        if (E.EstadoCupom == CUPOM_ABERTO || E.EstadoComprovante == OUTRO_DOCUMENTO)
            RegistraPagamento(r);
        break;
    case 0xD7:
        if (E.EstadoCupom == CUPOM_ABERTO)
            ItemVendido(r);
        break;
    case 0xD8:
        MudaItem(r, [](uint64_t &liquido, uint64_t &, uint64_t &acr, char *campo) {
            PoeNumeroTipoE(campo, 13, acr);
            liquido = (liquido - acr) & MASCARA_48;
            acr = 0;
        });
        break;
    case 0xD9:
        MudaItem(r, [](uint64_t &liquido, uint64_t &desconto, uint64_t &, char *) {
            liquido = (liquido + desconto) & MASCARA_48;
            desconto = 0;
        });
        break;
    case 0xDA: case 0xDB: case 0xDC: {
        DocumentoAberto docs[2] = {{E.r.e14, &E.cupom}, {E.r.e19, &E.comprovante}};
        bool abertos[2] = {E.EstadoCupom == CUPOM_ABERTO, E.EstadoComprovante == OUTRO_DOCUMENTO};
        for (int i = 0; i < 2; ++i) {
            if (!abertos[i])
                continue;
            if (tag == 0xDA)
                SubtotalPorValor(docs[i], r);
            else if (tag == 0xDB)
                SubtotalPorPercentual(docs[i], r);
            else
                CancelaSubtotal(docs[i], r);
        }
        break;
    }
    case 0xDD: case 0xDE: {
        uint16_t p = static_cast<uint16_t>(Num(r + 3, 2));
        bool acrescimo = tag == 0xDD;
        MudaItem(r, [&](uint64_t &liquido, uint64_t &desconto, uint64_t &acr, char *) {
            uint64_t v = Percentual(liquido, p);
            if (acrescimo) {
                acr = v;
                liquido = (liquido + v) & MASCARA_48;
            } else {
                desconto = v;
                liquido = (liquido - v) & MASCARA_48;
            }
        });
        break;
    }
    case 0xDF:
        if (E.EstadoComprovante == OUTRO_DOCUMENTO)
            ItemNaoFiscal(r);
        break;
    default:
        break;
    }
    return 0;
}

void IniciaEstado(uint8_t flags)
{
    for (ItemList &l : E.listas)
        l.Init();
    for (Despejo &d : E.despejos) {
        d.arquivo = nullptr;
        d.caminho[0] = '\0';
    }
    E.emMemoria = 0;
    E.podeDespejar = false;
    E.falhaDespejo = false;
    E.gravadosDespejo = 0;
    std::memset(E.aliquotas, 0, sizeof E.aliquotas);
    std::memset(E.naoFiscais, 0, sizeof E.naoFiscais);
    std::memset(E.meios, 0, sizeof E.meios);
    std::memset(E.parciais, 0, sizeof E.parciais);
    std::memset(E.slotsComprovante, 0, sizeof E.slotsComprovante);
    std::memset(&E.cupom, 0, sizeof E.cupom);
    std::memset(&E.comprovante, 0, sizeof E.comprovante);
    std::memset(E.pagamentos, 0, sizeof E.pagamentos);
    std::memset(E.estornos, 0, sizeof E.estornos);
    E.nEstornos = 0;
    E.estornosDescartados = 0;
    E.nItensCupom = 0;
    E.nItensComprovante = 0;
    PoeRepetidoTipoE(E.troco, '0', 13);
    E.decimais = 4;
    E.primeiraDataGravada = false;
    E.primeiroCRZGravado = false;
    E.subtotalDado = false;
    E.descontoOuAcrescimoDado = false;
    E.ultimoE14 = nullptr;
    E.ultimoE19 = nullptr;
    E.flags = flags;
    E.EstadoCupom = DOC_NENHUM;
    E.EstadoComprovante = DOC_NENHUM;
    E.NoIntervalo = false;
    E.intervaloPagamentos = false;
    IniciaRegistrosTipoEFD(&E.r);
    std::memcpy(E.r.e01 + 95, "000", 3);
}

// The end of the stream: closing fields of E01 and the last payments.  0,
// or non-zero when they could not be kept.
int FechaFluxo()
{
    std::memcpy(E.r.e01 + 112, "MFD", 3);
    std::memcpy(E.r.e01 + 143, "01.00.41", 8);
    std::memcpy(E.r.e01 + 151, "AC1704 01.00.00", 15);
    return DescarregaPagamentos();
}

// The lists in their order after E01 and E02: a captured reduction keeps no
// E17 to E21.
int UltimaLista()
{
    return (E.flags & 0xF0) == SAIDA_REDUCAO ? L_E16 : L_E21;
}

bool AlgumDespejo()
{
    for (const Despejo &d : E.despejos)
        if (d.arquivo != nullptr)
            return true;
    return false;
}

// Combined mode: E01 and E02 into the output list, then the other records
// in their order, or, when some went to temporary files, none of them: they
// are kept for EscreveRestoFD.  0 or 4.
int JuntaListas(ItemList *saida)
{
    if (Anexa(saida, E.r.e01, TAM_E01) != 0 || Anexa(saida, E.r.e02, TAM_E02) != 0)
        return 4;
    if (AlgumDespejo()) {
        E.restoPendente = true;
        return 0;
    }
    for (int l = L_E14; l <= UltimaLista(); ++l)
        saida->AppendList(&E.listas[l]);
    for (ItemList &l : E.listas)
        l.Release();
    return 0;
}

// Alone and reduction modes: E01, E02 and the lists written in their order.
// 0, or 1 when a temporary file cannot be read back.
int EscreveListas(ArquivoSaida *out)
{
    for (const char *texto : {E.r.e01, E.r.e02}) {
        WriteOutput(out, texto, std::strlen(texto));
        WriteOutput(out, "\n", 1);
    }
    for (int l = L_E14; l <= UltimaLista(); ++l) {
        if (EscreveLista(out, static_cast<Lista>(l)) != 0)
            return 1;
    }
    return 0;
}

int Registros(FILE *f, uint64_t tamanho, const char *saida, ItemList *lista, int modo,
              bool *escrito, bool assina);

}  // namespace

unsigned EstornosDescartadosFD()
{
    return E.estornosDescartados;
}

int GeraRegistrosFD(const char *entrada, const char *saida, ItemList *lista, int modo)
{
    if (lista != nullptr)
        lista->Release();
    FILE *f = nullptr;
    uint64_t tamanho = 0;
    int r = AbreEntradaAssinada(entrada, &f, &tamanho);
    if (r != 0)
        return r;
    bool escrito = false;
    r = Registros(f, tamanho, saida, lista, modo, &escrito, true);
    std::fclose(f);
    return r;
}

int EscreveRegistrosFD(FILE *f, uint64_t tamanho, const char *saida, ItemList *lista, int modo,
                       bool *escrito)
{
    return Registros(f, tamanho, saida, lista, modo, escrito, false);
}

namespace {

// The records of the stream; the file written here (alone and reduction
// modes) is closed with its signature line when assina is set.
int Registros(FILE *f, uint64_t tamanho, const char *saida, ItemList *lista, int modo,
              bool *escrito, bool assina)
{
    *escrito = false;
    DescartaRestoFD();
    DescartaSaida(&Saida);   // a combined file an earlier run left unfinished
    ItemList local;
    local.Init();
    if (lista == nullptr)
        lista = &local;
    lista->Release();
    IniciaEstado(modo == MODO_FD_REDUCAO ? 0x23 : 0);
    if (tamanho < TAMANHO_LINHA_EAD)
        return 1;
    uint64_t fim = tamanho - TAMANHO_LINHA_EAD;
    uint64_t inicio = 0;
    if (modo != MODO_FD_REDUCAO) {
        if (fim == 0)
            return 0;
        if (fim < TAMANHO_PARAMETROS || std::fseek(f, 0, SEEK_SET) != 0 ||
            std::fread(E.parametros, 1, TAMANHO_PARAMETROS, f) != TAMANHO_PARAMETROS)
            return 1;
        E.flags = E.parametros[PARAM_TIPO];
        if (modo == MODO_FD_COMBINADO)
            E.flags = static_cast<uint8_t>(E.flags + SAIDA_COMBINADA);
        inicio = TAMANHO_PARAMETROS;
    }
    // An empty stream gives no output file at all.
    if (inicio >= fim)
        return 0;
    bool combinado = (E.flags & 0xF0) == SAIDA_COMBINADA;
    ArquivoSaida &out = Saida;
    if (AbreSaida(&out, saida, true) != 0)
        return 1;
    E.podeDespejar = true;
    if (!combinado)
        DigestoEmParalelo(&out);

    static LeitorFD leitor;
    AbreLeitorFD(&leitor, f, inicio, fim);
    static uint8_t registro[TAMANHO_REGISTRO_FD];
    int falha = 0;
    for (;;) {
        int r = LeRegistroFD(&leitor, registro, &E.EstadoCupom);
        if (r == FD_FIM)
            break;
        if (r != FD_OK) {
            static const char kMensagem[] = "BAD TAG FOUND READ \n";
            WriteOutput(&out, kMensagem, sizeof kMensagem - 1);
            break;
        }
        if (InicioDocumentoFD(registro[0]))
            E.NoIntervalo = NoIntervaloFD(registro);
        if (ProcessaRegistro(registro) != 0) {
            falha = 4;
            break;
        }
        if (FimDoFluxoFD(&leitor))
            break;
    }
    if (falha == 0 && FechaFluxo() != 0)
        falha = 4;
    if (falha == 0 && !combinado && EscreveListas(&out) != 0)
        falha = 1;
    if (falha == 0 && combinado)
        falha = JuntaListas(lista);
    if (E.falhaDespejo)
        falha = 1;
    if (falha != 0 || !E.restoPendente) {
        E.restoPendente = false;
        FechaDespejos();
        for (ItemList &l : E.listas)
            l.Release();
    }
    if (combinado) {
        if (falha == 0 && !out.erro)
            return 0;   // left open for the fiscal-memory side
        if (falha == 0)
            falha = 1;
        FechaSaida(&out);
        lista->Release();
        DescartaRestoFD();
        return falha;
    }
    if (falha != 0) {
        // What was written is not the whole file: none is left behind.
        DescartaSaida(&out);
        return falha;
    }
    if ((assina ? FechaEAssinaSaida(&out) : FechaSaida(&out)) != 0) {
        RemoveArquivo(out.temporario[0] != '\0' ? out.temporario : out.caminho);
        return 1;
    }
    *escrito = true;
    return 0;
}

}  // namespace

int EscreveRestoFD(ArquivoSaida *out)
{
    int r = 0;
    if (E.restoPendente) {
        for (int l = L_E14; r == 0 && l <= UltimaLista(); ++l)
            r = EscreveLista(out, static_cast<Lista>(l));
    }
    DescartaRestoFD();
    return r;
}

ArquivoSaida *SaidaCombinadaFD()
{
    return Saida.arquivo != nullptr ? &Saida : nullptr;
}

void DescartaRestoFD()
{
    if (!E.restoPendente)
        return;
    E.restoPendente = false;
    FechaDespejos();
    for (ItemList &l : E.listas)
        l.Release();
}

void DefineOrcamentoFD(size_t bytes)
{
    g_orcamento = bytes;
}

void FalhaDespejoFD(unsigned registro)
{
    g_falhaDespejo = registro;
}
