#include "checks/digests.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <new>

namespace digests {

struct Hasher::State {
    EVP_MD_CTX *context = nullptr;
};

namespace {

const EVP_MD *algorithm(Hash hash) {
    switch (hash) {
    case Hash::Md5:
        return EVP_md5();
    case Hash::Sha1:
        return EVP_sha1();
    case Hash::Sha256:
        break;
    }
    return EVP_sha256();
}

} // namespace

Hasher::Hasher(Hash hash) : state(std::make_unique<State>()) {
    state->context = EVP_MD_CTX_new();
    // Only a failed allocation makes these fail.
    if (!state->context || EVP_DigestInit_ex(state->context, algorithm(hash), nullptr) != 1) {
        EVP_MD_CTX_free(state->context);
        throw std::bad_alloc();
    }
}

Hasher::~Hasher() {
    EVP_MD_CTX_free(state->context);
}

void Hasher::add(QByteArrayView bytes) {
    EVP_DigestUpdate(state->context, bytes.data(), std::size_t(bytes.size()));
}

QByteArray Hasher::result() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(state->context, digest, &length);
    return QByteArray(reinterpret_cast<const char *>(digest), qsizetype(length));
}

quint32 updateCrc32(quint32 reg, QByteArrayView bytes) {
    // zlib's value is the register after the final XOR, and its start is 0.
    const auto *p = reinterpret_cast<const Bytef *>(bytes.data());
    return quint32(crc32_z(reg ^ 0xFFFFFFFFu, p, z_size_t(bytes.size()))) ^ 0xFFFFFFFFu;
}

const char *implementation() {
    return "libcrypto and zlib";
}

} // namespace digests
