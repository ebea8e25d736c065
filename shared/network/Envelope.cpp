#include "Envelope.h"

#include "AesCipher.h"

#include <QStringDecoder>
#include <QUrl>

QByteArray Envelope::defaultKey() {
    return QByteArrayLiteral("Rt5qWm8ZcV2hLx7B");
}

QByteArray Envelope::defaultIV() {
    return QByteArrayLiteral("p9GdK3sYv6NfT1jE");
}

Envelope::Envelope() : m_key(defaultKey()), m_iv(defaultIV()) {}

Envelope::Envelope(const QByteArray& key, const QByteArray& iv) : m_key(key), m_iv(iv) {}

QString Envelope::escapeQuotes(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return escaped;
}

QString Envelope::unescapeQuotes(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\\\""), QLatin1String("\""));
    return plain;
}

Envelope::Sealed Envelope::seal(const QString& requestText) const {
    const auto cipher = AesCipher::make(m_key, m_iv);
    if (!cipher)
        return {SealStatus::cipherError, {}};
    const auto enciphered = cipher->encrypt(escapeQuotes(requestText).toUtf8());
    if (!enciphered)
        return {SealStatus::cipherError, {}};
    const QString base64 = QString::fromLatin1(enciphered->toBase64());
    if (base64.isEmpty())
        return {SealStatus::noText, {}};
    return {SealStatus::sealed, base64};
}

std::optional<QString> Envelope::sealVerbatim(const QByteArray& utf8) const {
    const auto cipher = AesCipher::make(m_key, m_iv);
    if (!cipher)
        return std::nullopt;
    const auto enciphered = cipher->encrypt(utf8);
    if (!enciphered)
        return std::nullopt;
    return QString::fromLatin1(enciphered->toBase64());
}

std::optional<QString> Envelope::open(const QByteArray& replyBody) const {
    const auto cipher = AesCipher::make(m_key, m_iv);
    if (!cipher)
        return std::nullopt;
    // Whole quantums only: Qt would otherwise accept a text whose "=" padding is missing.
    if (replyBody.size() % 4 != 0)
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(
        replyBody, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    const auto plain = cipher->decrypt(decoded.decoded);
    if (!plain)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(*plain);
    if (utf8.hasError())
        return std::nullopt;
    text.remove(QChar(u'\0'));
    return text;
}

QByteArray Envelope::formEncode(const QList<QPair<QString, QString>>& fields) {
    QByteArray body;
    for (const auto& [name, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(name);
        body += '=';
        body += QUrl::toPercentEncoding(value);
    }
    return body;
}

std::optional<QList<QPair<QString, QString>>> Envelope::formDecode(const QByteArray& body) {
    QList<QPair<QString, QString>> fields;
    if (body.isEmpty())
        return fields;
    const auto decode = [](QByteArray part) {
        part.replace('+', ' ');
        return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
    };
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        fields.append({decode(pair.left(equals)), decode(pair.mid(equals + 1))});
    }
    return fields;
}
