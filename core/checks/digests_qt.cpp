#include "checks/digests.h"

#include "checks/crc.h"

#include <QCryptographicHash>

namespace digests {

struct Hasher::State {
    QCryptographicHash hash;
};

namespace {

QCryptographicHash::Algorithm algorithm(Hash hash) {
    switch (hash) {
    case Hash::Md5:
        return QCryptographicHash::Md5;
    case Hash::Sha1:
        return QCryptographicHash::Sha1;
    case Hash::Sha256:
        break;
    }
    return QCryptographicHash::Sha256;
}

} // namespace

Hasher::Hasher(Hash hash) : state(new State{QCryptographicHash(algorithm(hash))}) {}

Hasher::~Hasher() = default;

void Hasher::add(QByteArrayView bytes) {
    state->hash.addData(bytes);
}

QByteArray Hasher::result() {
    return state->hash.result();
}

quint32 updateCrc32(quint32 reg, QByteArrayView bytes) {
    static const crc::Engine tables(crc::crc32);
    return tables.update(reg, bytes);
}

const char *implementation() {
    return "Qt and the program's tables";
}

} // namespace digests
