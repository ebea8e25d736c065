#pragma once

#include <QByteArray>
#include <optional>

// AES in CBC mode with PKCS#7 padding over OpenSSL's EVP interface. The key length picks the
// variant (16 bytes: AES-128, 24: AES-192, 32: AES-256); the initialisation vector is 16 bytes.
// Pure functions of their input: safe to use from any thread.
class AesCipher {
public:
    // None when the key or the initialisation vector has a length AES cannot use.
    static std::optional<AesCipher> make(const QByteArray& key, const QByteArray& iv);

    // The padded cipher text (a whole number of 16-byte blocks, at least one); none when OpenSSL
    // reports an error.
    std::optional<QByteArray> encrypt(const QByteArray& plain) const;
    // The plain bytes; none when the input is not a whole number of blocks, the padding is not
    // valid PKCS#7, or OpenSSL reports an error.
    std::optional<QByteArray> decrypt(const QByteArray& cipher) const;

private:
    AesCipher(const QByteArray& key, const QByteArray& iv) : m_key(key), m_iv(iv) {}
    std::optional<QByteArray> run(const QByteArray& input, bool encrypting) const;

    QByteArray m_key;
    QByteArray m_iv;
};
