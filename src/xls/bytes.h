#pragma once

// Little-endian field access for the compound file and BIFF8 layers. Callers check bounds first.

#include <QByteArray>
#include <QtEndian>

namespace vestrel::xls::detail {

inline quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
inline quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
inline quint64 u64(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint64>(b.constData() + at);
}

inline void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian<quint16>(v, b.data() + at);
}
inline void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian<quint32>(v, b.data() + at);
}
inline void put64(QByteArray& b, qsizetype at, quint64 v) {
    qToLittleEndian<quint64>(v, b.data() + at);
}

inline void add16(QByteArray& b, quint16 v) {
    char raw[2];
    qToLittleEndian<quint16>(v, raw);
    b.append(raw, 2);
}
inline void add32(QByteArray& b, quint32 v) {
    char raw[4];
    qToLittleEndian<quint32>(v, raw);
    b.append(raw, 4);
}

} // namespace vestrel::xls::detail
