#pragma once
#include <QString>

namespace qel {

// An error as the database layer reports it: number, the driver's own text, and its source.
struct DbError {
    int number = 0;
    QString description;
    QString source;
    bool isSet() const { return number != 0; }
};

inline const char* kDriverSource = "MariaDB Connector/C";

// The error numbers the component acts on, by what they mean.
namespace dberr {
enum : int {
    kUnknown = 2000,            // CR_UNKNOWN_ERROR: the library failed without a server's number (also a refused file)
    kServerGone = 2006,         // CR_SERVER_GONE_ERROR
    kOutOfMemory = 2008,        // CR_OUT_OF_MEMORY
    kServerLost = 2013,         // CR_SERVER_LOST (also a read or write timeout)
    kCharsetUnknown = 2019,     // CR_CANT_READ_CHARSET
    kTlsFailed = 2026,          // CR_SSL_CONNECTION_ERROR
    kLostExtended = 2055,       // CR_SERVER_LOST_EXTENDED
    kKilled = 1927,             // ER_CONNECTION_KILLED
    kIdleTimeout = 4031,        // the server closed an idle connection
    kDeadlock = 1213,           // ER_LOCK_DEADLOCK, also a cluster's certification conflict
    kDuplicateKey = 1061,       // ER_DUP_KEYNAME
    kNoReloadRight = 1227,      // ER_SPECIFIC_ACCESS_DENIED_ERROR
    kNoDatabase = 1046,         // ER_NO_DB_ERROR
    kCollationMix = 1267,       // ER_CANT_AGGREGATE_2COLLATIONS
    kCollationMix3 = 1270,      // ER_CANT_AGGREGATE_3COLLATIONS
    kCollationMixN = 1271,      // ER_CANT_AGGREGATE_NCOLLATIONS
    kBadString = 1366,          // ER_TRUNCATED_WRONG_VALUE_FOR_FIELD: a character the column cannot hold
    kClosed = 3704,             // the recordset is not open (ADO's number)
    kNoConnection = 3709,       // the connection cannot be used (ADO's number)
};

// The connection to the server is gone (a TLS connection that the server closed reports the
// broken TLS stream instead).
inline bool isLost(int n)
{
    return n == kServerGone || n == kServerLost || n == kLostExtended || n == kKilled || n == kIdleTimeout || n == kTlsFailed;
}

// The search value holds characters that the table's character set cannot hold, so no row can
// hold it either.
inline bool isUnrepresentable(int n) { return n == kCollationMix || n == kCollationMix3 || n == kCollationMixN || n == kBadString; }

// A load that another writer on a cluster won: worth one more try.
inline bool isRetryable(int n) { return n == kDeadlock || isLost(n); }
} // namespace dberr

} // namespace qel
