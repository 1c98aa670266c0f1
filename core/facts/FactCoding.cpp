#include "facts/FactCoding.h"

#include <limits>

#include "records/Dimension.h"

namespace qz {

namespace {

class Writer {
  public:
    void Number(std::uint64_t value) {
        while (value >= 0x80) {
            m_bytes += static_cast<char>((value & 0x7F) | 0x80);
            value >>= 7;
        }
        m_bytes += static_cast<char>(value);
    }
    void Signed(std::int64_t value) {
        const auto bits = static_cast<std::uint64_t>(value);
        Number((bits << 1) ^ (value < 0 ? ~std::uint64_t{0} : 0));
    }
    void Text(std::string_view text) {
        Number(text.size());
        m_bytes += text;
    }
    void Fixed64(std::uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            m_bytes += static_cast<char>(value >> (8 * i));
        }
    }
    std::string& Bytes() { return m_bytes; }

  private:
    std::string m_bytes;
};

class Reader {
  public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    bool Number(std::uint64_t& value) {
        // Most numbers are one byte: text numbers, day steps, small counts.
        if (m_at < m_bytes.size() && (static_cast<unsigned char>(m_bytes[m_at]) & 0x80) == 0) {
            value = static_cast<unsigned char>(m_bytes[m_at++]);
            return true;
        }
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at >= m_bytes.size()) {
                return false;
            }
            const auto byte = static_cast<unsigned char>(m_bytes[m_at++]);
            value |= std::uint64_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    bool Signed(std::int64_t& value) {
        std::uint64_t bits = 0;
        if (!Number(bits)) {
            return false;
        }
        value = static_cast<std::int64_t>((bits >> 1) ^ (~(bits & 1) + 1));
        return true;
    }
    bool Count(std::int64_t& value) {
        std::uint64_t bits = 0;
        if (!Number(bits) || bits > std::uint64_t{std::numeric_limits<std::int64_t>::max()}) {
            return false;
        }
        value = static_cast<std::int64_t>(bits);
        return true;
    }
    bool Text(std::string_view& text) {
        std::uint64_t size = 0;
        if (!Number(size) || size > m_bytes.size() - m_at) {
            return false;
        }
        text = m_bytes.substr(m_at, size);
        m_at += size;
        return true;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

  private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

constexpr std::size_t kChecksumBytes = 8;

}  // namespace

std::string EncodeFacts(const FileFacts& facts) {
    Writer out;
    out.Number(facts.texts.Size());
    for (const std::string& text : facts.texts.Texts()) {
        out.Text(text);
    }
    out.Number(facts.rows.size());
    std::int32_t day = 0;
    for (const FileFactRow& row : facts.rows) {
        out.Signed(std::int64_t{row.key.day} - day);
        day = row.key.day;
        out.Number(row.key.settingFile);
        out.Number(row.key.customer);
        out.Number(row.key.board);
        out.Number(static_cast<std::uint64_t>(row.counts.ok));
        out.Number(static_cast<std::uint64_t>(row.counts.ng));
    }
    for (const Dimension dimension : kDimensions) {
        const CValueSet& values = facts.found.Of(dimension);
        out.Number(values.Size());
        for (const std::string& value : values) {
            out.Text(value);
        }
    }
    const std::uint64_t checksum = StableHash(out.Bytes());
    out.Fixed64(checksum);
    return std::move(out.Bytes());
}

std::optional<FileFacts> DecodeFacts(std::string_view bytes) {
    if (bytes.size() < kChecksumBytes) {
        return std::nullopt;
    }
    const std::string_view body = bytes.substr(0, bytes.size() - kChecksumBytes);
    std::uint64_t checksum = 0;
    for (std::size_t i = 0; i < kChecksumBytes; ++i) {
        checksum |= std::uint64_t{static_cast<unsigned char>(bytes[body.size() + i])} << (8 * i);
    }
    if (checksum != StableHash(body)) {
        return std::nullopt;
    }
    Reader in(body);
    FileFacts facts;
    std::uint64_t textCount = 0;
    if (!in.Number(textCount)) {
        return std::nullopt;
    }
    for (std::uint64_t i = 0; i < textCount; ++i) {
        std::string_view text;
        if (!in.Text(text) || facts.texts.Intern(text) != i) {
            return std::nullopt;  // cut, or a text twice
        }
    }
    std::uint64_t rowCount = 0;
    if (!in.Number(rowCount) || rowCount > body.size() / 6) {  // a row takes 6 bytes or more
        return std::nullopt;
    }
    facts.rows.resize(rowCount);
    std::int64_t day = 0;
    for (FileFactRow& row : facts.rows) {
        std::int64_t step = 0;
        std::uint64_t texts[3] = {};
        if (!in.Signed(step) || !in.Number(texts[0]) || !in.Number(texts[1]) ||
            !in.Number(texts[2]) || !in.Count(row.counts.ok) || !in.Count(row.counts.ng)) {
            return std::nullopt;
        }
        day += step;
        if (day < std::numeric_limits<std::int32_t>::min() ||
            day > std::numeric_limits<std::int32_t>::max() || texts[0] >= textCount ||
            texts[1] >= textCount || texts[2] >= textCount) {
            return std::nullopt;
        }
        row.key.day = static_cast<std::int32_t>(day);
        row.key.settingFile = static_cast<std::uint32_t>(texts[0]);
        row.key.customer = static_cast<std::uint32_t>(texts[1]);
        row.key.board = static_cast<std::uint32_t>(texts[2]);
    }
    for (const Dimension dimension : kDimensions) {
        std::uint64_t count = 0;
        if (!in.Number(count)) {
            return std::nullopt;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            std::string_view value;
            if (!in.Text(value)) {
                return std::nullopt;
            }
            facts.found.Of(dimension).Insert(value);
        }
    }
    if (!in.AtEnd()) {
        return std::nullopt;
    }
    return facts;
}

std::string LocaleKey(const DateLocale& locale) {
    Writer out;
    out.Number(static_cast<std::uint64_t>(locale.order));
    out.Number(static_cast<unsigned char>(locale.dateSeparator));
    for (const auto* names : {&locale.monthNames, &locale.monthAbbrevs}) {
        for (const std::string& name : *names) {
            out.Text(name);
        }
    }
    for (const auto* names : {&locale.dayNames, &locale.dayAbbrevs}) {
        for (const std::string& name : *names) {
            out.Text(name);
        }
    }
    out.Text(locale.amMarker);
    out.Text(locale.pmMarker);
    out.Signed(locale.currentYear);
    return std::move(out.Bytes());
}

std::uint64_t StableHash(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3;
    }
    return hash;
}

}  // namespace qz
