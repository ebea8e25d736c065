#include "AesCipher.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace {
const EVP_CIPHER* cipherForKeyLength(qsizetype length) {
    switch (length) {
    case 16:
        return EVP_aes_128_cbc();
    case 24:
        return EVP_aes_192_cbc();
    case 32:
        return EVP_aes_256_cbc();
    default:
        return nullptr;
    }
}

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
} // namespace

std::optional<AesCipher> AesCipher::make(const QByteArray& key, const QByteArray& iv) {
    if (!cipherForKeyLength(key.size()) || iv.size() != 16)
        return std::nullopt;
    return AesCipher(key, iv);
}

std::optional<QByteArray> AesCipher::encrypt(const QByteArray& plain) const {
    return run(plain, true);
}

std::optional<QByteArray> AesCipher::decrypt(const QByteArray& cipher) const {
    // A cipher text is never empty and always whole blocks; OpenSSL would say so too, but only
    // after doing the work.
    if (cipher.isEmpty() || cipher.size() % 16 != 0)
        return std::nullopt;
    return run(cipher, false);
}

std::optional<QByteArray> AesCipher::run(const QByteArray& input, bool encrypting) const {
    // EVP takes int lengths; leave room for one block of padding.
    if (input.size() > INT_MAX - 32)
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
    if (!context)
        return std::nullopt;
    const auto* key = reinterpret_cast<const unsigned char*>(m_key.constData());
    const auto* iv = reinterpret_cast<const unsigned char*>(m_iv.constData());
    if (EVP_CipherInit_ex(context.get(), cipherForKeyLength(m_key.size()), nullptr, key, iv,
                          encrypting ? 1 : 0) != 1)
        return std::nullopt;
    if (EVP_CIPHER_CTX_set_padding(context.get(), 1) != 1)
        return std::nullopt;

    QByteArray output(input.size() + 16, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    int written = 0;
    if (EVP_CipherUpdate(context.get(), out, &written,
                         reinterpret_cast<const unsigned char*>(input.constData()), int(input.size())) != 1)
        return std::nullopt;
    int last = 0;
    if (EVP_CipherFinal_ex(context.get(), out + written, &last) != 1)
        return std::nullopt;
    output.truncate(written + last);
    return output;
}
