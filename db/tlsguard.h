#pragma once

struct st_mysql;

namespace qel::tlsguard {

// Makes a connection that is about to be opened refuse a server that offers no TLS, before the
// client sends anything (its user name, or anything of its password). False when the library
// would not take the authentication step that does it.
bool require(st_mysql* m);
// Whether the last connection attempt on this thread was refused for that.
bool refusedPlainServer();
void reset();

} // namespace qel::tlsguard
