#pragma once
// Timing of the benchmark's comparisons: wall clock and the thread's own CPU time of each arm,
// in interleaved rounds, judged on the median of the per-round ratios.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace qel {
class Connection;
}

namespace qel::bench {

struct Figures {
    QList<double> ms, cpuMs;   // one entry per counted round
    double min() const;
    double median() const;
};

double median(QList<double> values);
// The median of the per-round ratios a[i] / b[i].
double medianRatio(const QList<double>& a, const QList<double>& b);

// One comparison: each arm prepared (untimed), then timed; arms alternate which goes first.
// cpuTarget 0: the wall clock alone is judged.
struct Pair {
    const char* name;
    double target;
    double cpuTarget;
    std::function<void()> prepareMeasured, measured, prepareBaseline, baseline;
    Figures m, b;
};

// One round first that is not counted: it pays for what only a process's first run does
// (memory first touched, caches filled).
void runRounds(QList<Pair>& pairs, int rounds);
// Prints the pair's figures; whether it met its targets.
bool report(const Pair& p);

// A process that keeps one core busy until the returned guard ends (the machine of a user who is
// doing other work at the same time).
class BusyCore {
public:
    BusyCore();
    ~BusyCore();
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

private:
    int m_pid = -1;
};

[[noreturn]] void fail(const QString& what);
// The bare fetch: the query through Connector/C, each row as it arrives, every byte read. A
// query that returns no row fails the benchmark, unless none may come.
quint64 bareFetch(Connection& db, const QByteArray& sql, bool rowsExpected = true);
// Memory the process holds, in bytes: now ("VmRSS:") or at its peak ("VmHWM:").
qint64 residentBytes(const char* which);
double threadCpuMs();

} // namespace qel::bench
