#pragma once

#include "base/bytetext.h"
#include "codepages/cp1251text.h"
#include "codepages/views.h"

#include <algorithm>
#include <cstring>

namespace views {

// The tokens of a table, for a view's Tokens: each points into the table.
template <std::size_t W>
constexpr Tokens tokensFrom(const cp1251text::TokenTable<W> &table, QByteArrayView lead = {}) {
    Tokens tokens{lead, {}};
    for (std::size_t b = 0; b < 256; ++b)
        tokens.byByte[b] = QByteArrayView(table[b].text.data(), table[b].size);
    return tokens;
}

// The table of tokenOf(byte) for every byte.
template <std::size_t W, class TokenOf>
constexpr cp1251text::TokenTable<W> tableOf(TokenOf tokenOf) {
    cp1251text::TokenTable<W> table;
    for (int b = 0; b < 256; ++b)
        table[b] = tokenOf(b);
    return table;
}

// Writes head, then the table's token for every input byte, in one pass.
// The output grows one input chunk at a time with room for the widest token
// per byte, so the per-byte step is a lookup, one fixed-width copy and an
// advance by the token's size: no bounds check, no branch on the byte.
// When ends is given it receives the end of every token, the head first.
template <std::size_t W>
ByteText writeTokens(const cp1251text::TokenTable<W> &table, QByteArrayView bytes,
                     QByteArrayView head = {}, TokenEnds *ends = nullptr) {
    constexpr qsizetype chunk = 4096;
    const qsizetype n = bytes.size();
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());

    qsizetype tableSize = 0;
    for (const auto &t : table)
        tableSize += t.size;
    const qsizetype typicalSize = (tableSize + 255) / 256;

    ByteText out(head.size() + n * typicalSize + std::min(n, chunk) * qsizetype(W),
                 Qt::Uninitialized);
    if (!head.isEmpty())
        std::memcpy(out.data(), head.data(), head.size());
    qsizetype used = head.size();
    quint32 *end = nullptr;
    if (ends) {
        ends->resize(n + (head.isEmpty() ? 0 : 1));
        end = ends->data();
        if (!head.isEmpty())
            *end++ = quint32(used);
    }

    for (qsizetype start = 0; start < n; start += chunk) {
        const qsizetype stop = std::min(n, start + chunk);
        const qsizetype needed = used + (stop - start) * qsizetype(W);
        if (needed > out.size())
            out.resize(std::max(needed, out.size() + out.size() / 2));
        char *const base = out.data();
        char *o = base + used;
        if (ends) {
            for (qsizetype i = start; i < stop; ++i) {
                const auto &t = table[in[i]];
                std::memcpy(o, t.text.data(), W);
                o += t.size;
                *end++ = quint32(o - base);
            }
        } else {
            for (qsizetype i = start; i < stop; ++i) {
                const auto &t = table[in[i]];
                std::memcpy(o, t.text.data(), W);
                o += t.size;
            }
        }
        used = o - base;
    }
    out.resize(used);
    out.squeeze();
    return out;
}

} // namespace views
