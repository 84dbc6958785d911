// The HID backend on Windows: the HID and device set-up libraries loaded by
// name ("HID", "SETUPAPI", "KERNEL32") from the system directory only, every
// function looked up at its use (a missing one makes the call fail),
// overlapped reads and writes on the device, and auto-reset events for
// stop, read request, read done and write done.  A device is closed only
// once its cancelled read has ended: the read's buffer and OVERLAPPED must
// outlive it.
#include "platform/hid_backend.h"

#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/plataforma.h"

struct SistemaHid {
    HMODULE hid;
    HMODULE setupapi;
    HMODULE kernel32;
    GUID classe;
    HANDLE parar;
    HANDLE pedido;
    HANDLE leituraFeita;
    HANDLE escritaFeita;
    HANDLE dispositivo;
    void *preparados;
    OVERLAPPED leitura;
    bool lendo;   // the overlapped read is outstanding
};

namespace {

// The capabilities record of HidP_GetCaps.
struct CapacidadesHid {
    USHORT Usage;
    USHORT UsagePage;
    USHORT InputReportByteLength;
    USHORT OutputReportByteLength;
    USHORT FeatureReportByteLength;
    USHORT Reserved[17];
    USHORT Outros[10];
};
constexpr LONG HIDP_STATUS_SUCCESS_ = 0x00110000;
constexpr DWORD ERRO_PENDENTE = 997;           // ERROR_IO_PENDING
constexpr DWORD ERRO_DESCONECTADO = 1167;      // ERROR_DEVICE_NOT_CONNECTED
constexpr DWORD ERRO_GERAL = 31;               // ERROR_GEN_FAILURE

typedef void(WINAPI *FnGetHidGuid)(GUID *);
typedef HDEVINFO(WINAPI *FnGetClassDevs)(const GUID *, PCSTR, HWND, DWORD);
typedef BOOL(WINAPI *FnEnumInterfaces)(HDEVINFO, PSP_DEVINFO_DATA, const GUID *, DWORD,
                                       PSP_DEVICE_INTERFACE_DATA);
typedef BOOL(WINAPI *FnInterfaceDetail)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD,
                                        PSP_DEVINFO_DATA);
typedef BOOL(WINAPI *FnDestroyList)(HDEVINFO);
typedef BOOLEAN(WINAPI *FnGetPreparsed)(HANDLE, void **);
typedef LONG(WINAPI *FnGetCaps)(void *, CapacidadesHid *);
typedef BOOLEAN(WINAPI *FnFreePreparsed)(void *);
typedef BOOLEAN(WINAPI *FnGetFeature)(HANDLE, void *, ULONG);

template <typename F>
F Funcao(HMODULE m, const char *nome)
{
    if (m == nullptr)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, nome)));
}

bool Desconexao(DWORD e)
{
    return e == ERRO_DESCONECTADO || e == ERRO_GERAL;
}

