/*
 * hospedeiro.c - an example host program: loads the talvor library at run
 * time, by name, as point-of-sale software does, and runs the typical road:
 * open the printer, print a Leitura X, download the fiscal memory and the
 * detail tape of a date range, close, and convert the downloads offline.
 *
 *   hospedeiro BIBLIOTECA PORTA MODELO INICIO FIM
 *   e.g. hospedeiro ./libtalvor.so.1 COM1 7720-QX3 01012025 31122025
 *
 * The output directories must exist in the current directory.  The exit
 * status is 0 only when every step returned 0.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#define CHAMADA __stdcall
typedef HMODULE Biblioteca;
static Biblioteca Carrega(const char *nome) { return LoadLibraryA(nome); }
static void *Funcao(Biblioteca b, const char *nome) { return (void *)GetProcAddress(b, nome); }
#else
#include <dirent.h>
#include <dlfcn.h>
#define CHAMADA
typedef void *Biblioteca;
static Biblioteca Carrega(const char *nome) { return dlopen(nome, RTLD_NOW); }
static void *Funcao(Biblioteca b, const char *nome) { return dlsym(b, nome); }
#endif

typedef int32_t(CHAMADA *Funcao0)(void);
typedef int32_t(CHAMADA *Funcao2)(const char *, const char *);
typedef int32_t(CHAMADA *Funcao3)(const char *, const char *, const char *);
typedef int32_t(CHAMADA *Funcao4)(const char *, const char *, const char *, const char *);
typedef int32_t(CHAMADA *Funcao5)(const char *, const char *, const char *, const char *,
                                  const char *);

static int falhas = 0;

static void Informa(const char *passo, int32_t r)
{
    printf("%-40s %d\n", passo, (int)r);
    if (r != 0)
        falhas++;
}

/* The newest file of a directory with the given extension, or 0. */
static int MaisRecente(const char *dir, const char *ext, char *caminho, size_t n)
{
#if defined(_WIN32)
    char padrao[MAX_PATH];
    WIN32_FIND_DATAA d;
    HANDLE h;
    int achou = 0;
    snprintf(padrao, sizeof padrao, "%s*.%s", dir, ext);
    h = FindFirstFileA(padrao, &d);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        char candidato[MAX_PATH];
        snprintf(candidato, sizeof candidato, "%s%s", dir, d.cFileName);
        if (!achou || strcmp(candidato, caminho) > 0)
            snprintf(caminho, n, "%s", candidato);
        achou = 1;
    } while (FindNextFileA(h, &d));
    FindClose(h);
    return achou;
#else
    DIR *d = opendir(dir);
    struct dirent *e;
    int achou = 0;
    size_t le = strlen(ext);
    if (d == NULL)
        return 0;
    while ((e = readdir(d)) != NULL) {
        size_t l = strlen(e->d_name);
        char candidato[1024];
        if (l <= le + 1 || e->d_name[l - le - 1] != '.' || strcmp(e->d_name + l - le, ext) != 0)
            continue;
        snprintf(candidato, sizeof candidato, "%s%s", dir, e->d_name);
        /* Names carry the time stamp: the greatest is the newest. */
        if (!achou || strcmp(candidato, caminho) > 0)
            snprintf(caminho, n, "%s", candidato);
        achou = 1;
    }
    closedir(d);
    return achou;
#endif
}

int main(int argc, char **argv)
{
    Biblioteca b;
    Funcao2 Open;
    Funcao0 Close, ImprimeLeituraX;
    Funcao4 DownloadMemorias, GeraEspelhos;
    Funcao5 GeraEspelhoLMF;
    Funcao3 GeraRegistrosTipoE;
#if defined(_WIN32)
    const char *binarios = "Arquivos Bin\xE1rios/";
#else
    const char *binarios = "Arquivos Bin\xC3\xA1rios/";
#endif
    char mf[1024] = "", mfd[1024] = "";

    if (argc != 6) {
        fprintf(stderr, "uso: hospedeiro BIBLIOTECA PORTA MODELO INICIO FIM\n");
        return 2;
    }
    b = Carrega(argv[1]);
    if (b == NULL) {
        fprintf(stderr, "hospedeiro: a biblioteca %s não carregou\n", argv[1]);
        return 2;
    }
    Open = (Funcao2)Funcao(b, "Open");
    Close = (Funcao0)Funcao(b, "Close");
    ImprimeLeituraX = (Funcao0)Funcao(b, "ImprimeLeituraX");
    DownloadMemorias = (Funcao4)Funcao(b, "DownloadMemorias");
    GeraEspelhos = (Funcao4)Funcao(b, "GeraEspelhos");
    GeraEspelhoLMF = (Funcao5)Funcao(b, "GeraEspelhoLMF");
    GeraRegistrosTipoE = (Funcao3)Funcao(b, "GeraRegistrosTipoE");
    if (!Open || !Close || !ImprimeLeituraX || !DownloadMemorias || !GeraEspelhos ||
        !GeraEspelhoLMF || !GeraRegistrosTipoE) {
        fprintf(stderr, "hospedeiro: falta uma função exportada\n");
        return 2;
    }

    Informa("Open", Open(argv[2], argv[3]));
    Informa("ImprimeLeituraX", ImprimeLeituraX());
    Informa("DownloadMemorias (MF e MFD, por data)", DownloadMemorias("2", "0", argv[4], argv[5]));
    Informa("Close", Close());

    if (!MaisRecente(binarios, "MF", mf, sizeof mf) || !MaisRecente(binarios, "MFD", mfd, sizeof mfd)) {
        fprintf(stderr, "hospedeiro: downloads não encontrados em %s\n", binarios);
        return 1;
    }
    printf("MF:  %s\nMFD: %s\n", mf, mfd);
    Informa("GeraEspelhoLMF (completa, por data)", GeraEspelhoLMF(mf, "0", "0", argv[4], argv[5]));
    Informa("GeraEspelhos (por data)", GeraEspelhos(mfd, "0", argv[4], argv[5]));
    Informa("GeraRegistrosTipoE 2", GeraRegistrosTipoE(mf, mfd, "2"));
    printf("%s\n", falhas == 0 ? "tudo certo" : "houve falhas");
    return falhas == 0 ? 0 : 1;
}
