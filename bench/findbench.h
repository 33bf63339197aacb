#pragma once
#include "bench/measure.h"

namespace qel {
class Connection;
class Session;
}

namespace qel::bench {

// The Find window's code answers, each against the one indexed query of its table (comparisons
// for the rounds).
void addFindCodes(QList<Pair>& pairs, Connection& db, Session* session);
// Its names: the index's build time and memory, and the time of 1,000 misspelt names. Whether
// the 95th percentile is within the target.
bool reportNames(Session* session);

} // namespace qel::bench
