#include "db/charsets.h"

namespace qel {

namespace {
// The server's names of its character sets, against the names of the same encodings here.
const char* encodingName(const QByteArray& cs)
{
    static const struct {
        const char* server;
        const char* encoding;
    } names[] = {
        {"latin1", "windows-1252"}, {"ascii", "US-ASCII"},      {"gbk", "GBK"},           {"gb2312", "GB2312"},
        {"gb18030", "GB18030"},     {"big5", "Big5"},           {"sjis", "Shift_JIS"},    {"cp932", "windows-31j"},
        {"ujis", "EUC-JP"},         {"eucjpms", "EUC-JP"},      {"euckr", "EUC-KR"},      {"cp1250", "windows-1250"},
        {"cp1251", "windows-1251"}, {"cp1256", "windows-1256"}, {"cp1257", "windows-1257"}, {"latin2", "ISO-8859-2"},
        {"latin5", "ISO-8859-9"},   {"latin7", "ISO-8859-13"},  {"greek", "ISO-8859-7"},  {"hebrew", "ISO-8859-8"},
        {"koi8r", "KOI8-R"},        {"koi8u", "KOI8-U"},        {"tis620", "TIS-620"},    {"cp850", "IBM850"},
        {"cp852", "IBM852"},        {"cp866", "IBM866"},
    };
    for (const auto& n : names)
        if (cs == n.server)
            return n.encoding;
    return nullptr;
}
} // namespace

CharsetCodec::CharsetCodec(const QByteArray& cs)
{
    m_utf8 = isUtf8(cs);
    if (m_utf8)
        return;
    if (const char* name = encodingName(cs)) {
        m_encoder = QStringEncoder(name, QStringConverter::Flag::Stateless);
        m_decoder = QStringDecoder(name, QStringConverter::Flag::Stateless);
    }
}

QByteArray CharsetCodec::encode(const QString& text, bool* ok)
{
    if (m_utf8) {
        *ok = true;
        return text.toUtf8();
    }
    m_encoder.resetState();
    QByteArray out = m_encoder(text);
    // Some encoders write a substitute for a character they lack without saying so; only text
    // that reads back as it was is written truly.
    *ok = !m_encoder.hasError() && decode(out) == text;
    return out;
}

QString CharsetCodec::decode(QByteArrayView bytes)
{
    if (m_utf8)
        return QString::fromUtf8(bytes);
    m_decoder.resetState();
    return m_decoder(bytes);
}

} // namespace qel
