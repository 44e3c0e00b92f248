#include "link/inifile.h"

#include "core/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vkm {

// Lines are kept as their bytes (one char per byte), so a file written by
// another program in another code page survives a rewrite unchanged; values
// this program sets are stored as UTF-8.
namespace {
QString toStored(const QString& text) { return QString::fromLatin1(text.toUtf8()); }
QString fromStored(const QString& stored) { return QString::fromUtf8(stored.toLatin1()); }

// Blanks around keys, values and section names: space, tab and CR only. The
// lines hold bytes, and QString::trimmed() would also strip U+0085 and U+00A0,
// which here are the UTF-8 continuation bytes 0x85 and 0xA0 ending "х" and "Р".
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r'); }
QString trimBlanks(const QString& s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

#ifdef Q_OS_WIN
constexpr const char* kEol = "\r\n";
#else
constexpr const char* kEol = "\n";
#endif
} // namespace

QString IniFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/vkm/vkm.ini");
}

IniFile::IniFile(QString path) : path_(std::move(path)) { load(); }

void IniFile::load()
{
    sections_.clear();
    head_.clear();
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = f.readAll();
    Section* current = nullptr;
    for (QByteArray line : data.split('\n')) {
        // Every CR before the line break: one written as "\r\r\n" must read
        // as the line it is written back as.
        while (line.endsWith('\r'))
            line.chop(1);
        const QString raw = QString::fromLatin1(line);
        const QString t = trimBlanks(raw);
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            sections_.push_back(Section{trimBlanks(t.mid(1, t.size() - 2)), {}, {}});
            current = &sections_.back();
            continue;
        }
        Entry e;
        e.raw = raw;
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (eq > 0 && !t.startsWith(QLatin1Char(';'))) {
            e.key = trimBlanks(raw.left(eq));
            e.value = trimBlanks(raw.mid(eq + 1));
        }
        if (current)
            current->entries.push_back(e);
        else
            head_.append(raw);
    }
    // The split leaves one empty piece after the final line break.
    if (!sections_.empty()) {
        auto& last = sections_.back().entries;
        if (!last.empty() && last.back().raw.isEmpty() && data.endsWith('\n'))
            last.pop_back();
    } else if (!head_.isEmpty() && head_.last().isEmpty() && data.endsWith('\n')) {
        head_.removeLast();
    }
}

void IniFile::save() const
{
    QByteArray out;
    for (const QString& line : head_)
        out += line.toLatin1() + kEol;
    for (const Section& s : sections_) {
        out += '[' + s.name.toLatin1() + ']' + kEol;
        for (const Entry& e : s.entries)
            out += e.raw.toLatin1() + kEol;
    }
    const QString dir = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(dir))
        throw FileError(QStringLiteral("cannot create the folder %1 for %2").arg(dir, path_));
    writeFileAtomically(path_, out);
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    for (const Section& s : sections_) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        for (const Entry& e : s.entries)
            if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0)
                return fromStored(e.value);
    }
    return std::nullopt;
}

std::optional<int> IniFile::intValue(const QString& section, const QString& key) const
{
    const auto v = value(section, key);
    if (!v)
        return std::nullopt;
    bool ok = false;
    const int n = v->toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString stored = toStored(value);
    Section* target = nullptr;
    for (Section& s : sections_) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        if (!target)
            target = &s;
        for (Entry& e : s.entries) {
            if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
                e.value = stored;
                e.raw = e.key + QLatin1Char('=') + stored;
                return;
            }
        }
    }
    if (!target) {
        sections_.push_back(Section{section, {}, {}});
        target = &sections_.back();
    }
    // A new key goes after the section's last key, before trailing blank lines.
    auto& entries = target->entries;
    auto at = entries.end();
    while (at != entries.begin() && trimBlanks(std::prev(at)->raw).isEmpty())
        --at;
    entries.insert(at, Entry{key, stored, key + QLatin1Char('=') + stored});
}

} // namespace vkm
