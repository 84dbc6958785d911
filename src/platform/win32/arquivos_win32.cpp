// Directories, file moves and whole-file mappings on Windows.
#include "platform/plataforma.h"

#include <windows.h>

int CriaDiretorio(const char *caminho)
{
    if (CreateDirectoryA(caminho, nullptr))
        return 0;
    DWORD a = GetFileAttributesA(caminho);
    return (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) ? 0 : 1;
}

int MoveArquivo(const char *de, const char *para)
{
    return MoveFileExA(de, para, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) ? 0 : 1;
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
    HANDLE h = CreateFileA(caminho, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    LARGE_INTEGER posicao;
    posicao.QuadPart = static_cast<LONGLONG>(tamanho);
    bool ok = SetFilePointerEx(h, posicao, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok ? 0 : 1;
}

int MapeiaArquivo(const char *caminho, MapeamentoArquivo *m)
{
    m->base = nullptr;
    m->tamanho = 0;
    HANDLE f = CreateFileA(caminho, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 1;
    DWORD alto = 0;
    DWORD baixo = GetFileSize(f, &alto);
    uint64_t tamanho = (static_cast<uint64_t>(alto) << 32) | baixo;
    if (baixo == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(f);
        return 1;
    }
    if (tamanho == 0 || tamanho > static_cast<uint64_t>(SIZE_MAX)) {
        CloseHandle(f);
        return 1;
    }
    HANDLE map = CreateFileMappingA(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (map == nullptr) {
        CloseHandle(f);
        return 1;
    }
    void *p = MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0);
    if (p == nullptr) {
        CloseHandle(map);
        CloseHandle(f);
        return 1;
    }
    m->base = static_cast<const uint8_t *>(p);
    m->tamanho = tamanho;
    m->interno[0] = f;
    m->interno[1] = map;
    return 0;
}

void DesmapeiaArquivo(MapeamentoArquivo *m)
{
    if (m->base != nullptr) {
        UnmapViewOfFile(m->base);
        CloseHandle(static_cast<HANDLE>(m->interno[1]));
        CloseHandle(static_cast<HANDLE>(m->interno[0]));
    }
    m->base = nullptr;
    m->tamanho = 0;
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
