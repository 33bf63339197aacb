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

} // namespace qel
