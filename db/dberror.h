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
    kUnknownColumn = 1054,      // ER_BAD_FIELD_ERROR
    kDuplicateKey = 1061,       // ER_DUP_KEYNAME
    kDuplicateEntry = 1062,     // ER_DUP_ENTRY
    kNoReloadRight = 1227,      // ER_SPECIFIC_ACCESS_DENIED_ERROR
    kNoDatabase = 1046,         // ER_NO_DB_ERROR
    kCollationMix = 1267,       // ER_CANT_AGGREGATE_2COLLATIONS
    kCollationMix3 = 1270,      // ER_CANT_AGGREGATE_3COLLATIONS
    kCollationMixN = 1271,      // ER_CANT_AGGREGATE_NCOLLATIONS
    kBadString = 1366,          // ER_TRUNCATED_WRONG_VALUE_FOR_FIELD: a character the column cannot hold
    kAccessDenied = 1045,       // ER_ACCESS_DENIED_ERROR
    kAccessDeniedNoPassword = 1698,   // ER_ACCESS_DENIED_NO_PASSWORD_ERROR (socket authentication)
    kCantGetStat = 13,          // EE_STAT: the server cannot see the file
    kFileNotFound = 29,         // EE_FILENOTFOUND
    kSecureFilePriv = 1290,     // ER_OPTION_PREVENTS_STATEMENT (--secure-file-priv)
    kLocalInfileOff = 1148,     // ER_NOT_ALLOWED_COMMAND: local infile is off
    kLocalInfileOff2 = 4166,    // ER_LOAD_INFILE_CAPABILITY_DISABLED
    kLocalInfileOff3 = 3948,    // MySQL's "loading local data is disabled"
    kLocalInfileOff4 = 2068,    // CR_LOAD_DATA_LOCAL_INFILE_REJECTED
    kMultiByteTerminator = 1638,   // a warning that a load's terminator is one byte: harmless here
    kItemNotFound = 3265,       // no field of that name (ADO's number)
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

// The server could not read the file it was told to load.
inline bool isUnreadableFile(int n)
{
    return n == kCantGetStat || n == kFileNotFound || n == kAccessDenied || n == kNoReloadRight || n == kSecureFilePriv;
}

// The server takes no file over the connection.
inline bool isLocalInfileRefused(int n) { return n == kLocalInfileOff || n == kLocalInfileOff2 || n == kLocalInfileOff3 || n == kLocalInfileOff4; }

// A login the server refused for the account, not for a missing server.
inline bool isAccessDenied(int n) { return n == kAccessDenied || n == kAccessDeniedNoPassword; }

// A load that another writer on a cluster won: worth one more try.
inline bool isRetryable(int n) { return n == kDeadlock || isLost(n); }
} // namespace dberr

} // namespace qel
