#include "model/ListFingerprint.h"

#include "model/Sha256.h"

#include <QByteArray>
#include <vector>

namespace pelorin {

namespace {

// Appends text in UTF-8 as QString::toUtf8 writes it (an unpaired surrogate, which no UTF-8 text can
// hold, as "?"). Written out here because a draw's fingerprint covers every name of the largest list at
// every start, and converting name by name into fresh arrays cost more than the hash.
void appendUtf8(std::vector<unsigned char>& out, const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = p + text.size();
    while (p < end) {
        const char32_t c = *p++;
        if (c < 0x80) {
            out.push_back(static_cast<unsigned char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<unsigned char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
                const char32_t full = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
                out.push_back(static_cast<unsigned char>(0xF0 | (full >> 18)));
                out.push_back(static_cast<unsigned char>(0x80 | ((full >> 12) & 0x3F)));
                out.push_back(static_cast<unsigned char>(0x80 | ((full >> 6) & 0x3F)));
                out.push_back(static_cast<unsigned char>(0x80 | (full & 0x3F)));
            } else {
                out.push_back('?');
            }
        } else {
            out.push_back(static_cast<unsigned char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        }
    }
}

// Hashes the names as the chosen form lays them out, a chunk at a time.
template <typename Lay> QString hashNames(const QStringList& names, Lay&& lay)
{
    constexpr std::size_t Chunk = 64 * 1024;
    Sha256 hash;
    std::vector<unsigned char> buffer;
    buffer.reserve(2 * Chunk);
    for (const QString& name : names) {
        lay(buffer, name);
        if (buffer.size() >= Chunk) {
            hash.add(buffer.data(), buffer.size());
            buffer.clear();
        }
    }
    hash.add(buffer.data(), buffer.size());
    return hash.hex();
}

void layV2(std::vector<unsigned char>& out, const QString& name)
{
    // Room for the length first, filled in once the name's bytes are known.
    const std::size_t at = out.size();
    out.resize(at + 4);
    appendUtf8(out, name);
    const auto length = static_cast<std::uint32_t>(out.size() - at - 4);
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(length >> (24 - 8 * i));
}

void layV1(std::vector<unsigned char>& out, const QString& name)
{
    appendUtf8(out, name);
    out.push_back('\n');
}

} // namespace

QString listFingerprint(const QStringList& names)
{
    return hashNames(names, layV2);
}

QString listFingerprintV1(const QStringList& names)
{
    return hashNames(names, layV1);
}

QByteArray fingerprintPiece(const QString& name, int version)
{
    std::vector<unsigned char> bytes;
    if (version >= 2)
        layV2(bytes, name);
    else
        layV1(bytes, name);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

bool isValidUnicode(const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0xD800 || c > 0xDFFF)
            continue;
        if (c > 0xDBFF || i + 1 == n || text.at(i + 1).unicode() < 0xDC00 || text.at(i + 1).unicode() > 0xDFFF)
            return false;
        ++i;
    }
    return true;
}

} // namespace pelorin
