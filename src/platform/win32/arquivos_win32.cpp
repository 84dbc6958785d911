// Directories, files and the durable renames of finished outputs on
// Windows.
#include "platform/plataforma.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace {

// What the test aid asked for, as the system's own error.
bool FalhaPedida(int operacao, const char *caminho, const char *outro, uint64_t bytes)
{
    int g = GanchoArquivo(operacao, caminho, outro, bytes);
    if (g == 0)
        return false;
    SetLastError(g == FALHA_OUTRO_DISPOSITIVO ? ERROR_NOT_SAME_DEVICE : ERROR_WRITE_FAULT);
    return true;
}

}  // namespace

int CriaDiretorio(const char *caminho)
{
    if (CreateDirectoryA(caminho, nullptr))
        return 0;
    DWORD a = GetFileAttributesA(caminho);
    return (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) ? 0 : 1;
}

int MoveArquivo(const char *de, const char *para)
{
    if (FalhaPedida(ARQ_RENOMEIA, de, para, 0))
        return 1;
    return MoveFileExA(de, para,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)
               ? 0
               : 1;
}

int RemoveArquivo(const char *caminho)
{
    return DeleteFileA(caminho) ? 0 : 1;
}

int TamanhoArquivo(const char *caminho, uint64_t *tamanho)
{
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(caminho, GetFileExInfoStandard, &d) ||
        (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    *tamanho = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    return 0;
}

int TruncaArquivo(const char *caminho, uint64_t tamanho)
{
    // Shared, as the readers open files: a file being read can be cut.
    HANDLE h = CreateFileA(caminho, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    LARGE_INTEGER posicao;
    posicao.QuadPart = static_cast<LONGLONG>(tamanho);
    bool ok = SetFilePointerEx(h, posicao, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok ? 0 : 1;
}

int CriaArquivoTemporario(char *destino, size_t capacidade)
{
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > MAX_PATH || capacidade < MAX_PATH)
        return 1;
    // Prefix empty, number 0: a unique name, and the file is created.
    return GetTempFileNameA(dir, "", 0, destino) != 0 ? 0 : 1;
}

FILE *CriaArquivoNovo(const char *caminho)
{
    if (FalhaPedida(ARQ_CRIA, caminho, nullptr, 0))
        return nullptr;
    HANDLE h = CreateFileA(caminho, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileA(caminho);
        return nullptr;
    }
    FILE *f = _fdopen(fd, "wb");
    if (f == nullptr) {
        _close(fd);
        DeleteFileA(caminho);
    }
    return f;
}

int SincronizaArquivo(FILE *arquivo)
{
    if (std::fflush(arquivo) != 0 || FalhaPedida(ARQ_SINCRONIZA, "", nullptr, 0))
        return 1;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(arquivo)));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) ? 0 : 1;
}

int RenomeiaSemSubstituir(const char *de, const char *para)
{
    if (FalhaPedida(ARQ_RENOMEIA, de, para, 0))
        return 1;
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced;
    // MOVEFILE_WRITE_THROUGH returns once the move is on the disk.
    if (MoveFileExA(de, para, MOVEFILE_WRITE_THROUGH))
        return 0;
    DWORD e = GetLastError();
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? 2 : 1;
}

int SincronizaDiretorio(const char *diretorio)
{
    // The move itself was written through.
    return FalhaPedida(ARQ_SINCRONIZA, diretorio[0] != '\0' ? diretorio : ".", nullptr, 0) ? 1 : 0;
}

int PercorreDiretorio(const char *diretorio, void (*visita)(const char *nome, void *contexto),
                      void *contexto)
{
    std::string padrao = std::string(diretorio) + "*";
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA(padrao.c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
    do {
        const char *n = d.cFileName;
        if (!(n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))))
            visita(n, contexto);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    return 0;
}

uint32_t IdProcesso()
{
    return GetCurrentProcessId();
}

bool ProcessoAtivo(uint32_t id)
{
    if (id == 0)
        return false;
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (h == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD codigo = 0;
    bool ativo = !GetExitCodeProcess(h, &codigo) || codigo == STILL_ACTIVE;
    CloseHandle(h);
    return ativo;
}

int LeArquivoInteiro(const char *caminho, uint8_t *destino, size_t capacidade, size_t *lidos)
{
    // Read, never mapped: a file that shrinks or a share that goes away
    // gives a failed read, not an in-page error.
    HANDLE h = CreateFileA(caminho, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    LARGE_INTEGER t;
    if (!GetFileSizeEx(h, &t) || GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return 1;
    }
    uint64_t tamanho = static_cast<uint64_t>(t.QuadPart);
    size_t pedido = tamanho < capacidade ? static_cast<size_t>(tamanho) : capacidade;
    size_t feito = 0;
    while (feito < pedido) {
        if (FalhaPedida(ARQ_LE, caminho, nullptr, feito))
            break;
        DWORD parte = static_cast<DWORD>(pedido - feito < 65536 ? pedido - feito : 65536);
        DWORD n = 0;
        if (!ReadFile(h, destino + feito, parte, &n, nullptr) || n == 0)
            break;
        feito += n;
    }
    CloseHandle(h);
    *lidos = feito;
    return feito == pedido ? 0 : 1;
}

int PosicionaArquivo(FILE *arquivo, uint64_t posicao)
{
    if (posicao > static_cast<uint64_t>(INT64_MAX))
        return 1;
    return _fseeki64(arquivo, static_cast<__int64>(posicao), SEEK_SET) == 0 ? 0 : 1;
}

int TamanhoAberto(FILE *arquivo, uint64_t *tamanho)
{
    if (_fseeki64(arquivo, 0, SEEK_END) != 0)
        return 1;
    __int64 fim = _ftelli64(arquivo);
    if (fim < 0)
        return 1;
    *tamanho = static_cast<uint64_t>(fim);
    return 0;
}
