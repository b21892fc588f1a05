#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <iconv.h>
#include <optional>

// glibc iconv as an oracle that shares nothing with the program's own tables.
// Nothing when the input holds a character the target code page lacks.
inline std::optional<QByteArray> iconvConvert(const char *to, const char *from,
                                              QByteArrayView input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        qFatal("iconv cannot convert %s to %s", from, to);
    QByteArray in = input.toByteArray();
    QByteArray out(in.size() * 4 + 16, '\0');
    char *inPtr = in.data();
    char *outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        return std::nullopt;
    out.truncate(outPtr - out.data());
    return out;
}

// Expected texts are written in UTF-8 and compared as code page 1251 bytes.
inline QByteArray inCp1251(const char *utf8) {
    const auto bytes = iconvConvert("CP1251", "UTF-8", utf8);
    if (!bytes)
        qFatal("not a code page 1251 text: %s", utf8);
    return *bytes;
}
