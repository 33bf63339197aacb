#pragma once
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace qel {

// Text to and from the bytes of one of the server's character sets ("utf8mb4", "latin1",
// "gbk", "sjis", ...). The server's latin1 is Windows-1252.
class CharsetCodec {
public:
    explicit CharsetCodec(const QByteArray& serverCharset);
    static bool isUtf8(const QByteArray& serverCharset) { return serverCharset.startsWith("utf8") || serverCharset == "binary"; }
    bool isValid() const { return m_utf8 || m_encoder.isValid(); }
    // ok is false when the text holds a character the character set cannot write.
    QByteArray encode(const QString& text, bool* ok);
    QString decode(QByteArrayView bytes);

private:
    bool m_utf8 = false;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

} // namespace qel
