#include "spddecode.h"

#include "speedbins.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace DDR3PHY {

namespace {

constexpr int ddr3Type = 0x0B;
constexpr int minimumBytes = 128; // everything decoded lies in the first 128 bytes
constexpr int crcLowByte = 126;
constexpr int partNumberOffset = 128;
constexpr int partNumberLength = 18;

bool isText(const QByteArray &contents)
{
    return std::all_of(contents.cbegin(), contents.cend(), [](char c) {
        return c == '\t' || c == '\n' || c == '\r' || (c >= ' ' && c <= '~');
    });
}

bool hexByte(const QString &token, QByteArray *bytes)
{
    static const QRegularExpression byte(QStringLiteral("^(0[xX])?([0-9A-Fa-f]{2})$"));
    const QRegularExpressionMatch m = byte.match(token);
    if (m.hasMatch())
        bytes->append(char(m.captured(2).toInt(nullptr, 16)));
    return m.hasMatch();
}

std::optional<QByteArray> parseHexDump(const QByteArray &contents, QString *error)
{
    static const QRegularExpression offsetColumn(QStringLiteral("^(0[xX])?([0-9A-Fa-f]+):$"));
    static const QRegularExpression headerToken(QStringLiteral("^[0-9A-Fa-f]$|^0123456789abcdef$"));
    QByteArray bytes;
    const QList<QByteArray> lines = contents.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromLatin1(lines.at(i)).section(QLatin1Char('#'), 0, 0);
        const QStringList tokens =
            line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (tokens.isEmpty())
            continue;
        const QRegularExpressionMatch offset = offsetColumn.match(tokens.first());
        if (offset.hasMatch()) {
            if (offset.captured(2).toInt(nullptr, 16) != bytes.size()) {
                *error = QStringLiteral("line %1 of the hex dump starts at offset 0x%2, not at "
                                        "0x%3 where the bytes before it end")
                             .arg(i + 1)
                             .arg(offset.captured(2))
                             .arg(bytes.size(), 2, 16, QLatin1Char('0'));
                return std::nullopt;
            }
            // The bytes end where an ASCII column begins.
            for (int t = 1; t < tokens.size() && hexByte(tokens.at(t), &bytes); ++t) {
            }
            continue;
        }
        if (std::all_of(tokens.cbegin(), tokens.cend(),
                        [](const QString &t) { return headerToken.match(t).hasMatch(); }))
            continue;
        for (const QString &token : tokens) {
            if (!hexByte(token, &bytes)) {
                *error = QStringLiteral("line %1 of the hex dump holds '%2', not a byte")
                             .arg(i + 1)
                             .arg(token);
                return std::nullopt;
            }
        }
    }
    return bytes;
}

QString dramTypeName(int type)
{
    switch (type) {
    case 0x07:
        return QStringLiteral("DDR SDRAM");
    case 0x08:
        return QStringLiteral("DDR2 SDRAM");
    case 0x0C:
        return QStringLiteral("DDR4 SDRAM");
    case 0x0F:
        return QStringLiteral("LPDDR3 SDRAM");
    case 0x10:
        return QStringLiteral("LPDDR4 SDRAM");
    case 0x12:
        return QStringLiteral("DDR5 SDRAM");
    default:
        return QStringLiteral("an unknown memory type");
    }
}

// Module types of byte 3 by the DIMM Type item they are wired like.
std::optional<ModuleType> moduleType(int code)
{
    switch (code) {
    case 0x1: // RDIMM
    case 0x5: // Mini-RDIMM
    case 0x9: // 72b-SO-RDIMM
    case 0xB: // LRDIMM
        return ModuleType::RDimm;
    case 0x2: // UDIMM
    case 0x4: // Micro-DIMM
    case 0x6: // Mini-UDIMM
        return ModuleType::UDimm;
    case 0x3: // SO-DIMM
    case 0x8: // 72b-SO-UDIMM
    case 0xA: // 16b-SO-DIMM
    case 0xC: // 32b-SO-DIMM
        return ModuleType::SoDimm;
    default:
        return std::nullopt;
    }
}

// Reads fields of a DDR3 SPD image, naming the first byte whose value has no meaning.
class SpdReader
{
public:
    SpdReader(const QByteArray &bytes, QString *error) : m_bytes(bytes), m_error(error) {}
    bool ok() const { return m_ok; }

