#pragma once

#include "memoryparts.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace DDR3PHY {

// The bytes of an SPD file: a binary image of 128, 256 or 512 bytes, or a hex text dump (bytes
// as two hex digits, lines optionally led by an "offset:" column as i2cdump and decode-dimms
// print them, "#" comments). Nothing, with a one-line `error`, for anything else.
std::optional<QByteArray> spdBytes(const QByteArray &contents, QString *error);

// CRC-16 (polynomial 0x1021, start 0) of the first `count` bytes, as SPD bytes 126 and 127 hold it.
quint16 spdCrc(const QByteArray &bytes, int count);

// A DDR3 module or device from its SPD EEPROM contents (file contents as read). `fileName`
// names the part when the image holds no part number, and is its source. Nothing, with a
// one-line `error`, when the image is not DDR3, truncated, fails its CRC or holds a value
// outside the JEDEC encodings. A part the dialog cannot take (ranks, column bits) decodes; the
// edits refuse it.
std::optional<MemoryPart> decodeSpd(const QByteArray &contents, const QString &fileName,
                                    QString *error);

} // namespace DDR3PHY
