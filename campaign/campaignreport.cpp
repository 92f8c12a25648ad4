#include "campaignreport.h"

#include "csvcell.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace campaign {

namespace {

QString timeText(const QDateTime &t) { return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString(); }

QJsonObject siteObject(const Site &s, const SiteStatus &st, bool listed)
{
    QJsonObject o;
    o.insert(QStringLiteral("site"), s.name);
    o.insert(QStringLiteral("newReleaseUrl"), s.newReleaseUrl);
    o.insert(QStringLiteral("updateUrl"), s.updateUrl);
    o.insert(QStringLiteral("listed"), listed);
    o.insert(QStringLiteral("state"), stateWord(st.state));
    o.insert(QStringLiteral("note"), st.note);
    o.insert(QStringLiteral("stateTime"), timeText(st.stateTime));
    o.insert(QStringLiteral("events"), st.events);
    if (st.last.isValid()) {
        QJsonObject e;
        e.insert(QStringLiteral("kind"), st.last.kind);
        e.insert(QStringLiteral("time"), timeText(st.last.time));
        e.insert(QStringLiteral("address"), st.last.address);
        e.insert(QStringLiteral("detail"), st.last.detail);
        e.insert(QStringLiteral("httpStatus"), st.last.httpStatus);
        e.insert(QStringLiteral("title"), st.last.title);
        o.insert(QStringLiteral("lastEvent"), e);
    } else {
        o.insert(QStringLiteral("lastEvent"), QJsonValue::Null);
    }
    return o;
}

void appendCsvLine(QByteArray &out, const QStringList &fields) { out += csvLine(fields); }

QStringList csvFields(const Site &s, const SiteStatus &st, bool listed)
{
    const LoggedEvent &e = st.last;
    return {s.name,
            s.newReleaseUrl,
            s.updateUrl,
            listed ? QStringLiteral("yes") : QStringLiteral("no"),
            stateWord(st.state),
            st.note,
            timeText(st.stateTime),
            e.kind,
            timeText(e.time),
            e.address,
            e.detail,
            e.httpStatus ? QString::number(e.httpStatus) : QString(),
            e.title};
}

} // namespace

QString progressText(const Campaign &c, int done, int total)
{
    return QStringLiteral("%1 of %2 done for %3").arg(done).arg(total).arg(c.label());
}

QByteArray formatReport(const Campaign &c, const QList<Site> &sites, const QList<SiteStatus> &statuses,
                        const QList<std::pair<Site, SiteStatus>> &unlisted, ReportFormat format)
{
    if (format == ReportFormat::Csv) {
        QByteArray out;
        appendCsvLine(out,
                      {QStringLiteral("site"), QStringLiteral("new_release_url"), QStringLiteral("update_url"),
                       QStringLiteral("listed"), QStringLiteral("state"), QStringLiteral("note"),
                       QStringLiteral("state_time"), QStringLiteral("last_event"), QStringLiteral("last_time"),
                       QStringLiteral("last_address"), QStringLiteral("last_detail"), QStringLiteral("http_status"),
                       QStringLiteral("last_title")});
        for (int i = 0; i < sites.size(); ++i)
            appendCsvLine(out, csvFields(sites[i], statuses.value(i), true));
        for (const auto &u : unlisted)
            appendCsvLine(out, csvFields(u.first, u.second, false));
        return out;
    }
    QJsonArray list;
    int done = 0;
    for (int i = 0; i < sites.size(); ++i) {
        const SiteStatus st = statuses.value(i);
        done += st.state == State::Done;
        list.append(siteObject(sites[i], st, true));
    }
    for (const auto &u : unlisted)
        list.append(siteObject(u.first, u.second, false));
    QJsonObject top;
    top.insert(QStringLiteral("program"), c.program);
    top.insert(QStringLiteral("version"), c.version);
    top.insert(QStringLiteral("done"), done);
    top.insert(QStringLiteral("total"), int(sites.size()));
    top.insert(QStringLiteral("progress"), progressText(c, done, int(sites.size())));
    top.insert(QStringLiteral("sites"), list);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace campaign
