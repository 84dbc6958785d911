// Type-E records E01, E02 and E04 to E13 from a downloaded fiscal-memory
// file: the ECF's identity, users, GT codings, currency symbols, software
// versions, detail-tape devices, restarts, detail-tape issues, counters and
// every reduction of the download's range with its partial totals.  Alone
// the input's signature is checked first; combined, the detail-tape
// generator has written the file and left its records in the queue: its
// E01 gives the ECF number, its E02 replaces this one and the rest follow.
#include <cstdlib>
#include <cstring>

#include "files/assinatura.h"
#include "files/parametros.h"
#include "files/saida.h"
#include "mf/imagem_mf.h"
#include "text/datas.h"
#include "text/numeros.h"
#include "tipoe/prefixo_tipoe.h"
#include "tipoe/registros_fd.h"
#include "tipoe/tipoe.h"

namespace {

constexpr uint64_t TAMANHO_ASSINADO_MF = TAMANHO_IMAGEM_MF + TAMANHO_PARAMETROS;   // 1048605
constexpr int ERRO_MEMORIA = 4;

struct {
    ArquivoSaida proprio;   // the file of a run that opens its own
    ArquivoSaida *out;      // the file written
    uint8_t serie[20], modelo[20];
    uint8_t usuarios[20][TAM_USUARIO];
    unsigned numUsuarios;
    char registro[300];
} G;

void Escreve(const char *texto, size_t n)
{
    WriteOutput(G.out, texto, n);
    WriteOutput(G.out, "\n", 1);
}

// A record of n characters filled with `fill`, with its prefix.
char *Novo(const char *tipo, size_t n, char fill)
{
    std::memset(G.registro, fill, n);
    PrefixoTipoE(G.registro, tipo, G.serie, G.modelo);
    return G.registro;
}

void Data(char *d, uint16_t data) { DataParaTexto(data, d); }
void Hora(char *d, uint16_t hora, uint8_t s) { HoraParaTexto(hora, s, d); }

void Cnpj14(char *d, const uint8_t *texto20)
{
    ExtraiDigitos(d, reinterpret_cast<const char *>(texto20), 20);
}

// "%02d.%02d.%02d  " of the three numbers of a version.
void Versao10(char *d, const uint8_t *v)
{
    std::memset(d, ' ', 10);
    PoeNumeroTipoE(d, 2, v[0]);
    d[2] = '.';
    PoeNumeroTipoE(d + 3, 2, v[1]);
    d[5] = '.';
    PoeNumeroTipoE(d + 6, 2, v[2]);
}

// CNPJ digits of the user record in the slot a user byte names; 14 spaces
// when that slot holds no user.
void CnpjDoSlot(char *d, unsigned slot)
{
    if (slot >= 1 && slot <= G.numUsuarios)
        Cnpj14(d, G.usuarios[slot - 1] + USU_CNPJ);
    else
        std::memset(d, ' ', 14);
}

// The user of a CRZ: the last user slot, in order, whose CRZ is not greater.
void CnpjDoCrz(char *d, unsigned crz)
{
    std::memset(d, ' ', 14);
    for (unsigned s = 0; s < G.numUsuarios && Campo16(G.usuarios[s], USU_CRZ) <= crz; ++s)
        Cnpj14(d, G.usuarios[s] + USU_CNPJ);
}

bool SlotEscrito(int (*le)(unsigned, uint8_t *), unsigned n)
{
    uint8_t reg[TAM_USUARIO];
    return le(n, reg) != MF_APAGADO;
}

int LeUsuarios()
{
    G.numUsuarios = 0;
    uint8_t reg[TAM_USUARIO];
    return PercorreLista(LeRegistroUsuario, SLOTS_USUARIO, reg, [&](unsigned n) {
        std::memcpy(G.usuarios[n - 1], reg, TAM_USUARIO);
        G.numUsuarios = n;
        return 0;
    });
}

struct Reducoes {
    bool alguma;
    unsigned primeiroCrz, ultimoCrz;
    uint16_t primeiraData, ultimaData;
    uint8_t ultima[TAM_REDUCAO_Z];
    uint64_t gt;
};

void PercorreReducoes(Reducoes *z)
{
    std::memset(z, 0, sizeof *z);
    const size_t fim = FimReducoes();
    for (size_t p = PosicaoReducaoZ(1); p < fim; p += TAM_REDUCAO_Z) {
        if (ValidaReducaoZ(p) != MF_OK)
            continue;
        const uint8_t *r = RegistroReducaoZ;
        if (!z->alguma) {
            z->primeiroCrz = Campo16(r, RZ_CRZ);
            z->primeiraData = Campo16(r, RZ_DATA);
            z->alguma = true;
        }
        z->ultimoCrz = Campo16(r, RZ_CRZ);
        z->ultimaData = Campo16(r, RZ_DATA);
        std::memcpy(z->ultima, r, TAM_REDUCAO_Z);
        z->gt += CampoNumero(r, RZ_VENDA_BRUTA, 6);
    }
}

int E01(const uint8_t *cab, const Reducoes &z, ItemList *fila, bool combinado)
{
    char *e = G.registro;
    std::memset(e, ' ', 166);
    std::memcpy(e, "E01", 3);
    PoeTextoTipoE(e + 3, cab + CAB_SERIE, 20);
    PoeTextoTipoE(e + 24, cab + CAB_TIPO, 7);
    PoeTextoTipoE(e + 31, cab + CAB_MARCA, 20);
    PoeTextoTipoE(e + 51, cab + CAB_MODELO, 20);
    uint8_t v[TAM_VERSAO_SB];
    bool temVersao = false;
    int r = PercorreLista(LeVersaoSB, SLOTS_VERSAO_SB, v, [&](unsigned) {
        Versao10(e + 71, v + VSB_VERSAO);
        Data(e + 81, Campo16(v, VSB_DATA));
        Hora(e + 89, Campo16(v, VSB_HORA), v[VSB_SEGUNDOS]);
        temVersao = true;
        return 0;
    });
    if (r != 0)
        return r;
    std::memcpy(e + 95, "000", 3);
    if (combinado && fila->head != nullptr) {
        const char *primeiro = static_cast<const char *>(fila->head->item);
        if (std::strlen(primeiro) >= 98)
            PoeTextoTipoE(e + 95, reinterpret_cast<const uint8_t *>(primeiro + 95), 3);
    }
    if (G.numUsuarios > 0)
        Cnpj14(e + 98, G.usuarios[G.numUsuarios - 1] + USU_CNPJ);
    else
        std::memset(e + 98, '0', 14);
    std::memcpy(e + 112, combinado ? "TDM" : "MF ", 3);
    if (z.alguma) {
        PoeNumeroTipoE(e + 115, 6, z.primeiroCrz);
        PoeNumeroTipoE(e + 121, 6, z.ultimoCrz);
        Data(e + 127, z.primeiraData);
        Data(e + 135, z.ultimaData);
    }
    std::memcpy(e + 143, "01.00.41", 8);
    std::memcpy(e + 151, "AC1704 01.00.00", 15);
    Escreve(e, 166);
    if (combinado)
        std::free(fila->PopFront());
    return 0;
}

void E02(ItemList *fila, bool combinado)
{
    if (combinado && fila->head != nullptr) {
        char *texto = static_cast<char *>(fila->PopFront());
        Escreve(texto, std::strlen(texto));
        std::free(texto);
        return;
    }
    char *e = Novo("E02", 272, ' ');
    if (G.numUsuarios == 0) {
        std::memset(e + 44, '0', 28);
    } else {
        const uint8_t *u = G.usuarios[G.numUsuarios - 1];
        Cnpj14(e + 44, u + USU_CNPJ);
        Cnpj14(e + 58, u + USU_IE);
        Data(e + 232, Campo16(u, USU_DATA));
        Hora(e + 240, Campo16(u, USU_HORA), u[USU_SEGUNDOS]);
        PoeNumeroTipoE(e + 246, 6, u[USU_CRO]);
        PoeNumeroTipoE(e + 252, 18, CampoNumero(u, USU_GT, 8));
        PoeNumeroTipoE(e + 270, 2, u[USU_NUMERO]);
    }
    Escreve(e, 272);
}

void E04()
{
    if (G.numUsuarios < 2)
        return;
    for (unsigned s = 0; s < G.numUsuarios; ++s) {
        const uint8_t *u = G.usuarios[s];
        if (s > 0 && G.usuarios[s - 1][USU_NUMERO] == u[USU_NUMERO])
            continue;
        char *e = Novo("E04", 112, ' ');
        PoeNumeroTipoE(e + 44, 2, u[USU_NUMERO]);
        Data(e + 46, Campo16(u, USU_DATA));
        Hora(e + 54, Campo16(u, USU_HORA), u[USU_SEGUNDOS]);
        Cnpj14(e + 60, u + USU_CNPJ);
        Cnpj14(e + 74, u + USU_IE);
        PoeNumeroTipoE(e + 88, 6, u[USU_CRO]);
        PoeNumeroTipoE(e + 94, 18, CampoNumero(u, USU_GT, 8));
        Escreve(e, 112);
    }
}

int E05aE10()
{
    uint8_t reg[TAM_SIMBOLO_MOEDA];
    int r = PercorreLista(LeCodificacaoGT, SLOTS_CODIFICACAO_GT, reg, [&](unsigned) {
        char *e = Novo("E05", 82, ' ');
        CnpjDoCrz(e + 44, Campo16(reg, CGT_CRZ));
        Data(e + 58, Campo16(reg, CGT_DATA));
        Hora(e + 66, Campo16(reg, CGT_HORA), reg[CGT_SEGUNDOS]);
        PoeTextoTipoE(e + 72, reg + CGT_LETRAS, 10);
        Escreve(e, 82);
        return 0;
    });
    if (r != 0)
        return r;
    r = PercorreLista(LeSimboloMoeda, SLOTS_SIMBOLO_MOEDA, reg, [&](unsigned) {
        char *e = Novo("E06", 76, ' ');
        CnpjDoCrz(e + 44, Campo16(reg, MOE_CRZ));
        Data(e + 58, Campo16(reg, MOE_DATA));
        Hora(e + 66, Campo16(reg, MOE_HORA), reg[MOE_SEGUNDOS]);
        PoeTextoTipoE(e + 72, reg + MOE_SIMBOLO, 4);
        Escreve(e, 76);
        return 0;
    });
    if (r != 0)
        return r;
    if (SlotEscrito(LeVersaoSB, 2)) {
        r = PercorreLista(LeVersaoSB, SLOTS_VERSAO_SB, reg, [&](unsigned) {
            char *e = Novo("E07", 62, ' ');
            Versao10(e + 44, reg + VSB_VERSAO);
            Data(e + 54, Campo16(reg, VSB_DATA));
            Escreve(e, 62);
            return 0;
        });
        if (r != 0)
            return r;
    }
    r = PercorreLista(LeDispositivoMFD, SLOTS_DISPOSITIVO_MFD, reg, [&](unsigned) {
        char *e = Novo("E08", 78, ' ');
        CnpjDoSlot(e + 44, reg[DISP_USUARIO]);
        PoeTextoTipoE(e + 58, reg + DISP_SERIE, 20);
        Escreve(e, 78);
        return 0;
    });
    if (r != 0)
        return r;
    r = PercorreLista(LeReinicio, SLOTS_REINICIO, reg, [&](unsigned n) {
        char *e = Novo("E09", 65, ' ');
        PoeNumeroTipoE(e + 44, 6, n);
        Data(e + 50, Campo16(reg, REI_DATA));
        Hora(e + 58, Campo16(reg, REI_HORA), reg[REI_SEGUNDOS]);
        e[64] = reg[REI_MARCA] != 0 ? 'S' : 'N';
        Escreve(e, 65);
        return 0;
    });
    if (r != 0)
        return r;
    return PercorreLista(LeFitaDetalhe, SLOTS_FITA_DETALHE, reg, [&](unsigned n) {
        char *e = Novo("E10", 84, ' ');
        PoeNumeroTipoE(e + 44, 6, n);
        Data(e + 50, Campo16(reg, CFD_DATA));
        PoeNumeroTipoE(e + 58, 6, CampoNumero(reg, CFD_COO_INICIAL, 3));
        PoeNumeroTipoE(e + 64, 6, CampoNumero(reg, CFD_COO_FINAL, 3));
        CnpjDoSlot(e + 70, reg[CFD_USUARIO]);
        Escreve(e, 84);
        return 0;
    });
}

void E11(const Reducoes &z)
{
    char *e = Novo("E11", 136, '0');
    if (z.alguma) {
        const uint8_t *r = z.ultima;
        PoeNumeroTipoE(e + 44, 6, Campo16(r, RZ_CRZ));
        PoeNumeroTipoE(e + 50, 6, r[RZ_CRO]);
        PoeNumeroTipoE(e + 56, 6, CampoNumero(r, RZ_COO, 4));
        PoeNumeroTipoE(e + 62, 6, CampoNumero(r, RZ_GNF, 3));
        PoeNumeroTipoE(e + 68, 6, CampoNumero(r, RZ_CONTADOR19, 3));
        PoeNumeroTipoE(e + 86, 6, CampoNumero(r, RZ_CONTADOR25, 3));
        PoeNumeroTipoE(e + 98, 6, Campo16(r, RZ_CONTADOR28));
    }
    // The sum is kept in 64 bits: a total beyond six bytes still shows whole.
    PoeNumeroTipoE(e + 104, 18, z.gt);
    DataHora agora{};
    DataHoraAtual(&agora);
    Data(e + 122, EmpacotaData(agora));
    Hora(e + 130, EmpacotaHora(agora), agora.segundo);
    Escreve(e, 136);
}

bool NaFaixa(const uint8_t *r)
{
    const uint8_t *p = ParametrosMF;
    switch (p[PARAM_TIPO]) {
    case FAIXA_DATAS: {
        uint16_t d = Campo16(r, RZ_DATA);
        return d >= LimiteInicio16(p) && d <= LimiteFim16(p);
    }
    case FAIXA_CONTADOR16: {
        uint16_t c = Campo16(r, RZ_CRZ);
        return c >= LimiteInicio16(p) && c <= LimiteFim16(p);
    }
    case FAIXA_CONTADOR32: {
        uint32_t c = static_cast<uint32_t>(CampoNumero(r, RZ_COO, 4));
        return c >= LimiteInicio32(p) && c <= LimiteFim32(p);
    }
    default:
        return true;
    }
}

// The E13 records wait, 72 characters each, in one growing block until the
// E12 records are written.
struct FilaE13 {
    char *dados;
    size_t registros;
    size_t capacidade;   // in records
};

int Enfileira(FilaE13 *fila, const char *e)
{
    if (fila->registros == fila->capacidade) {
        size_t nova = fila->capacidade == 0 ? 4096 : 2 * fila->capacidade;
        char *p = static_cast<char *>(std::realloc(fila->dados, nova * 72));
        if (p == nullptr)
            return ERRO_MEMORIA;
        fila->dados = p;
        fila->capacidade = nova;
    }
    std::memcpy(fila->dados + 72 * fila->registros++, e, 72);
    return 0;
}

// The E13 records of a reduction, queued.  A taxed slot whose rate record
// cannot be read (number above 200, erased or damaged record) is labelled
// with "X" for its kind and "XXXX" for its rate.
int E13(FilaE13 *fila, const uint8_t *r, unsigned usuario)
{
    char e[80];
    auto poe = [&](const char *rotulo, size_t offsetValor) {
        std::memset(e, '0', 72);
        PrefixoTipoE(e, "E13", G.serie, G.modelo);
        PoeNumeroTipoE(e + 44, 2, usuario);
        PoeNumeroTipoE(e + 46, 6, Campo16(r, RZ_CRZ));
        std::memset(e + 52, ' ', 7);
        std::memcpy(e + 52, rotulo, std::strlen(rotulo));
        PoeNumeroTipoE(e + 59, 13, CampoNumero(r, offsetValor, 6));
        return Enfileira(fila, e);
    };
    static const struct { const char *rotulo; size_t offset; } kFixos[] = {
        {"OPNF ", RZ_ON}, {"DT   ", RZ_DT}, {"DS   ", RZ_DS}, {"DO   ", RZ_DO},
        {"AT   ", RZ_AT}, {"AS   ", RZ_AS}, {"AO   ", RZ_AO}, {"Can-T", RZ_CT},
        {"Can-S", RZ_CS}, {"Can-O", RZ_CO}};
    int erro = 0;
    for (const auto &f : kFixos)
        erro = erro != 0 ? erro : poe(f.rotulo, f.offset);
    for (unsigned i = 0; i < 16 && erro == 0; ++i) {
        uint8_t numero = r[RZ_ALIQUOTAS + i];
        if (numero == 0)
            continue;
        char rotulo[8] = "00XXXXX";
        PoeNumeroTipoE(rotulo, 2, i + 1);
        uint8_t a[TAM_ALIQUOTA];
        if (LeAliquota(numero, a) == MF_OK) {
            rotulo[2] = a[ALI_TIPO] == 'T' || a[ALI_TIPO] == 'S' ? static_cast<char>(a[ALI_TIPO]) : 'X';
            PoeNumeroTipoE(rotulo + 3, 4, Campo16(a, ALI_VALOR));
        }
        erro = poe(rotulo, RZ_TOTALIZADORES + 6 * i);
    }
    static const char kLetras[3] = {'F', 'I', 'N'};
    for (unsigned l = 0; l < 3 && erro == 0; ++l) {
        for (unsigned d = 0; d < 2 && erro == 0; ++d) {
            char icms[6] = {kLetras[l], static_cast<char>('1' + d), ' ', ' ', ' ', '\0'};
            char issqn[6] = {kLetras[l], 'S', static_cast<char>('1' + d), ' ', ' ', '\0'};
            erro = poe(icms, RZ_NAO_TRIBUTADOS_ICMS + 6 * (2 * l + d));
            if (erro == 0)
                erro = poe(issqn, RZ_NAO_TRIBUTADOS_ISSQN + 6 * (2 * l + d));
        }
    }
    return erro;
}

// E12 for every valid reduction of the range, the E13 records after them.
int E12E13()
{
    FilaE13 fila = {nullptr, 0, 0};
    int erro = 0;
    const size_t fim = FimReducoes();
    for (size_t p = PosicaoReducaoZ(1); p < fim && erro == 0; p += TAM_REDUCAO_Z) {
        if (ValidaReducaoZ(p) != MF_OK || !NaFaixa(RegistroReducaoZ))
            continue;
        const uint8_t *r = RegistroReducaoZ;
        const unsigned crz = Campo16(r, RZ_CRZ);
        unsigned usuario = 1;
        for (unsigned s = 0; s < G.numUsuarios; ++s) {
            if (Campo16(G.usuarios[s], USU_CRZ) < crz)
                usuario = G.usuarios[s][USU_NUMERO];
        }
        char *e = Novo("E12", 101, '0');
        PoeNumeroTipoE(e + 44, 2, usuario);
        PoeNumeroTipoE(e + 46, 6, crz);
        PoeNumeroTipoE(e + 52, 6, CampoNumero(r, RZ_COO, 4));
        PoeNumeroTipoE(e + 58, 6, r[RZ_CRO]);
        Data(e + 64, Campo16(r, RZ_DATA_MOVIMENTO));
        Data(e + 72, Campo16(r, RZ_DATA));
        Hora(e + 80, Campo16(r, RZ_HORA), r[RZ_SEGUNDOS]);
        PoeNumeroTipoE(e + 86, 14, CampoNumero(r, RZ_VENDA_BRUTA, 6));
        e[100] = r[RZ_INDICADOR] == 1 ? 'S' : 'N';
        Escreve(e, 101);
        erro = E13(&fila, r, usuario);
    }
    for (size_t i = 0; erro == 0 && i < fila.registros; ++i)
        Escreve(fila.dados + 72 * i, 72);
    std::free(fila.dados);
    return erro;
}

int Registros(ItemList *fila, bool combinado)
{
    uint8_t cab[TAM_CABECALHO_MF];
    int r = LeIdentidadeECF(cab);
    if (r != MF_OK)
        return r;
    std::memcpy(G.serie, cab + CAB_SERIE, 20);
    std::memcpy(G.modelo, cab + CAB_MODELO, 20);
    if ((r = LeUsuarios()) != 0)
        return r;
    static Reducoes z;
    PercorreReducoes(&z);
    if ((r = E01(cab, z, fila, combinado)) != 0)
        return r;
    E02(fila, combinado);
    E04();
    if ((r = E05aE10()) != 0)
        return r;
    E11(z);
    if ((r = E12E13()) != 0)
        return r;
    if (combinado) {
        while (fila->head != nullptr) {
            char *texto = static_cast<char *>(fila->PopFront());
            Escreve(texto, std::strlen(texto));
            std::free(texto);
        }
        // The detail tape's records that went past its memory budget.
        if (EscreveRestoFD(G.out) != 0)
            return 2;
    }
    return 0;
}

// The signature line that follows the image and its parameter record.
int ConfereAssinatura(const char *arquivoMF)
{
    FILE *f = std::fopen(arquivoMF, "rb");
    if (f == nullptr)
        return 1;
    char linha[TAMANHO_LINHA_EAD + 1];
    int r = 1;
    if (std::fseek(f, static_cast<long>(TAMANHO_ASSINADO_MF), SEEK_SET) == 0 &&
        std::fread(linha, 1, TAMANHO_LINHA_EAD, f) == TAMANHO_LINHA_EAD) {
        linha[TAMANHO_LINHA_EAD] = '\0';
        r = VerifySignature(f, TAMANHO_ASSINADO_MF, linha + 3);
    }
    std::fclose(f);
    return r;
}

}  // namespace

int GeraTipoEDaMF(const char *arquivoMF, const char *saida, ItemList *fila, bool combinado)
{
    ItemList vazia;
    vazia.Init();
    if (fila == nullptr)
        fila = &vazia;
    if (!combinado) {
        int r = ConfereAssinatura(arquivoMF);
        if (r != 0)
            return r;
    }
    G.out = combinado ? SaidaCombinadaFD() : nullptr;
    if (MapeiaMF(arquivoMF) != 0) {
        if (G.out != nullptr)
            FechaSaida(G.out);   // the detail tape's part stays, unsigned
        return 1;
    }
    if (G.out == nullptr) {
        G.out = &G.proprio;
        if (AbreSaida(G.out, saida, true) != 0) {
            DesmapeiaMF();
            return 2;
        }
        if (!combinado)
            DigestoEmParalelo(G.out);
    }
    int r = Registros(fila, combinado);
    DesmapeiaMF();
    // A failed write leaves a file that is not signed.
    if (r != 0) {
        FechaSaida(G.out);
        return r;
    }
    return FechaEAssinaSaida(G.out) == 0 ? 0 : 2;
}