// A system library from the system directory, never from the host's
// directory or the current one.  Windows without the search flags
// (before the 2011 loader update) refuses the flag: the full path then.
HMODULE CarregaDoSistema(const char *nome)
{
    constexpr DWORD SO_SISTEMA32 = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
    HMODULE m = LoadLibraryExA(nome, nullptr, SO_SISTEMA32);
    if (m != nullptr || GetLastError() != ERROR_INVALID_PARAMETER)
        return m;
    char caminho[MAX_PATH + 32];
    UINT n = GetSystemDirectoryA(caminho, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    std::snprintf(caminho + n, sizeof caminho - n, "\\%s", nome);
    return LoadLibraryA(caminho);
}

void LiberaHid(SistemaHid *s);

SistemaHid *AbreHid()
{
    HMODULE hid = CarregaDoSistema("HID.DLL");
    if (hid == nullptr)
        return nullptr;
    SistemaHid *s = new (std::nothrow) SistemaHid {};
    if (s == nullptr) {
        FreeLibrary(hid);
        return nullptr;
    }
    s->hid = hid;
    s->setupapi = CarregaDoSistema("SETUPAPI.DLL");
    s->kernel32 = CarregaDoSistema("KERNEL32.DLL");
    if (FnGetHidGuid f = Funcao<FnGetHidGuid>(s->hid, "HidD_GetHidGuid"))
        f(&s->classe);
    s->dispositivo = INVALID_HANDLE_VALUE;
    s->parar = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s->pedido = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s->leituraFeita = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s->escritaFeita = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Without its events the reader thread could never be woken or ended.
    if (s->parar == nullptr || s->pedido == nullptr || s->leituraFeita == nullptr ||
        s->escritaFeita == nullptr) {
        LiberaHid(s);
        return nullptr;
    }
    return s;
}

void FechaDispositivoHid(SistemaHid *s)
{
    if (s->dispositivo == INVALID_HANDLE_VALUE)
        return;
    // CancelIoEx reaches the read whichever thread posted it (CancelIo only
    // the calling thread's); Windows before Vista has only CancelIo.
    typedef BOOL(WINAPI * FnCancelIoEx)(HANDLE, LPOVERLAPPED);
    if (FnCancelIoEx cancela = Funcao<FnCancelIoEx>(s->kernel32, "CancelIoEx"))
        cancela(s->dispositivo, nullptr);
    else
        CancelIo(s->dispositivo);
    if (s->lendo) {
        // The cancelled read still owns the buffer and the OVERLAPPED.
        DWORD feitos = 0;
        GetOverlappedResult(s->dispositivo, &s->leitura, &feitos, TRUE);
        s->lendo = false;
    }
    if (s->preparados != nullptr) {
        if (FnFreePreparsed f = Funcao<FnFreePreparsed>(s->hid, "HidD_FreePreparsedData"))
            f(s->preparados);
    }
    s->preparados = nullptr;
    CloseHandle(s->dispositivo);
    s->dispositivo = INVALID_HANDLE_VALUE;
}

void LiberaHid(SistemaHid *s)
{
    FechaDispositivoHid(s);
    for (HANDLE e : {s->parar, s->pedido, s->leituraFeita, s->escritaFeita})
        if (e != nullptr)
            CloseHandle(e);
    if (s->kernel32 != nullptr)
        FreeLibrary(s->kernel32);
    if (s->setupapi != nullptr)
        FreeLibrary(s->setupapi);
    FreeLibrary(s->hid);
    delete s;
}

int ProcuraHid(SistemaHid *s, uint16_t pagina, uint16_t uso, InfoDispositivoHid *info)
{
    FechaDispositivoHid(s);
    FnGetClassDevs lista = Funcao<FnGetClassDevs>(s->setupapi, "SetupDiGetClassDevsA");
    FnEnumInterfaces enumera = Funcao<FnEnumInterfaces>(s->setupapi, "SetupDiEnumDeviceInterfaces");
    FnInterfaceDetail detalhe = Funcao<FnInterfaceDetail>(s->setupapi, "SetupDiGetDeviceInterfaceDetailA");
    FnDestroyList destroi = Funcao<FnDestroyList>(s->setupapi, "SetupDiDestroyDeviceInfoList");
    FnGetPreparsed preparados = Funcao<FnGetPreparsed>(s->hid, "HidD_GetPreparsedData");
    FnGetCaps capacidades = Funcao<FnGetCaps>(s->hid, "HidP_GetCaps");
    FnFreePreparsed libera = Funcao<FnFreePreparsed>(s->hid, "HidD_FreePreparsedData");
    if (lista == nullptr || enumera == nullptr || detalhe == nullptr || destroi == nullptr)
        return HID_AUSENTE;
    HDEVINFO dispositivos = lista(&s->classe, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (dispositivos == INVALID_HANDLE_VALUE)
        return HID_AUSENTE;
    for (DWORD indice = 0;; ++indice) {
        SP_DEVICE_INTERFACE_DATA dadosInterface {};
        dadosInterface.cbSize = sizeof dadosInterface;
        if (!enumera(dispositivos, nullptr, &s->classe, indice, &dadosInterface))
            break;
        // The detail is as long as its device path: sized by asking first.
        DWORD tamanho = 0;
        detalhe(dispositivos, &dadosInterface, nullptr, 0, &tamanho, nullptr);
        if (tamanho < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        std::vector<uint8_t> espaco(tamanho + 8);
        auto *d = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(espaco.data());
        d->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!detalhe(dispositivos, &dadosInterface, d, tamanho, nullptr, nullptr))
            continue;
        HANDLE h = CreateFileA(d->DevicePath, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        void *p = nullptr;
        CapacidadesHid caps {};
        if (preparados != nullptr && capacidades != nullptr && preparados(h, &p) &&
            capacidades(p, &caps) == HIDP_STATUS_SUCCESS_ && caps.UsagePage == pagina &&
            caps.Usage == uso) {
            s->dispositivo = h;
            s->preparados = p;
            info->pagina = caps.UsagePage;
            info->uso = caps.Usage;
            info->entrada = caps.InputReportByteLength;
            info->saida = caps.OutputReportByteLength;
            info->recurso = caps.FeatureReportByteLength;
            // Windows hands every report over with its identifier byte.
            info->numerados = HID_NUMERA_TODOS;
            std::snprintf(info->caminho, sizeof info->caminho, "%s", d->DevicePath);
            s->lendo = false;
            destroi(dispositivos);
            return HID_ACHADO;
        }
        if (p != nullptr && libera != nullptr)
            libera(p);
        CloseHandle(h);
    }
    destroi(dispositivos);
    return HID_AUSENTE;
}

void SinalizaHid(SistemaHid *s, EventoHid e)
{
    SetEvent(e == HID_EVENTO_PARAR ? s->parar : s->pedido);
}

EventoHid EsperaHid(SistemaHid *s, uint32_t ms)
{
    HANDLE eventos[3] = {s->parar, s->pedido, s->leituraFeita};
    DWORD r = WaitForMultipleObjects(3, eventos, FALSE, ms);
    if (r == WAIT_OBJECT_0)
        return HID_EVENTO_PARAR;
    if (r == WAIT_OBJECT_0 + 1)
        return HID_EVENTO_PEDIDO;
    if (r == WAIT_OBJECT_0 + 2) {
        // Auto-reset: the wait has cleared it; the completion is read next.
        SetEvent(s->leituraFeita);
        return HID_EVENTO_LEITURA;
    }
    if (r == WAIT_TIMEOUT)
        return HID_EVENTO_TEMPO;
    return HID_EVENTO_FALHA;
}

LeituraHid IniciaLeituraHid(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *lidos)
{
    *lidos = 0;
    if (s->dispositivo == INVALID_HANDLE_VALUE)
        return HID_DESCONECTADO;
    std::memset(&s->leitura, 0, sizeof s->leitura);
    s->leitura.hEvent = s->leituraFeita;
    DWORD feitos = 0;
    if (ReadFile(s->dispositivo, buffer, n, &feitos, &s->leitura)) {
        ResetEvent(s->leituraFeita);
        *lidos = feitos;
        return HID_LIDO;
    }
    DWORD e = GetLastError();
    if (e == ERRO_PENDENTE) {
        s->lendo = true;
        return HID_PENDENTE;
    }
    ResetEvent(s->leituraFeita);
    return Desconexao(e) ? HID_DESCONECTADO : HID_FALHOU;
}

LeituraHid ConcluiLeituraHid(SistemaHid *s, uint32_t *lidos)
{
    *lidos = 0;
    LeituraHid r = HID_FALHOU;
    DWORD feitos = 0;
    if (s->dispositivo != INVALID_HANDLE_VALUE && s->lendo) {
        s->lendo = false;
        if (GetOverlappedResult(s->dispositivo, &s->leitura, &feitos, TRUE)) {
            *lidos = feitos;
            r = HID_LIDO;
        } else if (Desconexao(GetLastError())) {
            r = HID_DESCONECTADO;
        }
    }
    ResetEvent(s->leituraFeita);
    return r;
}

int EscreveHid(SistemaHid *s, const uint8_t *rel, uint32_t n, uint32_t limiteMs, bool *desconectado)
{
    *desconectado = false;
    if (s->dispositivo == INVALID_HANDLE_VALUE)
        return 4;
    OVERLAPPED o {};
    o.hEvent = s->escritaFeita;
    ResetEvent(s->escritaFeita);
    DWORD feitos = 0;
    if (WriteFile(s->dispositivo, rel, n, &feitos, &o))
        return 0;
    DWORD e = GetLastError();
    if (e != ERRO_PENDENTE) {
        // Failed at once: as much a failure as one after waiting.
        *desconectado = Desconexao(e);
        return 4;
    }
    if (WaitForSingleObject(s->escritaFeita, limiteMs) != WAIT_OBJECT_0) {
        // The write is still running on our OVERLAPPED: stop it first.
        CancelIo(s->dispositivo);
        GetOverlappedResult(s->dispositivo, &o, &feitos, TRUE);
        return 22;
    }
    if (GetOverlappedResult(s->dispositivo, &o, &feitos, FALSE))
        return 0;
    *desconectado = Desconexao(GetLastError());
    return 4;
}

int LeRecursoHid(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *obtidos)
{
    *obtidos = 0;
    FnGetFeature f = Funcao<FnGetFeature>(s->hid, "HidD_GetFeature");
    if (f == nullptr || s->dispositivo == INVALID_HANDLE_VALUE)
        return 1;
    // HidD_GetFeature fills the whole report or fails.
    if (!f(s->dispositivo, buffer, n))
        return 1;
    *obtidos = n;
    return 0;
}

const BackendHid kBackend = {
    AbreHid, LiberaHid, ProcuraHid, FechaDispositivoHid, SinalizaHid, EsperaHid,
    IniciaLeituraHid, ConcluiLeituraHid, EscreveHid, LeRecursoHid, RelogioMonotonicoMs,
};

}  // namespace

const BackendHid *BackendHidSistema()
{
    return &kBackend;
}
