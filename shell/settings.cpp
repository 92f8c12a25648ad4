#include "shell/settings.h"

#include "platform/inifile.h"

#include "platform/messages.h"

#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace shell {

using platform::IniFile;

namespace {

const QString program = QStringLiteral("PROGRAM");
const QString internetConfig = QStringLiteral("Internet Config");
const QString favorite = QStringLiteral("Favorite");
const QString startPagesSection = QStringLiteral("MstURL");
const QString hotUrlSection = QStringLiteral("HotURL");
const QString hotCapSection = QStringLiteral("HotCap");

QString bandSection(int i) { return QStringLiteral("cb%1").arg(i); }

QString functionKey(int n) { return QStringLiteral("F%1").arg(n); }

bool isHotKeyNumber(int n) { return n >= 2 && n <= 12; }

} // namespace

Settings::Settings(const QString &programDir)
{
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    m_path = dir + fileName();
}

bool Settings::written(bool ok) const
{
    if (ok || m_state->reported)
        return ok;
    m_state->reported = true;
    const QString message = tr("The settings file %1 cannot be written: changes to the settings are kept only "
                               "until the program ends.")
                                .arg(m_path);
    if (QWidget *window = m_state->window) {
        QTimer::singleShot(0, window, [message] { platform::showError(message); });
    } else {
        std::fputs(message.toLocal8Bit().constData(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    return ok;
}

void Settings::reportFailuresIn(QWidget *window) const { m_state->window = window; }

QString Settings::enterDate() const { return IniFile(m_path).readString(program, QStringLiteral("EnterDate")); }

WindowPlacement Settings::windowPlacement() const
{
    const IniFile ini(m_path);
    WindowPlacement p;
    p.beginMax = ini.readBool(program, QStringLiteral("BeginMax"), p.beginMax);
    p.maximized = ini.readBool(program, QStringLiteral("Maximized"), p.maximized);
    p.left = ini.readInteger(program, QStringLiteral("Left"), p.left);
    p.top = ini.readInteger(program, QStringLiteral("Top"), p.top);
    p.width = ini.readInteger(program, QStringLiteral("Width"), p.width);
    p.height = ini.readInteger(program, QStringLiteral("Height"), p.height);
    return p;
}

int Settings::startOption() const { return IniFile(m_path).readInteger(internetConfig, QStringLiteral("Option"), 2); }

bool Settings::applyStartRule(const QDate &today) const
{
    IniFile ini(m_path);
    const QString entered = ini.readString(program, QStringLiteral("EnterDate"));
    const int option = ini.readInteger(internetConfig, QStringLiteral("Option"), 2);
    if (option == 1)
        return true;
    if (option != 2)
        return false;
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    written(ini.writeString(program, QStringLiteral("EnterDate"), day) && ini.save());
    return day != entered;
}

int Settings::favoriteWidth() const { return IniFile(m_path).readInteger(favorite, QStringLiteral("Width"), 200); }

bool Settings::favoriteVisible() const { return IniFile(m_path).readBool(favorite, QStringLiteral("Visible"), true); }

SavedBands Settings::savedBands() const
{
    const IniFile ini(m_path);
    SavedBands saved;
    saved.present = ini.sectionExists(bandSection(0));
    for (int i = 0; i < 3; ++i) {
        BandSetting &band = saved.bands[i];
        band.obj = ini.readInteger(bandSection(i), QStringLiteral("obj"), band.obj);
        band.brk = ini.readBool(bandSection(i), QStringLiteral("brk"), band.brk);
        band.width = ini.readInteger(bandSection(i), QStringLiteral("Width"), band.width);
    }
    return saved;
}

std::array<int, 3> Settings::bandWidths() const
{
    const IniFile ini(m_path);
    std::array<int, 3> widths;
    for (int i = 0; i < 3; ++i)
        widths[i] = ini.readInteger(bandSection(i), QStringLiteral("Width"), 100);
    return widths;
}

bool Settings::saveBands(const std::array<BandSetting, 3> &bands) const
{
    IniFile ini(m_path);
    for (int i = 0; i < 3; ++i) {
        if (!ini.writeInteger(bandSection(i), QStringLiteral("obj"), bands[i].obj) ||
            !ini.writeBool(bandSection(i), QStringLiteral("brk"), bands[i].brk) ||
            !ini.writeInteger(bandSection(i), QStringLiteral("Width"), bands[i].width))
            return written(false);
    }
    return written(ini.save());
}

bool Settings::smartFill() const
{
    return IniFile(m_path).readBool(QStringLiteral("Submission"), QStringLiteral("SmartFill"), false);
}

bool Settings::setSmartFill(bool on) const
{
    IniFile ini(m_path);
    return written(ini.writeBool(QStringLiteral("Submission"), QStringLiteral("SmartFill"), on) && ini.save());
}

bool Settings::notDoneFilter() const
{
    return IniFile(m_path).readBool(QStringLiteral("Sites"), QStringLiteral("NotDoneOnly"), false);
}

bool Settings::setNotDoneFilter(bool on) const
{
    IniFile ini(m_path);
    return ini.writeBool(QStringLiteral("Sites"), QStringLiteral("NotDoneOnly"), on) && ini.save();
}

int Settings::siteCheckJobs() const
{
    return qMax(1, IniFile(m_path).readInteger(QStringLiteral("SiteCheck"), QStringLiteral("Jobs"), 8));
}

int Settings::siteCheckTimeout() const
{
    return qMax(1, IniFile(m_path).readInteger(QStringLiteral("SiteCheck"), QStringLiteral("Timeout"), 15));
}

QStringList Settings::startPages() const
{
    const IniFile ini(m_path);
    QStringList pages;
    for (const QString &key : ini.keyNames(startPagesSection))
        pages.append(ini.readString(startPagesSection, key));
    return pages;
}

QString Settings::hotUrl(int n) const
{
    if (!isHotKeyNumber(n))
        return QString();
    return IniFile(m_path).readString(hotUrlSection, functionKey(n));
}

QString Settings::hotCaption(int n) const
{
    if (!isHotKeyNumber(n))
        return QString();
    return IniFile(m_path).readString(hotCapSection, functionKey(n));
}

QList<HotEntry> Settings::hotEntries() const
{
    const IniFile ini(m_path);
    QList<HotEntry> entries;
    for (int n = 2; n <= 12; ++n) {
        const QString caption = ini.readString(hotCapSection, functionKey(n));
        if (!caption.isEmpty())
            entries.append({n, caption});
    }
    return entries;
}

QList<BandPlacement> bandsToPlace(const SavedBands &saved)
{
    QList<BandPlacement> placed;
    if (!saved.present) {
        for (int bar : {MenuBarNumber, AddressBarNumber, ButtonBarNumber})
            placed.append({bar, true, 100});
        return placed;
    }
    bool used[3] = {false, false, false};
    for (const BandSetting &band : saved.bands) {
        if (band.obj < 0 || band.obj > 2 || used[band.obj])
            continue;
        used[band.obj] = true;
        placed.append({band.obj, band.brk, band.width});
    }
    for (int bar = 0; bar < 3; ++bar) {
        if (!used[bar])
            placed.append({bar, true, 100});
    }
    return placed;
}

QList<int> fitBandWidths(const QList<int> &widths, const QList<bool> &startsRow, int limit)
{
    QList<int> out(widths.size());
    limit = qMax(0, limit);
    int first = 0;
    while (first < widths.size()) {
        int end = first + 1;
        while (end < widths.size() && !(end < startsRow.size() && startsRow[end]))
            ++end;
        qint64 sum = 0;
        for (int i = first; i < end; ++i)
            sum += qMax(0, widths[i]);
        for (int i = first; i < end; ++i) {
            const qint64 w = qMax(0, widths[i]);
            out[i] = int(sum <= limit ? w : w * limit / sum);
        }
        first = end;
    }
    return out;
}

QRect clampToScreen(const QRect &saved, const QRect &available)
{
    if (!available.isValid())
        return saved;
    QRect r = saved;
    r.setWidth(qBound(1, r.width(), available.width()));
    r.setHeight(qBound(1, r.height(), available.height()));
    r.moveLeft(qBound(available.left(), r.left(), available.right() - r.width() + 1));
    r.moveTop(qBound(available.top(), r.top(), available.bottom() - r.height() + 1));
    return r;
}

} // namespace shell
