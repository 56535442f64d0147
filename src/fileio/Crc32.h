#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// CRC-32 (the polynomial of zlib, PNG and Ethernet), computed eight bytes at a step.
// crc32(b, crc32(a)) == crc32(a + b).
quint32 crc32(QByteArrayView bytes, quint32 previous = 0);