    int byte(int offset) const { return quint8(m_bytes.at(offset)); }
    int bits(int offset, int shift, int width) const
    {
        return (byte(offset) >> shift) & ((1 << width) - 1);
    }
    // A field coded 0..last; anything above is refused.
    int code(int offset, int shift, int width, int last, const char *what)
    {
        const int value = bits(offset, shift, width);
        if (m_ok && value > last) {
            m_ok = false;
            *m_error = QStringLiteral("SPD byte %1 (0x%2) gives no %3")
                           .arg(offset)
                           .arg(byte(offset), 2, 16, QLatin1Char('0'))
                           .arg(QLatin1String(what));
        }
        return value;
    }
    void timeBases()
    {
        const int mtbDividend = byte(10), mtbDivisor = byte(11);
        const int ftbDividend = bits(9, 4, 4), ftbDivisor = bits(9, 0, 4);
        if (mtbDividend == 0 || mtbDivisor == 0 || ftbDivisor == 0) {
            m_ok = false;
            *m_error = QStringLiteral("SPD bytes 9 to 11 give no time base");
            return;
        }
        m_mtbPs = 1000.0 * mtbDividend / mtbDivisor;
        m_ftbPs = double(ftbDividend) / ftbDivisor;
    }
    // Medium time-base units plus an optional signed fine correction, in whole ps.
    int time(int units, int fineOffset = -1) const
    {
        const int fine = fineOffset < 0 ? 0 : qint8(m_bytes.at(fineOffset));
        return int(std::lround(units * m_mtbPs + fine * m_ftbPs));
    }

private:
    const QByteArray &m_bytes;
    QString *m_error;
    bool m_ok = true;
    double m_mtbPs = 0.0;
    double m_ftbPs = 0.0;
};

// The bin of the part's rate (its tCKmin, or the next slower rate): the first whose tAA covers
// the part's, else the slowest of the rate.
QString matchingBin(int tckMinPs, int taaPs)
{
    int rateTck = 0;
    for (const SpeedBin &bin : speedBins()) {
        if (psAtLeast(tckMinPs, bin.tckMinPs) && bin.tckMinPs > rateTck)
            rateTck = bin.tckMinPs;
    }
    if (rateTck == 0) // faster than every bin: the fastest rate's rows
        rateTck = speedBins().last().tckMinPs;
    QString match;
    for (const SpeedBin &bin : speedBins()) { // by tAA within a rate
        if (bin.tckMinPs != rateTck)
            continue;
        match = bin.name;
        if (psAtLeast(bin.taaMinPs, taaPs))
            break;
    }
    return match;
}

} // namespace

