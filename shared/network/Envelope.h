#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// The enciphered envelope every request and reply of the server protocol travels in.
//
// Sending: every double quote of the request text gets a backslash in front of it, the UTF-8 bytes
// of that escaped text are enciphered with AES-128-CBC and PKCS#7 padding under the product's key
// and initialisation vector, and the cipher text is written as standard Base64 ("=" padding, no
// line breaks). That Base64 text travels as the form field "i" beside the operation code "f".
//
// Opening a reply: strict Base64 (any character outside the alphabet, or missing "=" padding,
// fails), decipher, check and
// remove the padding, strict UTF-8, then every NUL character removed wherever it stands.
//
// Pure functions of their input: usable from any thread.
class Envelope {
public:
    // The product's fixed key and initialisation vector (both 16 ASCII characters).
    static QByteArray defaultKey();
    static QByteArray defaultIV();

    Envelope();
    // Another key or vector; one AES cannot use makes every seal and open fail.
    Envelope(const QByteArray& key, const QByteArray& iv);

    enum class SealStatus {
        sealed,      // `base64` holds the text to send
        cipherError, // the cipher could not be made or failed: nothing is sent
        noText,      // enciphering gave no text: nothing is sent
    };
    struct Sealed {
        SealStatus status = SealStatus::cipherError;
        QString base64;
    };

    // Every '"' becomes '\"'; nothing else changes (backslashes and line breaks stay as they are).
    static QString escapeQuotes(const QString& text);
    // The server's side of escapeQuotes: every '\"' becomes '"'.
    static QString unescapeQuotes(const QString& text);

    // A request text through the whole sending path: escaped, enciphered, Base64.
    Sealed seal(const QString& requestText) const;
    // Enciphers `text` as it is (no escaping) and writes it as Base64; the server's replies.
    std::optional<QString> sealVerbatim(const QByteArray& utf8) const;
    // The reply body through the opening path; none when it does not decipher (an empty body
    // included).
    std::optional<QString> open(const QByteArray& replyBody) const;

    // Form encoding of name/value pairs in the given order: every byte but the unreserved ones
    // (letters, digits, "-", ".", "_", "~") percent-encoded, so "+", "/" and "=" of a Base64 value
    // arrive intact.
    static QByteArray formEncode(const QList<QPair<QString, QString>>& fields);
    // The reverse; also reads "+" as a blank, as form decoders do. None when a pair is malformed.
    static std::optional<QList<QPair<QString, QString>>> formDecode(const QByteArray& body);

private:
    QByteArray m_key;
    QByteArray m_iv;
};
