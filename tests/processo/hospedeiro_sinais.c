/*
 * hospedeiro_sinais.c - a host that takes a SIGALRM every millisecond,
 * installed without SA_RESTART, while it downloads the fiscal memory
 * through the shared library: every system call of the library that the
 * signal interrupts must be taken up again.
 *
 *   hospedeiro_sinais BIBLIOTECA PORTA MODELO
 *
 * Prints the three results and the number of signals taken; the exit
 * status is 0 only when Open, LeBinarioMF and Close returned 0.
 */
#include <dlfcn.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/time.h>

typedef int32_t (*Funcao0)(void);
typedef int32_t (*Funcao2)(const char *, const char *);

static volatile sig_atomic_t sinais = 0;

static void Conta(int s)
{
    (void)s;
    sinais++;
}

int main(int argc, char **argv)
{
    void *b;
    Funcao2 Open;
    Funcao0 LeBinarioMF, Close;
    struct sigaction acao;
    struct itimerval intervalo = {{0, 1000}, {0, 1000}}, parado = {{0, 0}, {0, 0}};
    int32_t r[3];

    if (argc != 4 || (b = dlopen(argv[1], RTLD_NOW)) == NULL)
        return 2;
    Open = (Funcao2)dlsym(b, "Open");
    LeBinarioMF = (Funcao0)dlsym(b, "LeBinarioMF");
    Close = (Funcao0)dlsym(b, "Close");
    if (!Open || !LeBinarioMF || !Close)
        return 2;
    memset(&acao, 0, sizeof acao);
    acao.sa_handler = Conta;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = 0; /* no SA_RESTART */
    sigaction(SIGALRM, &acao, NULL);
    setitimer(ITIMER_REAL, &intervalo, NULL);
    r[0] = Open(argv[2], argv[3]);
    r[1] = LeBinarioMF();
    r[2] = Close();
    setitimer(ITIMER_REAL, &parado, NULL);
    printf("%d %d %d %ld\n", (int)r[0], (int)r[1], (int)r[2], (long)sinais);
    return r[0] == 0 && r[1] == 0 && r[2] == 0 ? 0 : 1;
}
