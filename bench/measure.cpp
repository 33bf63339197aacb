#include "bench/measure.h"
#include "db/connection.h"
#include <QFile>
#include <mysql.h>
#include <QElapsedTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::bench {

double median(QList<double> s)
{
    std::sort(s.begin(), s.end());
    return s.isEmpty() ? 0 : s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
}

double medianRatio(const QList<double>& a, const QList<double>& b)
{
    QList<double> r;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        r << a[i] / b[i];
    return median(r);
}

double Figures::min() const { return *std::min_element(ms.begin(), ms.end()); }
double Figures::median() const { return bench::median(ms); }

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void runRounds(QList<Pair>& pairs, int rounds)
{
    for (int round = -1; round < rounds; ++round)
        for (Pair& p : pairs) {
            const auto arm = [round](const std::function<void()>& prepare, const std::function<void()>& work, Figures& f) {
                if (prepare)
                    prepare();
                QElapsedTimer t;
                t.start();
                const double cpu = threadCpuMs();
                work();
                if (round >= 0) {
                    f.ms << double(t.nsecsElapsed()) / 1e6;
                    f.cpuMs << threadCpuMs() - cpu;
                }
            };
            if (round % 2 != 0) {
                arm(p.prepareMeasured, p.measured, p.m);
                arm(p.prepareBaseline, p.baseline, p.b);
            } else {
                arm(p.prepareBaseline, p.baseline, p.b);
                arm(p.prepareMeasured, p.measured, p.m);
            }
        }
}

bool report(const Pair& p)
{
    const double wall = medianRatio(p.m.ms, p.b.ms), cpu = medianRatio(p.m.cpuMs, p.b.cpuMs);
    const bool wallMet = wall <= p.target, cpuMet = p.cpuTarget <= 0 || cpu <= p.cpuTarget;
    if (qEnvironmentVariableIsSet("QEL_BENCH_SAMPLES")) {
        for (double v : p.m.ms)
            printf("%.1f ", v);
        printf("| ");
        for (double v : p.b.ms)
            printf("%.1f ", v);
        printf("\n");
    }
    printf("%-12s wall %8.1f / %8.1f ms  baseline %8.1f / %8.1f ms  ratio %5.2fx  target <= %.1fx  %s\n", p.name, p.m.min(),
           p.m.median(), p.b.min(), p.b.median(), wall, p.target, wallMet ? "met" : "NOT MET");
    printf("%-12s cpu  %8.1f ms median        baseline %8.1f ms median        ratio %5.2fx", "", median(p.m.cpuMs), median(p.b.cpuMs), cpu);
    if (p.cpuTarget > 0)
        printf("  target <= %.1fx  %s", p.cpuTarget, cpuMet ? "met" : "NOT MET");
    printf("\n");
    return wallMet && cpuMet;
}

BusyCore::BusyCore()
{
    m_pid = fork();
    if (m_pid == 0) {
        volatile unsigned long spin = 0;
        for (;;)
            spin = spin + 1U;
    }
}

BusyCore::~BusyCore()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

void fail(const QString& what)
{
    fprintf(stderr, "bench: %s\n", qPrintable(what));
    exit(2);
}

// The bare fetch: the query through Connector/C, each row as it arrives, every byte read.
quint64 bareFetch(Connection& db, const QByteArray& sql, bool rowsExpected)
{
    MYSQL* m = db.handle();
    if (mysql_real_query(m, sql.constData(), (unsigned long)sql.size()) != 0)
        fail(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), QString::fromUtf8(mysql_error(m))));
    MYSQL_RES* res = mysql_use_result(m);
    if (!res)
        fail(QString::fromUtf8(mysql_error(m)));
    const unsigned fields = mysql_num_fields(res);
    quint64 sum = 0, rows = 0;
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* len = mysql_fetch_lengths(res);
        for (unsigned i = 0; i < fields; ++i)
            for (unsigned long j = 0; j < len[i]; ++j)
                sum += uchar(row[i][j]);
        ++rows;
    }
    if (mysql_errno(m) != 0)
        fail(QString::fromUtf8(mysql_error(m)));
    mysql_free_result(res);
    if (rows == 0 && rowsExpected)
        fail(QStringLiteral("no rows from: ") + QString::fromUtf8(sql));
    return sum;
}

// Memory the process holds, in bytes: now (VmRSS) or at its peak (VmHWM) since the peak was reset.
qint64 residentBytes(const char* which)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(which))
            return line.mid(qstrlen(which)).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

} // namespace qel::bench
