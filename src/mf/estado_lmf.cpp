// The summary of the fiscal memory that the LMF mirror prints from: ECF
// identity, current user, last reduction and counters, GT, software
// version, detail-tape count, GT coding; the currency symbols by CRZ and the
// first CRZ of each user of a range.
#include "mf/estado_lmf.h"

#include <cstring>

#include "text/linha.h"
#include "text/numeros.h"

EstadoLMF Estado;
int TabelaInicioUsuario[MAX_USUARIOS + 2];
unsigned PrimeiroUsuario, UltimoUsuario;
EntradaMoeda TabelaMoeda[MAX_MOEDAS];
unsigned NumMoedas;

void Poe(size_t coluna, const char *texto)
{
    ColocaTexto(coluna, texto, std::strlen(texto));
}

void PoeN(size_t coluna, const void *texto, size_t n)
{
    ColocaTexto(coluna, static_cast<const char *>(texto), n);
}

void PoeNumero(size_t coluna, unsigned largura, uint64_t valor, uint8_t flags)
{
    if (coluna + largura > TAMANHO_LINHA)
        return;
    uint8_t n[8];
    GravaNumero(n, 8, valor);
    FormataNumero(static_cast<uint8_t>(largura), LinhaTexto + coluna, 8, n, flags);
}

void PoeDataHora(size_t coluna, uint16_t data, uint16_t hora, uint8_t segundos)
{
    DataHora d{};
    DesempacotaData(data, &d);
    DesempacotaHora(hora, &d);
    d.segundo = segundos;
    char texto[20];
    FormataDataHora(d, texto, "dd/mm/yyyy hh:ii:ssv");
    PoeN(coluna, texto, sizeof texto);
}

int Linha(const char *texto)
{
    return EscreveTexto(texto, std::strlen(texto));
}

// A user record whose number lies outside 1 to 20 cannot be placed in the
// user table: the record counts as damaged.
static int LeUsuarios()
{
    Estado.numUsuarios = 0;
    for (unsigned n = 1; n <= MAX_USUARIOS; ++n) {
        uint8_t *u = Estado.usuarios[n - 1];
        int r = LeRegistroUsuario(n, u);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            return r;
        if (u[USU_NUMERO] < 1 || u[USU_NUMERO] > MAX_USUARIOS)
            return MF_DANIFICADO;
        Estado.numUsuarios = n;
    }
    return MF_OK;
}

static int LeMoedas()
{
    NumMoedas = 0;
    uint8_t m[TAM_SIMBOLO_MOEDA];
    for (unsigned n = 1; n <= SLOTS_SIMBOLO_MOEDA; ++n) {
        int r = LeSimboloMoeda(n, m);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            return r;
        unsigned crz = Campo16(m, MOE_CRZ);
        EntradaMoeda *e = nullptr;
        for (unsigned i = 0; i < NumMoedas; ++i) {
            if (TabelaMoeda[i].crz == crz)
                e = &TabelaMoeda[i];
        }
        if (e == nullptr) {
            e = &TabelaMoeda[NumMoedas++];
            e->crz = crz;
        }
        std::memcpy(e->simbolo, m + MOE_SIMBOLO, 4);
        NulosParaBrancos(e->simbolo, 4);
    }
    return MF_OK;
}

int MontaEstadoLMF()
{
    EstadoLMF &E = Estado;
    const bool completo = E.completo;
    std::memset(&E, 0, sizeof E);
    E.completo = completo;

    uint8_t cab[TAM_CABECALHO_MF];
    int r = LeCabecalhoMF(cab);
    if (r == MF_DANIFICADO)
        return r;
    if (r == MF_APAGADO)
        std::memset(cab, ' ', sizeof cab);
    std::memcpy(E.serie, cab + CAB_SERIE, 20);
    std::memcpy(E.marca, cab + CAB_MARCA, 20);
    std::memcpy(E.modelo, cab + CAB_MODELO, 20);
    std::memcpy(E.tipo, cab + CAB_TIPO, 7);

    if ((r = LeUsuarios()) != MF_OK)
        return r;
    std::memset(E.cnpj, ' ', 60);
    E.primeiroCrzUsuario = 1;
    if (E.numUsuarios > 0) {
        const uint8_t *u = E.usuarios[E.numUsuarios - 1];
        std::memcpy(E.cnpj, u + USU_CNPJ, 20);
        std::memcpy(E.ie, u + USU_IE, 20);
        std::memcpy(E.im, u + USU_IM, 20);
        E.usuario = u[USU_NUMERO];
        E.primeiroCrzUsuario = Campo16(u, USU_CRZ) + 1u;
    }

    // Reductions by CRZ until one is missing; a damaged one is passed over.
    uint8_t z[TAM_REDUCAO_Z];
    for (unsigned crz = 1; crz <= SLOTS_REDUCAO_Z; ++crz) {
        r = LeReducaoZ(crz, z);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            continue;
        E.ultimoCrz = crz;
        E.coo = static_cast<uint32_t>(CampoNumero(z, RZ_COO, 4));
        E.cro = z[RZ_CRO];
        E.gnf = static_cast<uint32_t>(CampoNumero(z, RZ_GNF, 3));
        if (crz >= E.primeiroCrzUsuario) {
            SomaSubtrai(8, E.gt, 6, z + RZ_VENDA_BRUTA, 0);
            if (IndicadorEstouro)
                return ERRO_ESTOURO;
        }
    }

    uint8_t reg[TAM_FITA_DETALHE];
    for (unsigned n = 1; n <= SLOTS_VERSAO_SB; ++n) {
        r = LeVersaoSB(n, reg);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            return r;
        std::memcpy(E.versao, reg + VSB_VERSAO, 3);
    }
    for (unsigned n = 1; n <= SLOTS_FITA_DETALHE; ++n) {
        r = LeFitaDetalhe(n, reg);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            return r;
        if (E.numUsuarios > 0 && reg[CFD_USUARIO] == E.usuario)
            ++E.fitasDetalhe;
    }
    // Without a registered coding the grand total is shown as blanks.
    std::memset(E.codificacaoGT, ' ', 10);
    uint8_t cod[TAM_CODIFICACAO_GT];
    for (unsigned n = 1; n <= SLOTS_CODIFICACAO_GT; ++n) {
        r = LeCodificacaoGT(n, cod);
        if (r == MF_APAGADO)
            break;
        if (r != MF_OK)
            return r;
        std::memcpy(E.codificacaoGT, cod + CGT_LETRAS, 10);
    }
    E.cooDocumento = E.coo + 1;
    return LeMoedas();
}

void MontaTabelaInicioUsuario(unsigned a, unsigned b)
{
    std::memset(TabelaInicioUsuario, 0, sizeof TabelaInicioUsuario);
    PrimeiroUsuario = UltimoUsuario = 1;
    if (Estado.numUsuarios == 0) {
        TabelaInicioUsuario[1] = static_cast<int>(a);
        return;
    }
    TabelaInicioUsuario[1] = Campo16(Estado.usuarios[0], USU_CRZ) + 1;
    for (unsigned s = 0; s < Estado.numUsuarios; ++s) {
        const uint8_t *u = Estado.usuarios[s];
        unsigned crz = Campo16(u, USU_CRZ);
        unsigned numero = u[USU_NUMERO];
        if (crz < a)
            PrimeiroUsuario = numero;
        if (crz >= b)
            break;
        if (numero != UltimoUsuario) {
            UltimoUsuario = numero;
            TabelaInicioUsuario[numero] = static_cast<int>(crz) + 1;
        }
    }
    TabelaInicioUsuario[PrimeiroUsuario] = static_cast<int>(a);
}
