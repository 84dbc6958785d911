// The platform layer: the only part of the library that talks to the
// operating system.  The core calls these routines; src/platform/posix and
// src/platform/win32 each implement all of them.
#ifndef TALVOR_PLATAFORMA_H
#define TALVOR_PLATAFORMA_H

#include <cstddef>
#include <cstdint>

// Name of the binary-download directory.  On Windows the file system takes
// code page 1252 (the "á" is the byte 0xE1); POSIX file names are UTF-8.
#if defined(_WIN32)
#define DIR_BINARIOS "Arquivos Bin\xE1rios/"
#else
#define DIR_BINARIOS "Arquivos Bin\xC3\xA1rios/"
#endif

// Local calendar time as the host's clock gives it (TZ honoured on POSIX).
struct RelogioLocal {
    int ano;      // full year
    int mes;      // 1 to 12
    int dia;      // 1 to 31
    int hora;     // 0 to 23
    int minuto;
    int segundo;
    int verao;    // 1 while summer time is in force
};
void LeRelogioLocal(RelogioLocal *r);

// Milliseconds of UTC time since 1 January 1601 (the Windows file-time epoch).
uint64_t RelogioUtcMs();

// Calendar seconds (time since 1 January 1970).
int64_t RelogioSegundos();

// Milliseconds of a clock that only moves forward at a steady pace, from an
// arbitrary origin: what time limits and intervals are measured on, so that
// a step of the wall clock neither stalls nor shortens them.
uint64_t RelogioMonotonicoMs();

// Sleeps ms milliseconds of the monotonic clock; a signal does not cut it
// short.
void DormeMs(unsigned ms);

// Directories and files.  0 on success.
int CriaDiretorio(const char *caminho);        // 0 also when it exists already
int MoveArquivo(const char *de, const char *para);
int RemoveArquivo(const char *caminho);
int TamanhoArquivo(const char *caminho, uint64_t *tamanho);
// Cuts a file back to the given size (an append that failed half-way).
int TruncaArquivo(const char *caminho, uint64_t tamanho);
// Creates a new, empty file with a unique name in the system's temporary
// directory and writes its name (capacidade bytes with the terminator).
// 0, or 1 when no such file could be created.
int CriaArquivoTemporario(char *destino, size_t capacidade);

// A thread of the library (the HID and scanner readers, the digest thread).
// IniciaLinha: 0 started, 1 not.  AguardaLinha waits for its end (nothing
// when none runs).  An exception escaping rotina ends the thread, never the
// process; on Windows the thread holds a reference to the library's module
// while it runs and ends through FreeLibraryAndExitThread.
struct LinhaExecucao {
    void *interno;
};
int IniciaLinha(LinhaExecucao *linha, void (*rotina)());
void AguardaLinha(LinhaExecucao *linha);

// Read-only mapping of a whole file.
struct MapeamentoArquivo {
    const uint8_t *base;
    uint64_t tamanho;
    void *interno[2];
};
// 0 mapped; 1 the file cannot be opened or mapped.
int MapeiaArquivo(const char *caminho, MapeamentoArquivo *m);
void DesmapeiaArquivo(MapeamentoArquivo *m);

// Closes an open serial port when the library is unloaded or the process
// ends (on Windows DllMain calls it; on POSIX the core's unloading hook).
void FechaRecursosAoDescarregar();

// The library in its process.  The core hands over two routines once, at
// load: aoDescarregar runs when the library is unloaded (dlclose) or its
// process ends, and only in the process that loaded it; noFilho runs in the
// child of a fork, which must forget the parent's port, channel and
// threads without touching them.  On POSIX a destructor and pthread_atfork
// run them; on Windows there is no fork, and DllMain, which must never wait
// for a thread, only closes the serial port (each library thread holds its
// own reference to the module, so the library cannot be unmapped under it).
void InstalaGanchosProcesso(void (*aoDescarregar)(), void (*noFilho)());

#endif
