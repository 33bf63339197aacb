#include "db/tlsguard.h"
#include <mysql.h>
#include <mysql/plugin_auth.h>
#include <mutex>

namespace qel::tlsguard {

namespace {
// The client library refuses a server without TLS only when it also checks the certificate;
// with SslMode=Required it would log in in clear text. This authentication step runs after the
// server's greeting and before the first packet of the client: it refuses a server that does
// not offer TLS, so that neither the user name nor anything of the password leaves. Where the
// server offers TLS, its first packet starts TLS and then says who logs in; the server answers
// with the authentication its account needs, which the library runs over TLS.
thread_local bool t_refusedPlain = false;
const char* const kTlsGuard = "qelrefdesk_tls_guard";

int tlsGuard(MYSQL_PLUGIN_VIO* vio, MYSQL* mysql)
{
    if (!(mysql->server_capabilities & CLIENT_SSL)) {
        t_refusedPlain = true;
        return CR_ERROR;
    }
    return vio->write_packet(vio, nullptr, 0) || !mysql_get_ssl_cipher(mysql) ? CR_ERROR : CR_OK;
}

// The library's authentication plugin, as its client_plugin.h lays it out (that header needs
// another that the -dev package leaves out).
struct AuthPlugin {
    int type;
    unsigned int interfaceVersion;
    const char* name;
    const char* author;
    const char* desc;
    unsigned int version[3];
    const char* license;
    void* mysqlApi;
    int (*init)(char*, size_t, int, va_list);
    int (*deinit)();
    int (*options)(const char*, const void*);
    int (*authenticateUser)(MYSQL_PLUGIN_VIO*, MYSQL*);
};
constexpr int kAuthenticationPlugin = 2, kAuthenticationInterface = 0x0100;

AuthPlugin g_tlsGuard = {
    kAuthenticationPlugin, kAuthenticationInterface, kTlsGuard, "QELRefDesk",
    "Refuses a server that offers no TLS before anything is sent", {1, 0, 0}, "Proprietary", nullptr, nullptr, nullptr,
    nullptr, &tlsGuard};

bool registerGuard(MYSQL* m)
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [m] {
        registered = mysql_client_register_plugin(m, reinterpret_cast<st_mysql_client_plugin*>(&g_tlsGuard)) != nullptr;
    });
    return registered;
}
} // namespace

bool require(MYSQL* m)
{
    if (!registerGuard(m))
        return false;
    mysql_options(m, MYSQL_DEFAULT_AUTH, kTlsGuard);
    return true;
}

bool refusedPlainServer() { return t_refusedPlain; }
void reset() { t_refusedPlain = false; }

} // namespace qel::tlsguard
