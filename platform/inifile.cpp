#include "platform/inifile.h"

#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <limits>

namespace platform {

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

bool sameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Cuts text to at most max UTF-16 units without splitting a surrogate pair.
QString cutValue(QString text, int max)
{
    if (text.size() <= max)
        return text;
    int cut = max;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    text.truncate(cut);
    return text;
}

// UTF-8 as QString::fromUtf8 reads it, except that U+FEFF at the start stays
// a character: a name or value may begin with one, and only the file's own
// mark (kept apart) is not text.
QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8(bytes);
}

bool breaksLine(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QChar(0));
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d < base ? d : -1;
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return; // created by the first save
    if (!info.isFile() || info.size() > MaxFileSize) {
        m_writable = false;
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_writable = false;
        return;
    }
    // Asking for no more than the file holds (and one byte to see it grow past
    // the limit) keeps a small file from costing a buffer of the largest size.
    QByteArray data = file.read(qMin(file.size(), MaxFileSize) + 1);
    if (data.size() > MaxFileSize || file.error() != QFileDevice::NoError) {
        m_writable = false;
        return;
    }
    if (data.startsWith(utf8Bom)) {
        m_bom = utf8Bom;
        data.remove(0, utf8Bom.size());
    }
    qsizetype pos = 0;
    while (pos < data.size()) {
        const qsizetype nl = data.indexOf('\n', pos);
        if (nl < 0) {
            m_lines.append(classify(data.mid(pos), QByteArray()));
            break;
        }
        QByteArray text = data.mid(pos, nl - pos);
        if (text.endsWith('\r')) {
            text.chop(1);
            m_lines.append(classify(text, QByteArrayLiteral("\r\n")));
        } else {
            m_lines.append(classify(text, QByteArrayLiteral("\n")));
        }
        pos = nl + 1;
    }
}

IniFile::Line IniFile::classify(QByteArray text, QByteArray eol)
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QByteArray trimmed = line.text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';'))
        return line;
    if (trimmed.startsWith('[')) {
        const qsizetype close = trimmed.lastIndexOf(']');
        if (close > 0) {
            line.kind = Kind::Section;
            // Trimmed as the names asked for are, so that both compare alike.
            line.name = decodeText(trimmed.mid(1, close - 1)).trimmed();
        }
        return line;
    }
    const qsizetype eq = trimmed.indexOf('=');
    if (eq <= 0)
        return line;
    const QString key = decodeText(trimmed.left(eq)).trimmed();
    if (key.isEmpty())
        return line;
    QByteArray value = trimmed.mid(eq + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    line.kind = Kind::Key;
    line.name = key;
    line.value = decodeText(value);
    return line;
}

int IniFile::findSection(const QString &section) const
{
    const QString wanted = section.trimmed();
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).kind == Kind::Section && sameName(m_lines.at(i).name, wanted))
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const
{
    int i = sectionLine + 1;
    while (i < m_lines.size() && m_lines.at(i).kind != Kind::Section)
        ++i;
    return i;
}

int IniFile::findKey(int sectionLine, const QString &key) const
{
    if (sectionLine < 0)
        return -1;
    const QString wanted = key.trimmed();
    const int end = sectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        if (m_lines.at(i).kind == Kind::Key && sameName(m_lines.at(i).name, wanted))
            return i;
    }
    return -1;
}

bool IniFile::sectionExists(const QString &section) const { return findSection(section) >= 0; }

QStringList IniFile::keyNames(const QString &section) const
{
    QStringList names;
    const int start = findSection(section);
    if (start < 0)
        return names;
    QSet<QString> seen;
    const int end = sectionEnd(start);
    for (int i = start + 1; i < end; ++i) {
        const Line &line = m_lines.at(i);
        if (line.kind != Kind::Key)
            continue;
        const QString folded = line.name.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        names.append(line.name);
    }
    return names;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const int line = findKey(findSection(section), key);
    if (line < 0)
        return cutValue(defaultValue, MaxValueLength);
    return cutValue(m_lines.at(line).value, MaxValueLength);
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const int line = findKey(findSection(section), key);
    if (line < 0)
        return defaultValue;
    return parseInteger(cutValue(m_lines.at(line).value, MaxValueLength), defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

int IniFile::parseInteger(const QString &text, int defaultValue)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    qint64 value = 0;
    int digits = 0;
    if (t.size() > 2 && t.at(0) == QLatin1Char('0') && (t.at(1) == QLatin1Char('x') || t.at(1) == QLatin1Char('X'))) {
        for (i = 2; i < t.size(); ++i) {
            const int d = digitValue(t.at(i), 16);
            if (d < 0)
                break;
            value = value * 16 + d;
            if (value > 0xFFFFFFFFLL)
                return defaultValue;
            ++digits;
        }
        // Eight hexadecimal digits are a 32-bit pattern: 0xFFFFFFFF is -1.
        return digits ? int(quint32(value)) : defaultValue;
    }
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    for (; i < t.size(); ++i) {
        const int d = digitValue(t.at(i), 10);
        if (d < 0)
            break;
        value = value * 10 + d;
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return defaultValue;
        ++digits;
    }
    if (!digits)
        return defaultValue;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return defaultValue;
    return int(value);
}

QByteArray IniFile::newLineEnding() const
{
    for (const Line &line : m_lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return QByteArrayLiteral("\n");
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (!m_writable || sectionName.isEmpty() || keyName.isEmpty() || breaksLine(sectionName) || breaksLine(keyName) ||
        breaksLine(value) || keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char(';')) ||
        keyName.startsWith(QLatin1Char('[')))
        return false;

    const QByteArray nl = newLineEnding();
    const int start = findSection(sectionName);
    const int existing = findKey(start, keyName);
    if (existing >= 0) {
        Line &line = m_lines[existing];
        const QByteArray trimmed = line.text.trimmed();
        const QByteArray text = trimmed.left(trimmed.indexOf('=')).trimmed() + '=' + value.toUtf8();
        if (text == line.text)
            return true;
        line = classify(text, line.eol);
        m_dirty = true;
        return true;
    }

    const QByteArray keyLine = keyName.toUtf8() + '=' + value.toUtf8();
    if (start >= 0) {
        // After the section's last key, so that blank lines and a comment
        // heading the next section stay where they are.
        int after = start;
        const int end = sectionEnd(start);
        for (int i = start + 1; i < end; ++i) {
            if (m_lines.at(i).kind == Kind::Key)
                after = i;
        }
        if (m_lines.at(after).eol.isEmpty())
            m_lines[after].eol = nl;
        m_lines.insert(after + 1, classify(keyLine, nl));
    } else {
        if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
            m_lines.last().eol = nl;
        m_lines.append(classify('[' + sectionName.toUtf8() + ']', nl));
        m_lines.append(classify(keyLine, nl));
    }
    m_dirty = true;
    return true;
}

bool IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::save()
{
    if (!m_dirty)
        return true;
    if (!m_writable)
        return false;
    QByteArray data = m_bom;
    for (const Line &line : m_lines)
        data += line.text + line.eol;
    if (!platform::writeFileAtomically(m_path, data))
        return false;
    m_dirty = false;
    return true;
}

} // namespace platform
