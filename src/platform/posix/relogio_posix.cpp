// Clocks and sleeping on POSIX systems.
#include "platform/plataforma.h"

#include <cerrno>
#include <ctime>
#include <sys/time.h>
#include <time.h>

void LeRelogioLocal(RelogioLocal *r)
{
    time_t agora = time(nullptr);
    struct tm t {};
    tzset();
    localtime_r(&agora, &t);
    r->ano = t.tm_year + 1900;
    r->mes = t.tm_mon + 1;
    r->dia = t.tm_mday;
    r->hora = t.tm_hour;
    r->minuto = t.tm_min;
    r->segundo = t.tm_sec;
    r->verao = t.tm_isdst > 0 ? 1 : 0;
}

uint64_t RelogioUtcMs()
{
    // Seconds between 1601-01-01 and 1970-01-01.
    const uint64_t desde1601 = 11644473600ULL;
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return (static_cast<uint64_t>(ts.tv_sec) + desde1601) * 1000ULL +
           static_cast<uint64_t>(ts.tv_nsec) / 1000000ULL;
}

int64_t RelogioSegundos()
{
    return static_cast<int64_t>(time(nullptr));
}

uint64_t RelogioMonotonicoMs()
{
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000ULL +
           static_cast<uint64_t>(ts.tv_nsec) / 1000000ULL;
}

void DormeMs(unsigned ms)
{
    // Up to a moment of the monotonic clock, so that a signal handled
    // meanwhile neither shortens nor stretches the sleep.
    struct timespec fim {};
    clock_gettime(CLOCK_MONOTONIC, &fim);
    fim.tv_sec += static_cast<time_t>(ms / 1000);
    fim.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (fim.tv_nsec >= 1000000000L) {
        fim.tv_sec += 1;
        fim.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &fim, nullptr) == EINTR) {
    }
}