quint16 spdCrc(const QByteArray &bytes, int count)
{
    quint16 crc = 0;
    for (int i = 0; i < count; ++i) {
        crc ^= quint16(quint8(bytes.at(i)) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x8000 ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

std::optional<QByteArray> spdBytes(const QByteArray &contents, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (contents.isEmpty()) {
        *error = QStringLiteral("the SPD file is empty");
        return std::nullopt;
    }
    if (isText(contents))
        return parseHexDump(contents, error);
    const int size = int(contents.size());
    if (size < minimumBytes) {
        *error = QStringLiteral("the SPD image is truncated: %1 bytes, at least %2 needed")
                     .arg(size)
                     .arg(minimumBytes);
        return std::nullopt;
    }
    if (size != 128 && size != 256 && size != 512) {
        *error = QStringLiteral("the SPD image has %1 bytes: a binary image has 128, 256 or 512")
                     .arg(size);
        return std::nullopt;
    }
    return contents;
}

std::optional<MemoryPart> decodeSpd(const QByteArray &contents, const QString &fileName,
                                    QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    const std::optional<QByteArray> image = spdBytes(contents, error);
    if (!image)
        return std::nullopt;
    const QByteArray &b = *image;
    if (b.size() > 2 && quint8(b.at(2)) != ddr3Type) {
        *error = QStringLiteral("not a DDR3 SPD: byte 2 is 0x%1 (%2)")
                     .arg(quint8(b.at(2)), 2, 16, QLatin1Char('0'))
                     .arg(dramTypeName(quint8(b.at(2))));
        return std::nullopt;
    }
    static const int usedBytes[] = {0, 128, 176, 256}; // byte 0 bits 3..0; others reserved
    const int usedCode = b.isEmpty() ? 0 : quint8(b.at(0)) & 0xF;
    const int used = usedCode < 4 ? usedBytes[usedCode] : 0;
    const int needed = std::max(minimumBytes, used);
    if (b.size() < needed) {
        *error = QStringLiteral("the SPD image is truncated: %1 bytes, %2 needed")
                     .arg(b.size())
                     .arg(needed);
        return std::nullopt;
    }
    const int crcCount = quint8(b.at(0)) & 0x80 ? 117 : 126;
    const quint16 stored = quint16(quint8(b.at(crcLowByte)) | quint8(b.at(crcLowByte + 1)) << 8);
    const quint16 computed = spdCrc(b, crcCount);
    if (stored != computed) {
        *error = QStringLiteral("SPD CRC mismatch: stored 0x%1, computed 0x%2 over bytes 0 to %3")
                     .arg(stored, 4, 16, QLatin1Char('0'))
                     .arg(computed, 4, 16, QLatin1Char('0'))
                     .arg(crcCount - 1);
        return std::nullopt;
    }

    SpdReader r(b, error);
    MemoryPart p;
    const std::optional<ModuleType> module = moduleType(r.bits(3, 0, 4));
    if (!module) {
        *error = QStringLiteral("SPD byte 3 (0x%1) gives no module type")
                     .arg(r.byte(3), 2, 16, QLatin1Char('0'));
        return std::nullopt;
    }
    p.module = *module;
    p.densityMb = 256 << r.code(4, 0, 4, 6, "device density");
    p.banks = 8 << r.code(4, 4, 3, 3, "bank count");
    p.colBits = 9 + r.code(5, 0, 3, 3, "column address bits");
    p.rowBits = 12 + r.code(5, 3, 3, 4, "row address bits");
    p.deviceWidth = 4 << r.code(7, 0, 3, 3, "device width");
    p.ranks = 1 + r.code(7, 3, 3, 3, "rank count");
    const int busBits = 8 << r.code(8, 0, 3, 3, "bus width");
    const int eccBits = 8 * r.code(8, 3, 2, 1, "bus width extension");
    r.timeBases();
    if (!r.ok())
        return std::nullopt;
    p.dataWidth = busBits + eccBits;
    p.ecc = eccBits > 0;
    // Byte 6: bit 0 set means not 1.5 V operable, bit 1 1.35 V operable.
    p.vddMv = r.bits(6, 1, 1) ? 1350 : (r.bits(6, 0, 1) && r.bits(6, 2, 1)) ? 1250 : 1500;

    p.tckMinPs = r.time(r.byte(12), 34);
    p.taaPs = r.time(r.byte(16), 35);
    p.twrPs = r.time(r.byte(17));
    p.trcdPs = r.time(r.byte(18), 36);
    p.trrdPs = r.time(r.byte(19));
    p.trpPs = r.time(r.byte(20), 37);
    p.trasPs = r.time(r.bits(21, 0, 4) << 8 | r.byte(22));
    p.trcPs = r.time(r.bits(21, 4, 4) << 8 | r.byte(23), 38);
    p.trfcPs = r.time(r.byte(25) << 8 | r.byte(24));
    p.twtrPs = r.time(r.byte(26));
    p.trtpPs = r.time(r.byte(27));
    p.tfawPs = r.time(r.bits(28, 0, 4) << 8 | r.byte(29));
    const int clBits = r.byte(15) << 8 | r.byte(14);
    for (int bit = 0; bit < 15; ++bit) {
        if (clBits & (1 << bit))
            p.casLatencies << 4 + bit;
    }
    if (p.tckMinPs <= 0 || p.taaPs <= 0 || p.casLatencies.isEmpty()) {
        *error = QStringLiteral("SPD gives no tCKmin, tAAmin or CAS latency (bytes 12, 14 to 16)");
        return std::nullopt;
    }
    // Extended temperature range without the 1X refresh rate there: refresh doubles.
    p.extendedTemperature = r.bits(31, 0, 1) && !r.bits(31, 1, 1);
    p.speedBin = matchingBin(p.tckMinPs, p.taaPs);

    // Bytes 128 to 145, padded with blanks or zeros.
    QByteArray partNumber = b.mid(partNumberOffset, partNumberLength);
    while (partNumber.endsWith(' ') || partNumber.endsWith('\0'))
        partNumber.chop(1);
    if (!std::all_of(partNumber.cbegin(), partNumber.cend(),
                     [](char c) { return c > ' ' && c <= '~'; }))
        partNumber.clear();
    p.name = partNumber.isEmpty() ? fileName : QString::fromLatin1(partNumber);
    p.source = QStringLiteral("SPD %1").arg(fileName);
    return p;
}

} // namespace DDR3PHY
